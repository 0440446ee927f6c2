// The texture directions of one triangle: from its three corner positions and their map
// coordinates (x is u, y is v; z is ignored), the unit vectors in which u and v grow across it.
//
// The V direction lies along the line of constant u through the corner whose u is in the middle,
// pointing the way v grows there; the U direction is the same with u and v exchanged. A triangle
// whose u (v) values span less than 1e-7 has no V (U) direction: (0, 0, 0). So does one whose
// direction has no length. Pure function, no state.
#pragma once

#include "point3.h"

struct UVDirections {
  Point3 u;
  Point3 v;
};

UVDirections TriangleUVDirections(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& t0,
                                  const Point3& t1, const Point3& t2);
// Each of the two alone, for callers that need only one (half the work).
Point3 TriangleUDirection(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& t0,
                          const Point3& t1, const Point3& t2);
Point3 TriangleVDirection(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& t0,
                          const Point3& t1, const Point3& t2);

// Below this span of one map coordinate a triangle has no direction for the other.
const float kFlatMapSpan = 1e-7f;
