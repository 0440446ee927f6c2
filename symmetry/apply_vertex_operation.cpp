// The operation parameter's choice among the vertex rules.
#include "symmetry/apply_vertex_operation.h"

#include "params/param_ids.h"

void ApplyVertexOperation(int operation, Point3* positions, int n, const vLocalMeshData& cache,
                          const MirrorMatrices& matrices, const OperationOptions& options,
                          const VertexSelection& selection, const BaseSelectionGate& gate, float* record) {
  const Point3* target = cache.targetVerts.Addr(0);
  const int* partners = cache.vertMatch.Addr(0);
  switch (operation) {
    case kOperationMirror:
      MirrorVertices(positions, target, partners, n, matrices.mirror, options, selection, gate, record);
      break;
    case kOperationFlip:
      FlipVertices(positions, target, partners, n, matrices.mirror, options, selection, gate, record);
      break;
    case kOperationReset:
      ResetVertices(positions, target, n, options, selection, gate);
      break;
    default:
      break;
  }
}
