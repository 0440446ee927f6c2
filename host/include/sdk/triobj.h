// TriObject: an editable triangle mesh object.
#pragma once

#include "mesh.h"
#include "object.h"

class TriObject : public GeomObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  Mesh mesh;

  Mesh& GetMesh() { return mesh; }
  Class_ID ClassID() override { return triObjectClassID; }
  void GetClassName(MSTR& s) override { s = L"Editable Mesh"; }
  const MCHAR* GetObjectName() override { return L"Editable Mesh"; }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  bool CopyStateInto(Object* into) override;
};

TriObject* CreateNewTriObject();
