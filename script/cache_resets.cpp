// The three reset operations behind vMirrorOps: each walks every node that depends on the modifier,
// applies the reset to each of the modifier's caches in that node's stacks, then notifies the host
// and redraws once.
#include "maxapi.h"
#include "modifier/ambiflex.h"
#include "modstack.h"
#include "script/mesh_enum_proc.h"
#include "symmetry/local_mesh_data.h"

namespace {

void applyReset(LocalModData* data, ambiflex::CacheReset which) {
  auto* cache = static_cast<vLocalMeshData*>(data);
  if (cache == nullptr) return;
  switch (which) {
    case ambiflex::CacheReset::kResult:
      cache->reset();
      break;
    case ambiflex::CacheReset::kTarget:
      cache->resetTarget();
      break;
    case ambiflex::CacheReset::kMatch:
      cache->resetMatch();
      break;
  }
}

// Every occurrence of `mod` in the stacks below `obj`, and in the pipe branches of a compound base
// object, depth first.
void walkObject(Object* obj, Modifier* mod, ambiflex::CacheReset which) {
  while (obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* derived = static_cast<IDerivedObject*>(obj);
    for (int m = 0; m < derived->NumModifiers(); ++m) {
      if (derived->GetModifier(m) != mod) continue;
      if (ModContext* mc = derived->GetModContext(m)) applyReset(mc->localData, which);
    }
    obj = derived->GetObjRef();
  }
  if (obj == nullptr) return;
  for (int i = 0; i < obj->NumPipeBranches(false); ++i) walkObject(obj->GetPipeBranch(i, false), mod, which);
}

}  // namespace

void ambiflex::resetCaches(CacheReset which) {
  MeshEnumProc proc;
  DoEnumDependents(&proc);
  for (int i = 0; i < proc.nodes.Count(); ++i) {
    INode* node = proc.nodes[i];
    if (node == nullptr) continue;
    walkObject(node->GetObjectRef(), this, which);
  }
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  GetCOREInterface()->RedrawViews(GetCOREInterface()->GetTime(), REDRAW_NORMAL);
}

void ambiflex::reset() { resetCaches(CacheReset::kResult); }
void ambiflex::resetTarget() { resetCaches(CacheReset::kTarget); }
void ambiflex::resetMatch() { resetCaches(CacheReset::kMatch); }
