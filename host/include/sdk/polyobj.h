// PolyObject: an editable polygon mesh object. It converts to a TriObject that keeps the vertex
// numbering and carries map channel 1.
#pragma once

#include "mnmesh.h"
#include "object.h"

class PolyObject : public GeomObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  MNMesh mm;

  MNMesh& GetMesh() { return mm; }
  Class_ID ClassID() override { return polyObjectClassID; }
  void GetClassName(MSTR& s) override { s = L"Editable Poly"; }
  const MCHAR* GetObjectName() override { return L"Editable Poly"; }
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  bool CopyStateInto(Object* into) override;
};
