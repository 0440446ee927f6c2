// Box3: an axis-aligned box; empty after Init (minimum above maximum).
#pragma once

#include "matrix3.h"

class Box3 {
 public:
  Point3 pmin, pmax;

  Box3() { Init(); }
  Box3(const Point3& p, const Point3& q) : pmin(p), pmax(q) {}
  void Init();
  bool IsEmpty() const;
  // A cube of side `side` centred on `p`.
  void MakeCube(const Point3& p, float side);
  // Corner i: maximum on X when bit 0 of i is set, on Y for bit 1, on Z for bit 2.
  Point3 operator[](int i) const;
  Box3& operator+=(const Point3& p);
  Box3& operator+=(const Box3& b);
  Point3 Center() const { return (pmin + pmax) / 2.0f; }
  Point3 Width() const { return pmax - pmin; }
};
