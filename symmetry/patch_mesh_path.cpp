// The patch-mesh adapter: the evaluation flow on a patch's vertices and handle vectors. The target
// must itself be a patch object; each vertex's flags word and the vectors are captured, stored and
// replayed with the positions; and every way out that may have moved the patch runs the patch's
// update sequence (once after a replay, twice after a full evaluation).
//
// A patch whose vertex or vector count differs from the stored result or the target is a count
// mismatch: it passes on unchanged with both resultValid flags 0, so no table is ever indexed past
// its end.
#include "modifier/ambiflex.h"
#include "symmetry/evaluation_flow.h"
#include "symmetry/mesh_paths.h"
#include "symmetry/patch_tables.h"
#include "symmetry/target_capture.h"

namespace {

// The patch's soft-selection weights, one per vertex first (then one per vector, unused here), or
// null without a soft selection. The only place the plug-in names the patch mesh's weight accessor,
// whose name in the real SDK is not certain.
const float* vertexSoftSelection(PatchMesh& patch) { return patch.GetVSelectionWeights(); }

class PatchMeshAdapter : public MeshAdapter {
 public:
  explicit PatchMeshAdapter(PatchMesh& patch) : MeshAdapter(kPatchKind), patch_(patch), target_(nullptr) {}

  int vertexCount() const override { return patch_.numVerts; }
  int vectorCount() const { return patch_.numVecs; }

  // Other kinds of object are never converted into patches.
  bool acceptsTarget(INode* target, TimeValue t) override {
    Object* obj = target->EvalWorldState(t, TRUE).obj;
    if (obj == nullptr || !obj->IsSubClassOf(patchObjectClassID)) return false;
    target_ = static_cast<PatchObject*>(obj);
    return true;
  }

  bool holdsResult(const vLocalMeshData& cache) const override {
    return cache.resultVerts.Count() > 0 && cache.resultVecs.Count() > 0 && cache.resultVertFlags.Count() > 0;
  }
  bool fitsStoredResult(const vLocalMeshData& cache) const override {
    return MeshAdapter::fitsStoredResult(cache) && vertexCount() == cache.resultVertFlags.Count() &&
           vectorCount() == cache.resultVecs.Count() && vectorCount() == cache.targetVecs.Count();
  }
  void replay(const vLocalMeshData& cache, bool fits, const EvaluationParameters&, TimeValue) override {
    if (fits) ReplayPatchResult(cache, patch_);
    runUpdateSequence();
  }

  // A target whose tables disagree in length (a damaged cache) is captured afresh.
  bool holdsTarget(const vLocalMeshData& cache) const override {
    return MeshAdapter::holdsTarget(cache) && cache.targetVecs.Count() > 0 &&
           cache.targetVertFlags.Count() == cache.targetVerts.Count();
  }
  bool captureTarget(vLocalMeshData& cache, INode*, TimeValue t) override {
    PatchTables captured(target_->GetPatchMesh(t));
    cache.targetDirty = 0;
    cache.setTargetVerts(std::move(captured.verts));
    cache.setTargetVecs(std::move(captured.vecs));
    cache.setTargetVertFlags(std::move(captured.flags));
    return true;
  }
  void pair(vLocalMeshData& cache, const MirrorMatrices& matrices) override {
    PairVertices(cache, matrices);
    PairVectors(cache, matrices);
  }
  // Owners may be -1: a vector with no vertex at a finite distance.
  bool partnersFit(const vLocalMeshData& cache) const override {
    const int n = cache.targetVerts.Count(), nv = cache.targetVecs.Count();
    return MeshAdapter::partnersFit(cache) && IndicesWithin(cache.vecMatch, nv, 0, nv) &&
           IndicesWithin(cache.vecOwner, nv, -1, n);
  }

  bool matchesTarget(const vLocalMeshData& cache) const override {
    return MeshAdapter::matchesTarget(cache) && vectorCount() == cache.targetVecs.Count();
  }
  void apply(int operation, const vLocalMeshData& cache, const MirrorMatrices& matrices,
             const OperationOptions& options, const BaseSelectionGate&, float*) override {
    BitArray hardSelection = patch_.VertexTempSel();
    VertexSelection selection;
    selection.bits = &hardSelection;
    selection.setWeights(vertexSoftSelection(patch_), vertexCount());
    WorkingPatch working(patch_, cache);
    const PatchTarget& target = working.target();
    if (operation == kOperationMirror) MirrorPatch(working.arrays(), target, matrices.mirror, options, selection);
    else if (operation == kOperationFlip) FlipPatch(working.arrays(), target, matrices.mirror, options, selection);
    else ResetPatch(working.arrays(), target, options, selection);
    working.writeBack(patch_);
  }

  void store(vLocalMeshData& cache) override {
    PatchTables result(patch_);
    cache.setResultVerts(std::move(result.verts));
    cache.setResultVecs(std::move(result.vecs));
    cache.setResultVertFlags(std::move(result.flags));
  }
  // Once with the working tables held, once after they are released, as the update sequence has
  // always run after a full evaluation.
  void finish(const vLocalMeshData&, const EvaluationParameters&, TimeValue) override {
    runUpdateSequence();
    runUpdateSequence();
  }

 private:
  // Brings the patch's dependent data (hooks, constraints, interiors, cached geometry) up to date.
  void runUpdateSequence() {
    patch_.UpdateHooks();
    patch_.ApplyConstraints(FALSE);
    patch_.computeInteriors();
    patch_.InvalidateGeomCache();
  }

  PatchMesh& patch_;
  PatchObject* target_;
};

}  // namespace

void ModifyPatchObject(ambiflex* mod, PatchObject* obj, TimeValue t, ModContext& mc) {
  PatchMeshAdapter mesh(obj->GetPatchMesh(t));
  EvaluateSymmetry(mod, mc, t, mesh);
}
