// The patch-mesh path: the triangle path's flow applied to a patch's vertices and handle vectors.
// Where it differs: the target must itself be a patch object; vertex flags words and vectors are
// captured, stored and replayed with the positions; the replay does not look at targetDirty; there
// is no base-selection mask and no selection carrying; and every way out that may have moved the
// patch runs the patch's update sequence (once after a replay, twice after a full evaluation).
//
// A patch whose vertex or vector count differs from the stored result or the target is a count
// mismatch: it passes on unchanged with both resultValid flags 0, so no table is ever indexed past
// its end.
#include <cstdint>
#include <vector>

#include "modifier/ambiflex.h"
#include "params/param_ids.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/patch_operations.h"
#include "symmetry/engine/vertex_pairing.h"
#include "symmetry/apply_operation.h"
#include "symmetry/local_mesh_data.h"
#include "symmetry/mesh_paths.h"

namespace {

// Brings the patch's dependent data (hooks, constraints, interiors, cached geometry) up to date.
void runUpdateSequence(PatchMesh& patch) {
  patch.UpdateHooks();
  patch.ApplyConstraints(FALSE);
  patch.computeInteriors();
  patch.InvalidateGeomCache();
}

// The target node's evaluated object as a patch object, or null when it is anything else. Other
// kinds of object are never converted into patches.
PatchObject* evalTargetPatch(INode* target, TimeValue t) {
  Object* obj = target->EvalWorldState(t, TRUE).obj;
  if (obj == nullptr || !obj->IsSubClassOf(patchObjectClassID)) return nullptr;
  return static_cast<PatchObject*>(obj);
}

// Flags words are stored as 32-bit integers, bit for bit.
int storedFlags(DWORD flags) { return int(std::uint32_t(flags)); }
DWORD patchFlags(int stored) { return DWORD(std::uint32_t(stored)); }

bool indicesWithin(const Tab<int>& table, int count, int lowest, int limit) {
  if (table.Count() != count) return false;
  const int* entries = table.Addr(0);
  for (int k = 0; k < count; ++k) {
    if (entries[k] < lowest || entries[k] >= limit) return false;
  }
  return true;
}

// Whether the held partner and owner tables belong to the held target: one entry per target vertex
// or vector, each naming a vertex or vector of the target (an owner may be -1, none).
bool partnerTablesFit(const vLocalMeshData& cache) {
  const int n = cache.targetVerts.Count();
  const int nv = cache.targetVecs.Count();
  return indicesWithin(cache.vertMatch, n, 0, n) && indicesWithin(cache.vecMatch, nv, 0, nv) &&
         indicesWithin(cache.vecOwner, nv, -1, n);
}

void capture(vLocalMeshData* cache, PatchMesh& target) {
  Tab<Point3> verts, vecs;
  Tab<int> flags;
  verts.SetCount(target.numVerts);
  flags.SetCount(target.numVerts);
  vecs.SetCount(target.numVecs);
  for (int k = 0; k < target.numVerts; ++k) {
    verts[k] = target.verts[k].p;
    flags[k] = storedFlags(target.verts[k].flags);
  }
  for (int k = 0; k < target.numVecs; ++k) vecs[k] = target.vecs[k].p;
  cache->targetDirty = 0;
  cache->setTargetVerts(std::move(verts));
  cache->setTargetVecs(std::move(vecs));
  cache->setTargetVertFlags(std::move(flags));
}

// Vertex partners, vector partners (the same reflection search over the vectors, a vector without a
// candidate being its own partner) and vector owners (the nearest target vertex).
void pair(vLocalMeshData* cache, const MirrorMatrices& matrices) {
  const int n = cache->targetVerts.Count();
  const int nv = cache->targetVecs.Count();
  const Point3* verts = cache->targetVerts.Addr(0);
  const Point3* vecs = cache->targetVecs.Addr(0);
  Tab<int> vertMatch, vecMatch, vecOwner;
  vertMatch.SetCount(n);
  vecMatch.SetCount(nv);
  vecOwner.SetCount(nv);
  BuildPartnerTable(verts, n, matrices, vertMatch.Addr(0));
  BuildPartnerTable(vecs, nv, matrices, vecMatch.Addr(0));
  FindOwnerVertices(vecs, nv, verts, n, vecOwner.Addr(0));
  cache->setVertMatch(std::move(vertMatch));
  cache->setVecMatch(std::move(vecMatch));
  cache->setVecOwner(std::move(vecOwner));
  cache->matchDirty = 0;
}

// The stored result over the patch, when it has the shape of the stored result and target.
void replay(ambiflex* mod, vLocalMeshData* cache, PatchMesh& patch) {
  const int n = patch.numVerts;
  const int nv = patch.numVecs;
  const bool fits = n == cache->resultVerts.Count() && n == cache->targetVerts.Count() &&
                    n == cache->resultVertFlags.Count() && nv == cache->resultVecs.Count() &&
                    nv == cache->targetVecs.Count();
  if (!fits) {
    SetResultValid(mod, cache, 0);
    return;
  }
  const Point3* verts = cache->resultVerts.Addr(0);
  const Point3* vecs = cache->resultVecs.Addr(0);
  const int* flags = cache->resultVertFlags.Addr(0);
  for (int k = 0; k < n; ++k) patch.verts[k].p = verts[k];
  for (int k = 0; k < nv; ++k) patch.vecs[k].p = vecs[k];
  for (int k = 0; k < n; ++k) patch.verts[k].flags = patchFlags(flags[k]);
}

void store(vLocalMeshData* cache, const PatchMesh& patch) {
  Tab<Point3> verts, vecs;
  Tab<int> flags;
  verts.SetCount(patch.numVerts);
  flags.SetCount(patch.numVerts);
  vecs.SetCount(patch.numVecs);
  for (int k = 0; k < patch.numVerts; ++k) {
    verts[k] = patch.verts[k].p;
    flags[k] = storedFlags(patch.verts[k].flags);
  }
  for (int k = 0; k < patch.numVecs; ++k) vecs[k] = patch.vecs[k].p;
  cache->setResultVerts(std::move(verts));
  cache->setResultVecs(std::move(vecs));
  cache->setResultVertFlags(std::move(flags));
}

// The patch's arrays laid out for the engine, and written back after it ran.
struct WorkingPatch {
  std::vector<Point3> verts;
  std::vector<DWORD> flags;
  std::vector<Point3> vecs;
  std::vector<int> owners;

  explicit WorkingPatch(const PatchMesh& patch) {
    verts.reserve(size_t(patch.numVerts));
    flags.reserve(size_t(patch.numVerts));
    vecs.reserve(size_t(patch.numVecs));
    owners.reserve(size_t(patch.numVecs));
    for (int k = 0; k < patch.numVerts; ++k) {
      verts.push_back(patch.verts[k].p);
      flags.push_back(patch.verts[k].flags);
    }
    for (int k = 0; k < patch.numVecs; ++k) {
      vecs.push_back(patch.vecs[k].p);
      owners.push_back(patch.vecs[k].vert);
    }
  }
  PatchArrays arrays() {
    PatchArrays a;
    a.verts = verts.data();
    a.vertFlags = flags.data();
    a.numVerts = int(verts.size());
    a.vecs = vecs.data();
    a.recordedOwners = owners.data();
    a.numVecs = int(vecs.size());
    return a;
  }
  void writeBack(PatchMesh& patch) const {
    for (int k = 0; k < patch.numVerts; ++k) {
      patch.verts[k].p = verts[size_t(k)];
      patch.verts[k].flags = flags[size_t(k)];
    }
    for (int k = 0; k < patch.numVecs; ++k) patch.vecs[k].p = vecs[size_t(k)];
  }
};

// The patch's soft-selection weights, one per vertex first (then one per vector, unused here), or
// null without a soft selection. The only place the plug-in names the patch mesh's weight accessor,
// whose name in the real SDK is not certain.
const float* vertexSoftSelection(PatchMesh& patch) { return patch.GetVSelectionWeights(); }

void applyOperation(int op, PatchMesh& patch, const vLocalMeshData& cache, const MirrorMatrices& matrices,
                    const OperationOptions& options) {
  BitArray hardSelection = patch.VertexTempSel();
  VertexSelection selection;
  selection.bits = &hardSelection;
  selection.weights = vertexSoftSelection(patch);
  selection.weightCount = selection.weights != nullptr ? patch.numVerts : 0;

  std::vector<DWORD> targetFlags;
  for (int k = 0; k < cache.targetVertFlags.Count(); ++k) targetFlags.push_back(patchFlags(cache.targetVertFlags[k]));
  PatchTarget target;
  target.verts = cache.targetVerts.Addr(0);
  target.vertFlags = targetFlags.data();
  target.vertMatch = cache.vertMatch.Addr(0);
  target.vecs = cache.targetVecs.Addr(0);
  target.vecMatch = cache.vecMatch.Addr(0);
  target.vecOwner = cache.vecOwner.Addr(0);

  WorkingPatch working(patch);
  if (op == kOperationMirror) MirrorPatch(working.arrays(), target, matrices.mirror, options, selection);
  else if (op == kOperationFlip) FlipPatch(working.arrays(), target, matrices.mirror, options, selection);
  else ResetPatch(working.arrays(), target, options, selection);
  working.writeBack(patch);
}

}  // namespace

void ModifyPatchObject(ambiflex* mod, PatchObject* obj, TimeValue t, ModContext& mc) {
  vLocalMeshData* cache = vLocalMeshData::FetchOrCreate(mc);
  IParamBlock2* pb = mod->pblock;
  Interval valid = FOREVER;

  int keepTarget = 1;
  pb->GetValue(updateResult, t, keepTarget, valid);
  INode* target = nullptr;
  pb->GetValue(UndefObject, t, target, valid);
  PatchObject* source = target != nullptr ? evalTargetPatch(target, t) : nullptr;
  if (source == nullptr) {
    SetResultValid(mod, cache, 0);
    return;
  }

  int constant = 1, ignoreSelection = 1, axis = 0;
  float offset = 0.0f;
  pb->GetValue(constantUpdate, t, constant, valid);
  pb->GetValue(ignoreSO, t, ignoreSelection, valid);
  pb->GetValue(axisOffset, t, offset, valid);
  PatchMesh& patch = obj->GetPatchMesh(t);
  const int n = patch.numVerts;
  const int nv = patch.numVecs;
  pb->GetValue(mirrorAxis, t, axis, valid);
  cache->noteAxis(axis);

  const bool fullEvaluation = constant == 1 || cache->resultVerts.Count() == 0 || cache->resultVecs.Count() == 0 ||
                              cache->resultVertFlags.Count() == 0 || cache->needsUpdate != 0;
  if (!fullEvaluation) {
    replay(mod, cache, patch);
    runUpdateSequence(patch);
    return;
  }

  const MirrorMatrices matrices = BuildMirrorMatrices(PlaneAxis(axis), offset);
  // A target whose tables disagree in length (a damaged cache) is captured afresh.
  const bool targetHeld = keepTarget != 0 && cache->targetVerts.Count() > 0 && cache->targetVecs.Count() > 0 &&
                          cache->targetVertFlags.Count() == cache->targetVerts.Count() && cache->targetDirty == 0;
  if (!targetHeld) {
    capture(cache, source->GetPatchMesh(t));
    pair(cache, matrices);
  } else if (cache->matchDirty != 0 || !partnerTablesFit(*cache)) {
    pair(cache, matrices);
  }

  int op = kOperationMirror, side = kDirectionNegative, alignCentre = 1;
  pb->GetValue(operation, t, op, valid);
  pb->GetValue(direction, t, side, valid);
  pb->GetValue(resetCentreVerts, t, alignCentre, valid);

  if (op == kOperationMirror || op == kOperationFlip || op == kOperationReset) {
    if (n == cache->targetVerts.Count() && nv == cache->targetVecs.Count()) {
      SetResultValid(mod, cache, 1);
      // The patch path has no selection-only mode.
      const OperationOptions options = MakeOperationOptions(axis, offset, side, alignCentre, ignoreSelection, 0);
      applyOperation(op, patch, *cache, matrices, options);
    } else {
      SetResultValid(mod, cache, 0);
    }
  }

  store(cache, patch);
  cache->needsUpdate = 0;
  runUpdateSequence(patch);
  runUpdateSequence(patch);
}
