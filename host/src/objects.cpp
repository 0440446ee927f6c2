// The host's object classes: channel validity, copies for the pipeline, and conversions.
#include <typeinfo>

#include "patchobj.h"
#include "polyobj.h"
#include "standin_objects.h"
#include "triobj.h"

Object::Object() {
  for (auto& v : validity_) v = FOREVER;
}

Interval Object::ChannelValidity(TimeValue t, int nchan) {
  if (nchan < 0 || nchan >= NUM_OBJ_CHANS) return NEVER;
  return validity_[nchan];
}

void Object::SetChannelValidity(int nchan, Interval v) {
  if (nchan >= 0 && nchan < NUM_OBJ_CHANS) validity_[nchan] = v;
}

void Object::UpdateValidity(int nchan, Interval v) {
  if (nchan >= 0 && nchan < NUM_OBJ_CHANS) validity_[nchan] &= v;
}

void Object::CopyValidity(const Object& from) {
  for (int i = 0; i < NUM_OBJ_CHANS; ++i) validity_[i] = from.validity_[i];
}

TriObject* CreateNewTriObject() { return new TriObject(); }

int TriObject::CanConvertToType(Class_ID obtype) { return obtype == triObjectClassID; }

Object* TriObject::ConvertToType(TimeValue t, Class_ID obtype) {
  return obtype == triObjectClassID ? this : nullptr;
}

Object* TriObject::MakeShallowCopy(ChannelMask channels) {
  auto* copy = new TriObject();
  copy->mesh = mesh;
  copy->CopyValidity(*this);
  return copy;
}

int PolyObject::CanConvertToType(Class_ID obtype) {
  return obtype == polyObjectClassID || obtype == triObjectClassID;
}

Object* PolyObject::ConvertToType(TimeValue t, Class_ID obtype) {
  if (obtype == polyObjectClassID) return this;
  if (obtype != triObjectClassID) return nullptr;
  auto* tri = new TriObject();
  mm.OutToTri(tri->mesh);
  tri->CopyValidity(*this);
  return tri;
}

Object* PolyObject::MakeShallowCopy(ChannelMask channels) {
  auto* copy = new PolyObject();
  copy->mm = mm;
  copy->mm.geomCacheInvalidations = 0;
  copy->CopyValidity(*this);
  return copy;
}

int PatchObject::CanConvertToType(Class_ID obtype) {
  return obtype == patchObjectClassID || obtype == triObjectClassID;
}

Object* PatchObject::ConvertToType(TimeValue t, Class_ID obtype) {
  if (obtype == patchObjectClassID) return this;
  if (obtype != triObjectClassID) return nullptr;
  auto* tri = new TriObject();
  Mesh& m = tri->mesh;
  m.setNumVerts(patch.numVerts);
  for (int i = 0; i < patch.numVerts; ++i) m.verts[i] = patch.verts[i].p;
  int triangles = 0;
  for (int p = 0; p < patch.numPatches; ++p) triangles += patch.patches[p].type == PATCH_QUAD ? 2 : 1;
  m.setNumFaces(triangles);
  int f = 0;
  for (int p = 0; p < patch.numPatches; ++p) {
    const Patch& pa = patch.patches[p];
    m.faces[f++].setVerts(pa.v[0], pa.v[1], pa.v[2]);
    if (pa.type == PATCH_QUAD) m.faces[f++].setVerts(pa.v[0], pa.v[2], pa.v[3]);
  }
  m.vertSel = patch.vertSel;
  tri->CopyValidity(*this);
  return tri;
}

Object* PatchObject::MakeShallowCopy(ChannelMask channels) {
  auto* copy = new PatchObject();
  copy->patch = patch;
  copy->CopyValidity(*this);
  return copy;
}

Object* BypassObject::MakeShallowCopy(ChannelMask channels) {
  auto* copy = new BypassObject();
  copy->points = points;
  copy->CopyValidity(*this);
  return copy;
}

Object* PointCloudObject::MakeShallowCopy(ChannelMask channels) {
  auto* copy = new PointCloudObject();
  copy->points = points;
  copy->CopyValidity(*this);
  return copy;
}

int PointCloudObject::CanConvertToType(Class_ID obtype) {
  ++conversionQueries;
  return obtype == pointCloudObjectClassID;
}

namespace {

// Same-class check for CopyStateInto: a subclass copy must not be overwritten as its base class.
template <class T>
T* sameClass(Object* from, Object* into) {
  if (into == nullptr || typeid(*into) != typeid(*from)) return nullptr;
  return static_cast<T*>(into);
}

}  // namespace

bool TriObject::CopyStateInto(Object* into) {
  auto* copy = sameClass<TriObject>(this, into);
  if (copy == nullptr) return false;
  copy->mesh = mesh;
  copy->CopyValidity(*this);
  return true;
}

bool PolyObject::CopyStateInto(Object* into) {
  auto* copy = sameClass<PolyObject>(this, into);
  if (copy == nullptr) return false;
  copy->mm = mm;
  copy->mm.geomCacheInvalidations = 0;
  copy->CopyValidity(*this);
  return true;
}

bool PatchObject::CopyStateInto(Object* into) {
  auto* copy = sameClass<PatchObject>(this, into);
  if (copy == nullptr) return false;
  copy->patch = patch;
  copy->CopyValidity(*this);
  return true;
}
