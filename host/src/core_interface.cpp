// The core interface: time and redraws.
#include "maxapi.h"

void Interface::SetTime(TimeValue t, BOOL redraw) {
  time_ = t;
  if (redraw) RedrawViews(t);
}

void Interface::RedrawViews(TimeValue t, DWORD vpFlags, ReferenceTarget* change) { ++redraws_; }

Interface* GetCOREInterface() {
  static IObjParam core;
  return &core;
}
