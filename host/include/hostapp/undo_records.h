// Undo records of the host's own objects. theHold drops such a record when the object it refers to
// goes away (Hold::Discard, called as any reference maker is destroyed), so that an undo never
// reaches freed memory. Plug-in records are plain RestoreObjs, as in the real SDK; they find their
// objects by handle (Animatable::GetAnimByHandle) and do nothing once those are gone.
#pragma once

#include "hold.h"

class HostRestoreObj : public RestoreObj {
 public:
  // Whether the record refers to `object`.
  virtual bool RefersTo(const void* object) const = 0;
};
