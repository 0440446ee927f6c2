// The steps most kinds share: the triangle and polygon meshes take them as they are, the patch adds
// its vectors and flags words to them.
#include "symmetry/mesh_adapter.h"

#include "symmetry/target_capture.h"

bool MeshAdapter::fitsStoredResult(const vLocalMeshData& cache) const {
  return vertexCount() == cache.resultVerts.Count() && vertexCount() == cache.targetVerts.Count();
}

bool MeshAdapter::captureTarget(vLocalMeshData& cache, INode* target, TimeValue t) {
  return CaptureTriMeshTarget(cache, target, t);
}

void MeshAdapter::pair(vLocalMeshData& cache, const MirrorMatrices& matrices) { PairVertices(cache, matrices); }

// A partner table that does not belong to the held target (from a damaged cache) is rebuilt.
bool MeshAdapter::partnersFit(const vLocalMeshData& cache) const {
  const int n = cache.targetVerts.Count();
  return IndicesWithin(cache.vertMatch, n, 0, n);
}
