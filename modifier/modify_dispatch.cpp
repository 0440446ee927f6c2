// ModifyObject: routes each evaluation by the class of the incoming object, then sets the object's
// channel validity and refreshes the rollout.
#include <memory>

#include "modifier/ambiflex.h"
#include "symmetry/mesh_paths.h"

namespace {

// Deletes the polygon branch's temporary triangle mesh on every way out, an escaping table index
// error included, unless the conversion returned the object itself.
struct TemporaryObject {
  Object* source;
  Object* converted;
  ~TemporaryObject() {
    if (converted != nullptr && converted != source) converted->DeleteThis();
  }
};

}  // namespace

void ambiflex::ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) {
  resultValid = 1;
  Object* obj = os->obj;
  if (obj->IsSubClassOf(triObjectClassID)) {
    ModifyTriObject(this, static_cast<TriObject*>(obj), t, mc);
  } else if (obj->IsSubClassOf(polyObjectClassID)) {
    TemporaryObject tri{obj, obj->ConvertToType(t, triObjectClassID)};
    ModifyPolyObject(this, static_cast<PolyObject*>(obj), t, mc, static_cast<TriObject*>(tri.converted));
  } else if (obj->IsSubClassOf(patchObjectClassID)) {
    ModifyPatchObject(this, static_cast<PatchObject*>(obj), t, mc);
  } else if (obj->IsSubClassOf(Class_ID(0x76A11646, 0x12A822FB))) {
    // Deliberately let through unchanged.
  } else {
    // Objects that could become triangle meshes are not converted: the answer is only asked.
    obj->CanConvertToType(triObjectClassID);
  }

  Interval geomValid = obj->ChannelValidity(t, GEOM_CHAN_NUM);
  Interval topoValid = obj->ChannelValidity(t, TOPO_CHAN_NUM);
  obj->UpdateValidity(GEOM_CHAN_NUM, geomValid);
  obj->UpdateValidity(TEXMAP_CHAN_NUM, topoValid);
  obj->UpdateValidity(GEOM_CHAN_NUM, FOREVER);

  UpdateRolloutState();
}
