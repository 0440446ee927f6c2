// Pairing and the three operations on plain position arrays, called exactly as the modifier's
// triangle-mesh path calls the engine, so that results equal `velomorph apply --as mesh` bit for bit.
//
// Positions are object-space 32-bit floats, n entries each; partners are 0-based vertex indices below
// n. Weights (selection, base selection) are n floats in [0, 1], as a selection file gives them: a
// weight of 1 is also a hard-selected vertex, every weight is its soft-selection weight. Nothing here
// checks its arguments: the caller has.
#pragma once

#include <string>
#include <vector>

#include "point3.h"

enum class ArrayOperationKind { kMirror, kFlip, kReset };

struct ArrayOperation {
  ArrayOperationKind kind = ArrayOperationKind::kMirror;
  int axis = 0;             // 0 x, 1 y, 2 z
  float offset = 0.0f;      // the plane lies at coordinate `axis` = offset
  bool positive = false;    // Mirror writes the positive side (else the negative)
  bool alignCentre = true;  // vertices that are their own partner go back onto the base's plane
  const float* selection = nullptr;      // null: every vertex is worked on
  const float* baseSelection = nullptr;  // null: no mask
  bool invertBaseSelection = false;      // work where the base selection is not
};

// r_partners: n entries; the table `apply` pairs the base with.
void PairPositions(const Point3* positions, int n, int axis, float offset, int* r_partners);

// The table `apply --pairing topology` hands the modifier: partners from the faces (faceStart: F + 1
// entries, cornerVertex: every corner's vertex below n), and for each vertex the connectivity could
// not settle, the partner nearest its mirror image. r_unsettled: those vertices, ascending. Returns
// an empty text, or one line naming the face or vertex that makes the mesh unusable (r_partners then
// unspecified).
std::string PairByConnectivity(const Point3* positions, int n, const std::vector<int>& faceStart,
                               const std::vector<int>& cornerVertex, int axis, float offset, int* r_partners,
                               std::vector<int>& r_unsettled);

// `positions` holds the sculpt on entry and the result on return. `base` and `partners` (unused by
// Reset, which may take null) are n entries each.
void ApplyArrayOperation(const ArrayOperation& operation, const Point3* base, const int* partners, int n,
                         Point3* positions);
