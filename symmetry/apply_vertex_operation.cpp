// The operation parameter's choice among the vertex rules.
#include "symmetry/apply_vertex_operation.h"

#include "params/param_ids.h"
#include "symmetry/table_data.h"

void ApplyVertexOperation(int operation, Point3* positions, int n, const vLocalMeshData& cache,
                          const MirrorMatrices& matrices, const OperationOptions& options,
                          const VertexSelection& selection, const BaseSelectionGate& gate, float* record) {
  const Point3* target = TableData(cache.targetVerts);
  const int* partners = TableData(cache.vertMatch);
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
