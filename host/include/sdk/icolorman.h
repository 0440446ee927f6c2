// The host's colour manager: the colours of its user interface, by colour id.
#pragma once

#include "max_types.h"

class IColorManager {
 public:
  virtual ~IColorManager() = default;
  // The colour `id`; an unknown id gives the interface's neutral grey.
  virtual COLORREF GetColor(int id) = 0;
};

// The host's one colour manager; never null.
IColorManager* GetColorManager();
