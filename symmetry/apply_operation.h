// What the mesh paths share once they hold a target and partners: the twin resultValid flags, the
// plane axis as the rules take it, and running the chosen operation's rules over a position array.
#pragma once

#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/local_mesh_data.h"

class ambiflex;

// The modifier's and the cache's flag always change together.
void SetResultValid(ambiflex* mod, vLocalMeshData* cache, int value);

// A mirrorAxis value as an axis index 0..2.
inline int PlaneAxis(int mirrorAxisValue) { return mirrorAxisValue < 0 ? 0 : (mirrorAxisValue > 2 ? 2 : mirrorAxisValue); }

// The rules' options from the parameter values the paths read (mirrorAxis, axisOffset, direction,
// resetCentreVerts, ignoreSO, OperateOnlyOnSelection).
inline OperationOptions MakeOperationOptions(int mirrorAxisValue, float offset, int direction, int resetCentreVerts,
                                             int ignoreSelection, int selectionOnly) {
  OperationOptions options;
  options.axis = PlaneAxis(mirrorAxisValue);
  options.offset = offset;
  options.direction = direction;
  options.resetCentreVerts = resetCentreVerts == 1;
  options.ignoreSelection = ignoreSelection == 1;
  options.selectionOnly = selectionOnly != 0;
  return options;
}

// Mirror, Flip or Reset (`operation` 0, 1, 2) over `n` positions in place, with the cache's held
// target and partners (both of n entries) and the matrices' reflection. `record`: n floats, zero
// on entry. Any other operation value changes nothing.
void ApplyVertexOperation(int operation, Point3* positions, int n, const vLocalMeshData& cache,
                          const MirrorMatrices& matrices, const OperationOptions& options,
                          const VertexSelection& selection, const BaseSelectionGate& gate, float* record);
