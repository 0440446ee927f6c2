// PatchObject: an editable patch object. It converts to a TriObject of its corner vertices (same
// numbering), each patch split into triangles.
#pragma once

#include "object.h"
#include "patch.h"

class PatchObject : public GeomObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  PatchMesh patch;

  PatchMesh& GetPatchMesh(TimeValue t) { return patch; }
  Class_ID ClassID() override { return patchObjectClassID; }
  void GetClassName(MSTR& s) override { s = L"Editable Patch"; }
  const MCHAR* GetObjectName() override { return L"Editable Patch"; }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  bool CopyStateInto(Object* into) override;
};
