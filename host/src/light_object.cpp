// The host's light object.
#include "light_object.h"

const Class_ID omniLightClassID(0x4c1e0a55, 0x0b7d3e21);

Object* LightObject::MakeShallowCopy(ChannelMask channels) {
  auto* copy = new LightObject();
  copy->intensity = intensity;
  copy->CopyValidity(*this);
  return copy;
}
