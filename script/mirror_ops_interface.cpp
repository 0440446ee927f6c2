// The vMirrorOps function map, the node collection and the cache walk behind the three reset
// operations.
#include "script/mirror_ops_interface.h"

#include "modifier/ambiflex.h"
#include "modstack.h"
#include "plugin/library_statics.h"
#include "script/mesh_enum_proc.h"
#include "symmetry/local_mesh_data.h"

FPInterfaceDesc* IambiflexFP::GetDesc() { return &vMirrorOpsDesc; }

FPStatus IambiflexFP::_dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) {
  switch (fid) {
    case vMirrorOps_reset:
      fnReset();
      return FPS_OK;
    case vMirrorOps_resetTarget:
      fnResetTarget();
      return FPS_OK;
    case vMirrorOps_resetMatch:
      fnResetMatch();
      return FPS_OK;
    default:
      return FPS_NO_SUCH_FUNCTION;
  }
}

int MeshEnumProc::proc(ReferenceMaker* rmaker) {
  if (rmaker->SuperClassID() == BASENODE_CLASS_ID) {
    INode* node = static_cast<INode*>(rmaker);
    nodes.Append(1, &node);
  }
  return DEP_ENUM_CONTINUE;
}

namespace {

void applyMode(LocalModData* data, int mode) {
  auto* cache = static_cast<vLocalMeshData*>(data);
  if (cache == nullptr) return;
  switch (mode) {
    case 1:
      cache->reset();
      break;
    case 2:
      cache->resetTarget();
      break;
    case 3:
      cache->resetMatch();
      break;
    default:
      break;
  }
}

// Every occurrence of `mod` in the stacks below `obj`, and in the pipe branches of a compound base
// object, depth first.
void walkObject(Object* obj, Modifier* mod, int mode) {
  while (obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* derived = static_cast<IDerivedObject*>(obj);
    for (int m = 0; m < derived->NumModifiers(); ++m) {
      if (derived->GetModifier(m) != mod) continue;
      if (ModContext* mc = derived->GetModContext(m)) applyMode(mc->localData, mode);
    }
    obj = derived->GetObjRef();
  }
  if (obj == nullptr) return;
  for (int i = 0; i < obj->NumPipeBranches(false); ++i) walkObject(obj->GetPipeBranch(i, false), mod, mode);
}

}  // namespace

void ambiflex::resetCaches(int mode) {
  MeshEnumProc proc;
  DoEnumDependents(&proc);
  for (int i = 0; i < proc.nodes.Count(); ++i) {
    INode* node = proc.nodes[i];
    if (node == nullptr) continue;
    walkObject(node->GetObjectRef(), this, mode);
  }
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  GetCOREInterface()->RedrawViews(GetCOREInterface()->GetTime(), REDRAW_NORMAL);
}

void ambiflex::reset() { resetCaches(1); }
void ambiflex::resetTarget() { resetCaches(2); }
void ambiflex::resetMatch() { resetCaches(3); }
