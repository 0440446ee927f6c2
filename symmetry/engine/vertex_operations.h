// Per-vertex rules of the three operations (Mirror, Flip, Reset) on plain arrays. The mesh paths
// adapt their meshes to these inputs; nothing here knows a scene object.
//
// Vertices are visited in index order 0..n-1 and written in place, so a later vertex reads positions
// earlier visits already changed (Mirror and Reset read P; Flip reflects from a copy taken first).
// All arithmetic is in 32-bit floats.
#pragma once

#include "bitarray.h"
#include "matrix3.h"

// The incoming sub-object selection: hard bits (false outside their count) and, when the mesh has
// soft selection, one weight per vertex (weights beyond weightCount read as 0).
struct VertexSelection {
  VertexSelection() : bits(nullptr), weights(nullptr), weightCount(0) {}

  const BitArray* bits;    // null: nothing selected
  const float* weights;    // null: no soft selection
  int weightCount;

  // `w`: `count` weights, or null without soft selection.
  void setWeights(const float* w, int count) {
    weights = w;
    weightCount = w != nullptr ? count : 0;
  }
  bool Selected(int i) const { return bits != nullptr && i >= 0 && i < bits->GetSize() && (*bits)[i] != 0; }
  bool HasWeights() const { return weights != nullptr; }
  float Weight(int i) const { return (i >= 0 && i < weightCount) ? weights[i] : 0.0f; }
  // The weight of k as the selection record inherits it: W[k] with soft selection, else 1 or 0.
  float InheritedWeight(int k) const { return HasWeights() ? Weight(k) : (Selected(k) ? 1.0f : 0.0f); }
};

// The base selection mask taken from the target mesh. A vertex beyond the target's bits or weights
// counts as unselected with weight 0.
struct BaseSelectionGate {
  BaseSelectionGate()
      : enabled(false), invert(false), bitsOnly(false), bits(nullptr), weights(nullptr), weightCount(0) {}

  bool enabled;   // baseSelectionMasks
  bool invert;    // invertBaseSelection
  bool bitsOnly;  // judge by the bits alone, even when weights exist
  const BitArray* bits;
  const float* weights;  // null: the target has no soft selection
  int weightCount;

  bool Passes(int i) const;
};

struct OperationOptions {
  OperationOptions()
      : axis(0), offset(0.0f), direction(0), resetCentreVerts(true), ignoreSelection(true), selectionOnly(false) {}

  int axis;               // mirrorAxis, 0..2
  float offset;           // axisOffset
  int direction;          // 0 Negative: write where T[i][axis] <= offset; else >= offset
  bool resetCentreVerts;  // centre vertices take the target's axis coordinate
  bool ignoreSelection;   // ignoreSO
  bool selectionOnly;     // OperateOnlyOnSelection: carry the selection, keep positions
};

// The rules' shared pieces, which the patch rules use too. A soft blend moves `from` the fraction `w`
// of the way toward `toward`, in this order of float operations.
inline Point3 Blend(float w, const Point3& toward, const Point3& from) { return w * toward + (1.0f - w) * from; }
// Whether a point is on Mirror's written side of the plane, judged by its target position: a point on
// the plane is written in both directions.
inline bool OnWrittenSide(const Point3& target, const OperationOptions& options) {
  const float t = target[options.axis];
  return options.direction == 0 ? t <= options.offset : t >= options.offset;
}
// Whether the centre rule takes element i: resetCentreVerts on and i its own partner.
inline bool IsCentre(const int* partners, int i, const OperationOptions& options) {
  return options.resetCentreVerts && partners[i] == i;
}

// positions: P, n entries, changed in place. target: T, n entries. partners: M, n entries, each a
// valid index below n. mirror: C. record: R, n floats, zero on entry; receives the weight each
// processed vertex inherits from its partner.
void MirrorVertices(Point3* positions, const Point3* target, const int* partners, int n,
                    const Matrix3& mirror, const OperationOptions& options,
                    const VertexSelection& selection, const BaseSelectionGate& gate, float* record);
void FlipVertices(Point3* positions, const Point3* target, const int* partners, int n,
                  const Matrix3& mirror, const OperationOptions& options,
                  const VertexSelection& selection, const BaseSelectionGate& gate, float* record);
void ResetVertices(Point3* positions, const Point3* target, int n, const OperationOptions& options,
                   const VertexSelection& selection, const BaseSelectionGate& gate);

// Threshold above which a carried weight makes a vertex hard-selected on write-back.
const float kSelectedWeight = 0.999f;
