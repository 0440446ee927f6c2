// The class descriptor through which the host creates the modifier.
#pragma once

#include "iparamb2.h"

#define AMBIFLEX_CLASS_ID Class_ID(0x7E3D7747, 0xBA5FB623)

class ambiflexClassDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return TRUE; }
  // Registers the scripting interface with this descriptor (on every call), then builds a modifier
  // with its automatic parameter block; null if it cannot be allocated.
  void* Create(BOOL loading = FALSE) override;
  const MCHAR* ClassName() override;
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  Class_ID ClassID() override { return AMBIFLEX_CLASS_ID; }
  const MCHAR* Category() override;
  const MCHAR* InternalName() override { return L"ambiflex"; }
  HINSTANCE HInstance() override;
};

ClassDesc2* GetAmbiflexDesc();
