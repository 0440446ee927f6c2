// The base selection: the target mesh's own vertex selection bits and soft-selection weights,
// read afresh from the target node at every full evaluation that masks with it.
#pragma once

#include <vector>

#include "inode.h"
#include "symmetry/engine/vertex_operations.h"

struct BaseSelection {
  BitArray bits;
  std::vector<float> weights;  // empty when the target mesh has no soft selection
  bool hasWeights;

  BaseSelection() : hasWeights(false) {}

  // The gate over these bits and weights; it refers into this object.
  BaseSelectionGate Gate(bool invert, bool bitsOnly) const;
};

// Reads the target's current selection. False when its object cannot be converted to a mesh.
bool ReadBaseSelection(INode* target, TimeValue t, BaseSelection& r_selection);
