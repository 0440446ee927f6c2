// A light: a scene object that is not geometry. It converts to no mesh, so a modifier that needs a
// mesh from it gets none; nodes holding one can still be picked and referred to.
#pragma once

#include "object.h"

#define LIGHT_CLASS_ID 0x00000030

extern const Class_ID omniLightClassID;

class LightObject : public Object {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  SClass_ID SuperClassID() override { return LIGHT_CLASS_ID; }
  Class_ID ClassID() override { return omniLightClassID; }
  void GetClassName(MSTR& s) override { s = L"Omni"; }
  const MCHAR* GetObjectName() override { return L"Omni"; }
  Object* MakeShallowCopy(ChannelMask channels) override;

  float intensity = 1.0f;
};
