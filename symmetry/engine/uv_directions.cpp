// Texture directions of a triangle by linear interpolation along its long edge: the corners are
// ordered by one map coordinate, the point on the edge from the lowest to the highest corner that
// has the middle corner's value is found, and the direction runs between it and the middle corner.
//
// The arithmetic is 32-bit float except for 1 - t and the side test of the interpolated coordinate,
// which are done in double: the side test decides the sign of the direction, and in double it does
// not flip on float rounding when the middle corner lies almost on the long edge in map space.
#include "symmetry/engine/uv_directions.h"

#include <cmath>

#include "symmetry/engine/degenerate_geometry.h"

namespace {

struct Order {
  Order(int h, int m, int l) : hi(h), mid(m), lo(l) {}
  int hi, mid, lo;
};

// The corners by one map coordinate. The tests and their order decide ties, and so which corner is
// the middle one when two share a value.
Order orderBy(const float a[3]) {
  if (a[2] <= a[1]) {
    if (a[0] < a[2]) return Order(1, 2, 0);
    if (a[1] <= a[0]) return Order(0, 1, 2);
    return Order(1, 0, 2);
  }
  if (a[1] <= a[0]) {
    if (a[2] <= a[0]) return Order(0, 2, 1);
    return Order(2, 0, 1);
  }
  return Order(2, 1, 0);
}

// The unit direction along the line of constant `across` through the middle corner in which
// `along` grows; (0, 0, 0) when the triangle is flat in `across`.
Point3 directionOf(const Point3 p[3], const float across[3], const float along[3]) {
  const Order o = orderBy(across);
  const float span = across[o.hi] - across[o.lo];
  if (std::fabs(span) < kFlatMapSpan) return Point3(0.0f, 0.0f, 0.0f);
  const float t = (across[o.mid] - across[o.lo]) / span;
  const double s = 1.0 - double(t);
  const Point3 q = float(s) * p[o.lo] + t * p[o.hi];
  const double alongAtQ = s * double(along[o.lo]) + double(t * along[o.hi]);
  const Point3 d = alongAtQ <= double(along[o.mid]) ? p[o.mid] - q : q - p[o.mid];
  return UnitOrZero(d);
}

}  // namespace

UVDirections TriangleUVDirections(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& t0,
                                  const Point3& t1, const Point3& t2) {
  UVDirections r;
  r.u = TriangleUDirection(p0, p1, p2, t0, t1, t2);
  r.v = TriangleVDirection(p0, p1, p2, t0, t1, t2);
  return r;
}

Point3 TriangleUDirection(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& t0,
                          const Point3& t1, const Point3& t2) {
  const Point3 p[3] = {p0, p1, p2};
  const float u[3] = {t0.x, t1.x, t2.x};
  const float v[3] = {t0.y, t1.y, t2.y};
  return directionOf(p, v, u);
}

Point3 TriangleVDirection(const Point3& p0, const Point3& p1, const Point3& p2, const Point3& t0,
                          const Point3& t1, const Point3& t2) {
  const Point3 p[3] = {p0, p1, p2};
  const float u[3] = {t0.x, t1.x, t2.x};
  const float v[3] = {t0.y, t1.y, t2.y};
  return directionOf(p, u, v);
}
