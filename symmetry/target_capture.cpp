// Capture and pairing.
#include "symmetry/target_capture.h"

#include <cstring>

#include "maxapi.h"
#include "symmetry/engine/patch_operations.h"
#include "symmetry/engine/vertex_pairing.h"
#include "symmetry/table_data.h"

namespace {

// Pairing a dense or crafted target can take seconds: the host's progress bar shows how far it has
// got. Only whole-percent changes are passed on, so the host is not called thousands of times. The
// host's ProgressStart would run the work on a function of its own and take over the interface;
// inside an evaluation, which the host starts (redraws, renders, drags), only the update fits.
class HostPairingProgress : public PairingProgress {
 public:
  HostPairingProgress() : shown_(-1) {}
  virtual void Searched(int done, int total) override {
    const int pct = total > 0 ? int(100.0 * double(done) / double(total)) : 100;
    if (pct == shown_) return;
    shown_ = pct;
    GetCOREInterface()->ProgressUpdate(pct);
  }

 private:
  int shown_;
};

}  // namespace

TriObject* EvalTargetAsTriMesh(INode* target, TimeValue t, bool& temporary) {
  temporary = false;
  ObjectState os = target->EvalWorldState(t, TRUE);
  if (os.obj == nullptr) return nullptr;
  Object* converted = os.obj->ConvertToType(t, triObjectClassID);
  if (converted == nullptr) return nullptr;
  temporary = converted != os.obj;
  return static_cast<TriObject*>(converted);
}

bool CaptureTriMeshTarget(vLocalMeshData& cache, INode* target, TimeValue t) {
  bool temporary = false;
  TriObject* tri = EvalTargetAsTriMesh(target, t, temporary);
  if (tri == nullptr) return false;
  const Mesh& mesh = tri->GetMesh();
  Point3* captured = vLocalMeshData::Refill(cache.targetVerts, mesh.numVerts);
  if (mesh.numVerts > 0) std::memcpy(captured, mesh.verts, sizeof(Point3) * size_t(mesh.numVerts));
  if (temporary) tri->DeleteThis();
  cache.targetDirty = 0;
  return true;
}

void PairVertices(vLocalMeshData& cache, const MirrorMatrices& matrices) {
  const int count = cache.targetVerts.Count();
  HostPairingProgress progress;
  BuildPartnerTable(TableData(cache.targetVerts), count, matrices, vLocalMeshData::Refill(cache.vertMatch, count),
                    &progress);
  cache.matchDirty = 0;
}

void PairVectors(vLocalMeshData& cache, const MirrorMatrices& matrices) {
  const int nv = cache.targetVecs.Count();
  const Point3* vecs = TableData(cache.targetVecs);
  Tab<int> vecMatch, vecOwner;
  vecMatch.SetCount(nv);
  vecOwner.SetCount(nv);
  HostPairingProgress progress;
  BuildPartnerTable(vecs, nv, matrices, TableData(vecMatch), &progress);
  FindOwnerVertices(vecs, nv, TableData(cache.targetVerts), cache.targetVerts.Count(), TableData(vecOwner));
  cache.setVecMatch(std::move(vecMatch));
  cache.setVecOwner(std::move(vecOwner));
}
