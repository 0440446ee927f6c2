// The three matrices that express a mirror plane (coordinate `axis` equals `offset`, in the object
// space of the mesh), built with the host's matrix operations exactly as the pairing relies on:
//   match (A): ScaleMatrix(sign vector), translation row minus offset times the normalised row axis;
//   base  (B): identity, translation row minus offset times the normalised row axis;
//   mirror(C): A * Inverse(B), the reflection about the plane.
// For any p and q, p * A == q * B exactly when q is the reflection of p, so the squared distance
// between p * A and q * B is that between the reflection of p and q.
#pragma once

#include "matrix3.h"

struct MirrorMatrices {
  Matrix3 match;   // A
  Matrix3 base;    // B
  Matrix3 mirror;  // C
};

// `axis` must be 0 (X), 1 (Y) or 2 (Z); callers clamp values read from parameters.
MirrorMatrices BuildMirrorMatrices(int axis, float offset);
