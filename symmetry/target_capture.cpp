// Capture and pairing, run only as the cache's flags and tables ask.
#include "symmetry/target_capture.h"

#include "symmetry/engine/vertex_pairing.h"

TriObject* EvalTargetAsTriMesh(INode* target, TimeValue t, bool& temporary) {
  temporary = false;
  ObjectState os = target->EvalWorldState(t, TRUE);
  if (os.obj == nullptr) return nullptr;
  Object* converted = os.obj->ConvertToType(t, triObjectClassID);
  if (converted == nullptr) return nullptr;
  temporary = converted != os.obj;
  return static_cast<TriObject*>(converted);
}

namespace {

void pair(vLocalMeshData* cache, const MirrorMatrices& matrices) {
  Tab<int> partners;
  partners.SetCount(cache->targetVerts.Count());
  if (partners.Count() > 0) {
    BuildPartnerTable(cache->targetVerts.Addr(0), cache->targetVerts.Count(), matrices, partners.Addr(0));
  }
  cache->setVertMatch(std::move(partners));
  cache->matchDirty = 0;
}

}  // namespace

bool PrepareTargetAndPartners(vLocalMeshData* cache, INode* target, TimeValue t,
                              const TargetCaptureSettings& settings, MirrorMatrices& r_matrices) {
  int axis = settings.axis < 0 ? 0 : (settings.axis > 2 ? 2 : settings.axis);
  r_matrices = BuildMirrorMatrices(axis, settings.offset);

  bool reuse = settings.keepTarget != 0 && cache->targetVerts.Count() > 0 && cache->targetDirty == 0;
  if (!reuse) {
    bool temporary = false;
    TriObject* tri = EvalTargetAsTriMesh(target, t, temporary);
    if (tri == nullptr) return false;
    const Mesh& mesh = tri->GetMesh();
    Tab<Point3> captured;
    captured.SetCount(mesh.numVerts);
    if (mesh.numVerts > 0) std::memcpy(captured.Addr(0), mesh.verts, sizeof(Point3) * size_t(mesh.numVerts));
    if (temporary) tri->DeleteThis();
    cache->targetDirty = 0;
    cache->setTargetVerts(std::move(captured));
    pair(cache, r_matrices);
    return true;
  }
  // A partner table that does not match the held target (from a damaged cache) is rebuilt too.
  if (cache->vertMatch.Count() == 0 || cache->matchDirty != 0 ||
      cache->vertMatch.Count() != cache->targetVerts.Count()) {
    pair(cache, r_matrices);
  }
  return true;
}
