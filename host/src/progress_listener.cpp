// The core interface's progress updates, passed on to the host program's listener.
#include "progress_listener.h"

#include <utility>

#include "maxapi.h"

namespace {

ProgressListener& installed() {
  static ProgressListener listener;
  return listener;
}

}  // namespace

ProgressListener SetProgressListener(ProgressListener listener) {
  std::swap(installed(), listener);
  return listener;
}

void Interface::ProgressUpdate(int pct, BOOL showPct, const MCHAR* title) {
  if (installed()) installed()(pct, title != nullptr ? std::wstring(title) : std::wstring());
}
