// ModifyObject: routes each evaluation by the class of the incoming object, then sets the object's
// channel validity and refreshes the rollout.
#include "modifier/ambiflex.h"
#include "symmetry/mesh_paths.h"

namespace {

// The host's class of objects that the modifier lets through by name, unchanged (the stand-in SDK
// calls it bypassObjectClassID; the plug-in names it here, as the real SDK has no such name).
const Class_ID kPassThroughClassID(0x76A11646, 0x12A822FB);

// Deletes the polygon branch's temporary triangle mesh on every way out, an escaping table index
// error included, unless the conversion returned the object itself.
struct TemporaryObject {
  TemporaryObject(Object* s, Object* c) : source(s), converted(c) {}
  ~TemporaryObject() {
    if (converted != nullptr && converted != source) converted->DeleteThis();
  }

  Object* source;
  Object* converted;

 private:
  TemporaryObject(const TemporaryObject&);
  TemporaryObject& operator=(const TemporaryObject&);
};

}  // namespace

void ambiflex::ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) {
  resultValid = 1;
  Object* obj = os->obj;
  if (obj->IsSubClassOf(triObjectClassID)) {
    ModifyTriObject(this, static_cast<TriObject*>(obj), t, mc);
  } else if (obj->IsSubClassOf(polyObjectClassID)) {
    TemporaryObject tri(obj, obj->ConvertToType(t, triObjectClassID));
    ModifyPolyObject(this, static_cast<PolyObject*>(obj), t, mc, static_cast<TriObject*>(tri.converted));
  } else if (obj->IsSubClassOf(patchObjectClassID)) {
    ModifyPatchObject(this, static_cast<PatchObject*>(obj), t, mc);
  } else if (!obj->IsSubClassOf(kPassThroughClassID)) {
    // Any other object is left as it came. It is still asked whether it could become a triangle
    // mesh, as the host has always seen the modifier ask, but the answer is not used: whether such
    // objects should be converted and mirrored is a decision not yet taken.
    obj->CanConvertToType(triObjectClassID);
  }

  // UpdateValidity narrows a channel's validity to the interval given. The geometry channel keeps
  // what the path left it with (the modifier adds FOREVER to it); the texture channel becomes valid
  // no longer than the topology.
  obj->UpdateValidity(TEXMAP_CHAN_NUM, obj->ChannelValidity(t, TOPO_CHAN_NUM));

  UpdateRolloutState();
}
