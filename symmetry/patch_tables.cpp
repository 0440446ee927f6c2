// Copies between a patch, the cache's tables and the engine's arrays.
#include "symmetry/patch_tables.h"
#include "symmetry/table_data.h"

#include <cstdint>

namespace {
int storedFlags(DWORD flags) { return int(std::uint32_t(flags)); }
DWORD patchFlags(int stored) { return DWORD(std::uint32_t(stored)); }
}  // namespace

PatchTables::PatchTables(const PatchMesh& patch) {
  verts.SetCount(patch.numVerts);
  flags.SetCount(patch.numVerts);
  vecs.SetCount(patch.numVecs);
  for (int k = 0; k < patch.numVerts; ++k) {
    verts[k] = patch.verts[k].p;
    flags[k] = storedFlags(patch.verts[k].flags);
  }
  for (int k = 0; k < patch.numVecs; ++k) vecs[k] = patch.vecs[k].p;
}

void ReplayPatchResult(const vLocalMeshData& cache, PatchMesh& patch) {
  for (int k = 0; k < patch.numVerts; ++k) patch.verts[k].p = cache.resultVerts[k];
  for (int k = 0; k < patch.numVecs; ++k) patch.vecs[k].p = cache.resultVecs[k];
  for (int k = 0; k < patch.numVerts; ++k) patch.verts[k].flags = patchFlags(cache.resultVertFlags[k]);
}

WorkingPatch::WorkingPatch(const PatchMesh& patch, const vLocalMeshData& cache) {
  for (int k = 0; k < patch.numVerts; ++k) {
    verts_.push_back(patch.verts[k].p);
    flags_.push_back(patch.verts[k].flags);
  }
  for (int k = 0; k < patch.numVecs; ++k) {
    vecs_.push_back(patch.vecs[k].p);
    owners_.push_back(patch.vecs[k].vert);
  }
  for (int k = 0; k < cache.targetVertFlags.Count(); ++k) targetFlags_.push_back(patchFlags(cache.targetVertFlags[k]));
  target_.verts = TableData(cache.targetVerts);
  target_.vertFlags = targetFlags_.data();
  target_.vertMatch = TableData(cache.vertMatch);
  target_.vecs = TableData(cache.targetVecs);
  target_.vecMatch = TableData(cache.vecMatch);
  target_.vecOwner = TableData(cache.vecOwner);
}

PatchArrays WorkingPatch::arrays() {
  PatchArrays a;
  a.verts = verts_.data();
  a.vertFlags = flags_.data();
  a.numVerts = int(verts_.size());
  a.vecs = vecs_.data();
  a.recordedOwners = owners_.data();
  a.numVecs = int(vecs_.size());
  return a;
}

void WorkingPatch::writeBack(PatchMesh& patch) const {
  for (int k = 0; k < patch.numVerts; ++k) {
    patch.verts[k].p = verts_[size_t(k)];
    patch.verts[k].flags = flags_[size_t(k)];
  }
  for (int k = 0; k < patch.numVecs; ++k) patch.vecs[k].p = vecs_[size_t(k)];
}
