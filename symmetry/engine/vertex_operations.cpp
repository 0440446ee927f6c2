// Mirror, Flip and Reset, vertex by vertex. Each rule reads and writes the caller's arrays in index
// order; the order of the float operations (including the soft blends w * a + (1 - w) * b) is part
// of the result, so results are reproducible across the mesh paths.
#include "symmetry/engine/vertex_operations.h"

#include <vector>

#include "symmetry/engine/compiler_hints.h"

bool BaseSelectionGate::Passes(int i) const {
  if (!enabled) return true;
  const bool bit = bits != nullptr && i >= 0 && i < bits->GetSize() && (*bits)[i] != 0;
  if (bitsOnly || weights == nullptr) return invert ? !bit : bit;
  const float w = (i >= 0 && i < weightCount) ? weights[i] : 0.0f;
  return invert ? (!bit && w != 1.0f) : (w != 0.0f);
}

namespace {

// A mesh's vertex order follows its modelling history, not its symmetry, so a vertex's partner is
// anywhere in the array: its position is asked for this many vertices ahead, to be in cache when
// its turn comes.
// (Written out in each loop: a helper holding only the prefetch would be judged free of effects and
// its calls dropped.)
const int kPartnerLookAhead = 16;

// The centre rule shared by Mirror and Flip: a vertex that is its own partner goes back onto the
// target's plane coordinate and keeps the rest of its deformation. True when it handled the vertex.
bool applyCentreRule(Point3* positions, const Point3* target, const int* partners, int i,
                     const OperationOptions& options) {
  if (!IsCentre(partners, i, options)) return false;
  positions[i][options.axis] = target[i][options.axis];
  return true;
}

}  // namespace

void MirrorVertices(Point3* positions, const Point3* target, const int* partners, int n,
                    const Matrix3& mirror, const OperationOptions& options,
                    const VertexSelection& selection, const BaseSelectionGate& gate, float* record) {
  for (int i = 0; i < n; ++i) {
    if (i + kPartnerLookAhead < n) PrefetchForRead(&positions[partners[i + kPartnerLookAhead]]);
    if (!gate.Passes(i)) continue;
    if (applyCentreRule(positions, target, partners, i, options)) continue;
    if (!OnWrittenSide(target[i], options)) continue;
    const int p = partners[i];

    record[i] = selection.InheritedWeight(p);
    if (options.selectionOnly) continue;
    if (options.ignoreSelection || selection.Selected(i)) {
      positions[i] = positions[p] * mirror;
    } else if (selection.HasWeights()) {
      const float w = selection.Weight(i);
      if (w != 0.0f) positions[i] = Blend(w, positions[p] * mirror, positions[i]);
    }
  }
}

void FlipVertices(Point3* positions, const Point3* target, const int* partners, int n,
                  const Matrix3& mirror, const OperationOptions& options,
                  const VertexSelection& selection, const BaseSelectionGate& gate, float* record) {
  // Every reflection comes from the positions as the pass began, so a pair swaps cleanly whichever
  // of its two vertices is visited first.
  const std::vector<Point3> original(positions, positions + n);
  for (int i = 0; i < n; ++i) {
    if (i + kPartnerLookAhead < n) PrefetchForRead(&original[size_t(partners[i + kPartnerLookAhead])]);
    if (!gate.Passes(i)) continue;
    if (applyCentreRule(positions, target, partners, i, options)) continue;
    const int p = partners[i];

    record[i] = selection.InheritedWeight(p);
    if (options.ignoreSelection) {
      if (!options.selectionOnly) positions[i] = original[p] * mirror;
      continue;
    }
    if (options.selectionOnly) continue;
    // A hard-selected vertex swaps the whole pair, whichever of the two is selected.
    if (selection.Selected(i) || selection.Selected(p)) {
      positions[p] = original[i] * mirror;
      positions[i] = original[p] * mirror;
    }
    if (selection.HasWeights()) {
      // The larger weight blends both vertices, from their current positions, at each of the pair's
      // two visits; equal weights blend nothing.
      const float wi = selection.Weight(i);
      const float wp = selection.Weight(p);
      if (wp > wi || wp < wi) {
        const float w = wp > wi ? wp : wi;
        positions[p] = Blend(w, original[i] * mirror, positions[p]);
        positions[i] = Blend(w, original[p] * mirror, positions[i]);
      }
    }
  }
}

void ResetVertices(Point3* positions, const Point3* target, int n, const OperationOptions& options,
                   const VertexSelection& selection, const BaseSelectionGate& gate) {
  for (int i = 0; i < n; ++i) {
    if (!gate.Passes(i)) continue;
    if (options.ignoreSelection || selection.Selected(i)) {
      positions[i] = target[i];
    } else if (selection.HasWeights()) {
      const float w = selection.Weight(i);
      if (w != 0.0f) positions[i] = Blend(w, target[i], positions[i]);
    }
  }
}
