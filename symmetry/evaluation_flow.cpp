// The evaluation flow shared by the triangle, polygon and patch paths.
#include "symmetry/evaluation_flow.h"

#include "modifier/ambiflex.h"
#include "symmetry/base_selection.h"

namespace {

// The modifier's flag (which the rollout reads) and the cache's always change together.
void setResultValid(ambiflex* mod, vLocalMeshData* cache, int value) {
  mod->resultValid = value;
  cache->resultValid = value;
}

// With constant update off the stored result is handed on, unless there is none or the cache asks
// for a new evaluation.
bool replaysStoredResult(const MeshAdapter& mesh, const vLocalMeshData& cache, const EvaluationParameters& p) {
  if (p.constantUpdate == 1 || !mesh.holdsResult(cache) || cache.needsUpdate == 1) return false;
  return !(mesh.kind.replayWatchesTargetDirty && cache.targetDirty == 1);
}

// Captures and pairs when the target is not held (or updateResult is off, or targetDirty is set);
// pairs again when the partners are stale or do not belong to the held target. False when the
// target could not be captured.
bool holdTargetAndPartners(MeshAdapter& mesh, vLocalMeshData& cache, const EvaluationParameters& p, TimeValue t,
                           const MirrorMatrices& matrices) {
  if (p.keepTarget == 0 || !mesh.holdsTarget(cache) || cache.targetDirty != 0) {
    if (!mesh.captureTarget(cache, p.target, t)) return false;
    mesh.pair(cache, matrices);
  } else if (cache.matchDirty != 0 || !mesh.partnersFit(cache)) {
    mesh.pair(cache, matrices);
  }
  return true;
}

}  // namespace

void EvaluateSymmetry(ambiflex* mod, ModContext& mc, TimeValue t, MeshAdapter& mesh) {
  vLocalMeshData* cache = vLocalMeshData::FetchOrCreate(mc);
  const EvaluationParameters p = ReadEvaluationParameters(mod->pblock, t);
  if (p.target == nullptr) {
    if (mesh.kind.noTargetClearsResult) setResultValid(mod, cache, 0);
    return;
  }
  if (!mesh.acceptsTarget(p.target, t)) {
    setResultValid(mod, cache, 0);
    return;
  }
  cache->noteAxis(p.axis);

  if (replaysStoredResult(mesh, *cache, p)) {
    const bool fits = mesh.fitsStoredResult(*cache);
    if (!fits) setResultValid(mod, cache, 0);
    mesh.replay(*cache, fits, p, t);
    return;
  }

  const MirrorMatrices matrices = BuildMirrorMatrices(PlaneAxis(p.axis), p.offset);
  if (!holdTargetAndPartners(mesh, *cache, p, t, matrices)) {
    setResultValid(mod, cache, 0);
    return;
  }

  // The base selection is read afresh at every full evaluation that masks with it, never cached.
  BaseSelection base;
  BaseSelectionGate gate;
  if (mesh.kind.baseMask != BaseMask::kNone && p.baseMasks == 1) {
    if (!ReadBaseSelection(p.target, t, base)) {
      setResultValid(mod, cache, 0);
      return;
    }
    const bool bitsAlone = mesh.kind.baseMask == BaseMask::kBitsAloneOutsideMirror && p.operation != kOperationMirror;
    gate = base.Gate(p.invertBase != 0, bitsAlone);
  }

  std::vector<float> record(size_t(mesh.vertexCount()), 0.0f);
  if (IsOperation(p.operation)) {
    const bool matches = mesh.matchesTarget(*cache);
    setResultValid(mod, cache, matches ? 1 : 0);
    if (matches) mesh.apply(p.operation, *cache, matrices, p.operationOptions(), gate, record.data());
  }
  // Also after a count mismatch: the record is then all zero, and so becomes the selection.
  const bool carries = p.operation == kOperationMirror || p.operation == kOperationFlip;
  if (mesh.kind.carriesSelection && carries && p.carrySelection != 0) mesh.writeSelectionBack(record);

  mesh.store(*cache);
  cache->needsUpdate = 0;
  mesh.finish(*cache, p, t);
}
