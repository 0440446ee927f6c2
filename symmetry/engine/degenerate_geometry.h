// Guards for degenerate geometry. The host promises nothing for the unit vector of a zero vector or
// the inverse of a singular matrix, so the plug-in decides those cases itself, the same way on
// every host.
#pragma once

#include <cmath>

#include "matrix3.h"

// v divided by its length; (0, 0, 0) when the length is zero or not finite (a vertex without
// faces, a flat triangle, a transform axis scaled to nothing).
inline Point3 UnitOrZero(const Point3& v) {
  const float length = v.Length();
  if (!(length > 0.0f) || !std::isfinite(length)) return Point3(0.0f, 0.0f, 0.0f);
  return v / length;
}

// Whether the 3 by 3 part of `m` has a finite, non-zero determinant, so that Inverse(m) is defined.
inline bool Invertible(const Matrix3& m) {
  const double det = double(m.m[0][0]) * (double(m.m[1][1]) * m.m[2][2] - double(m.m[1][2]) * m.m[2][1]) -
                     double(m.m[0][1]) * (double(m.m[1][0]) * m.m[2][2] - double(m.m[1][2]) * m.m[2][0]) +
                     double(m.m[0][2]) * (double(m.m[1][0]) * m.m[2][1] - double(m.m[1][1]) * m.m[2][0]);
  return det != 0.0 && std::isfinite(det);
}
