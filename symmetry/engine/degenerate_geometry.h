// Guards for degenerate geometry. The host promises nothing for the unit vector of a zero vector or
// the inverse of a singular matrix, so the plug-in decides those cases itself, the same way on
// every host.
#pragma once

#include "matrix3.h"
#include "symmetry/engine/compiler_hints.h"

// v divided by its length; (0, 0, 0) when the length is zero or not finite (a vertex without
// faces, a flat triangle, a transform axis scaled to nothing).
inline Point3 UnitOrZero(const Point3& v) {
  const float length = v.Length();
  if (!(length > 0.0f) || !IsFiniteFloat(length)) return Point3(0.0f, 0.0f, 0.0f);
  return v / length;
}

// Whether the 3 by 3 part of `m` has a finite, non-zero determinant, so that Inverse(m) is defined.
inline bool Invertible(const Matrix3& m) {
  const Point3 r0 = m.GetRow(0);
  const Point3 r1 = m.GetRow(1);
  const Point3 r2 = m.GetRow(2);
  const double det = double(r0.x) * (double(r1.y) * r2.z - double(r1.z) * r2.y) -
                     double(r0.y) * (double(r1.x) * r2.z - double(r1.z) * r2.x) +
                     double(r0.z) * (double(r1.x) * r2.y - double(r1.y) * r2.x);
  return det != 0.0 && IsFiniteDouble(det);
}
