// A patch's vertex positions, flags words and vector positions in the two forms the patch adapter
// moves them between: the cache's tables (flags words as 32-bit integers, bit for bit) and the
// engine's working arrays (patch_operations.h).
#pragma once

#include <vector>

#include "max.h"
#include "symmetry/engine/patch_operations.h"
#include "symmetry/local_mesh_data.h"

// The patch as the cache stores it, for a capture or a stored result.
struct PatchTables {
  Tab<Point3> verts, vecs;
  Tab<int> flags;
  explicit PatchTables(const PatchMesh& patch);
};

// Hands the cache's stored result (resultVerts, resultVecs, resultVertFlags, counts already
// checked against the patch) on to the patch.
void ReplayPatchResult(const vLocalMeshData& cache, PatchMesh& patch);

// The patch and the cache's held target laid out for the patch rules; writeBack puts the changed
// arrays into the patch. The cache must outlive it.
class WorkingPatch {
 public:
  WorkingPatch(const PatchMesh& patch, const vLocalMeshData& cache);
  PatchArrays arrays();
  const PatchTarget& target() const { return target_; }
  void writeBack(PatchMesh& patch) const;

 private:
  std::vector<Point3> verts_, vecs_;
  std::vector<DWORD> flags_, targetFlags_;
  std::vector<int> owners_;
  PatchTarget target_;
};
