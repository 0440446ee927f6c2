// Mirror, Flip or Reset chosen by the `operation` parameter, over a flat position array: the step
// the triangle and polygon adapters share.
#pragma once

#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/local_mesh_data.h"

// `operation` 0, 1, 2 over `n` positions in place, with the cache's held target and partners (both
// of n entries) and the matrices' reflection. `record`: n floats, zero on entry. Any other
// operation value changes nothing.
void ApplyVertexOperation(int operation, Point3* positions, int n, const vLocalMeshData& cache,
                          const MirrorMatrices& matrices, const OperationOptions& options,
                          const VertexSelection& selection, const BaseSelectionGate& gate, float* record);
