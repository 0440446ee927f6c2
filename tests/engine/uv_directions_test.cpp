// Texture directions of one triangle. The reference is the triangle's own linear map from (u, v)
// to positions: P = P0 + (u - u0) dP/du + (v - v0) dP/dv, so the U direction is dP/du and the V
// direction dP/dv, normalised, whichever corner is named first.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "support/point_sets.h"
#include "symmetry/engine/uv_directions.h"

namespace {

struct Triangle {
  std::array<Point3, 3> p;
  std::array<Point3, 3> t;  // x u, y v
};

UVDirections directionsOf(const Triangle& tri, const std::array<int, 3>& order) {
  return TriangleUVDirections(tri.p[order[0]], tri.p[order[1]], tri.p[order[2]], tri.t[order[0]],
                              tri.t[order[1]], tri.t[order[2]]);
}

// dP/du and dP/dv in double, normalised; false for a triangle whose map has no area.
bool referenceDirections(const Triangle& tri, Point3& r_u, Point3& r_v) {
  double e1[3], e2[3];
  for (int k = 0; k < 3; ++k) {
    e1[k] = double(tri.p[1][k]) - tri.p[0][k];
    e2[k] = double(tri.p[2][k]) - tri.p[0][k];
  }
  const double du1 = double(tri.t[1].x) - tri.t[0].x, dv1 = double(tri.t[1].y) - tri.t[0].y;
  const double du2 = double(tri.t[2].x) - tri.t[0].x, dv2 = double(tri.t[2].y) - tri.t[0].y;
  const double det = du1 * dv2 - du2 * dv1;
  if (std::fabs(det) < 1e-3) return false;
  double u[3], v[3], lu = 0.0, lv = 0.0;
  for (int k = 0; k < 3; ++k) {
    u[k] = (e1[k] * dv2 - e2[k] * dv1) / det;
    v[k] = (e2[k] * du1 - e1[k] * du2) / det;
    lu += u[k] * u[k];
    lv += v[k] * v[k];
  }
  lu = std::sqrt(lu);
  lv = std::sqrt(lv);
  r_u = Point3(u[0] / lu, u[1] / lu, u[2] / lu);
  r_v = Point3(v[0] / lv, v[1] / lv, v[2] / lv);
  return true;
}

void expectNear(const Point3& got, const Point3& want, float tolerance) {
  EXPECT_NEAR(got.x, want.x, tolerance);
  EXPECT_NEAR(got.y, want.y, tolerance);
  EXPECT_NEAR(got.z, want.z, tolerance);
}

const std::array<std::array<int, 3>, 6> kOrders = {
    {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};

TEST(UVDirections, RightTriangleMappedOntoTheUnitSquare) {
  const UVDirections d = TriangleUVDirections(Point3(0, 0, 0), Point3(2, 0, 0), Point3(0, 3, 0), Point3(0, 0, 0),
                                              Point3(1, 0, 0), Point3(0, 1, 0));
  EXPECT_EQ(d.u, Point3(1, 0, 0));
  EXPECT_EQ(d.v, Point3(0, 1, 0));
}

TEST(UVDirections, ThreeCornersOfOneUHaveNoVDirectionAndOfOneVNoU) {
  const Point3 p0(0, 0, 0), p1(2, 0, 0), p2(0, 3, 0);
  const UVDirections sameU = TriangleUVDirections(p0, p1, p2, Point3(0.5f, 0.0f, 0.0f), Point3(0.5f, 1.0f, 0.0f),
                                                  Point3(0.5f, 0.25f, 0.0f));
  EXPECT_EQ(sameU.v, Point3(0, 0, 0));
  EXPECT_GT(sameU.u.Length(), 0.99f) << "u is flat, v still spans the triangle";
  const UVDirections sameV = TriangleUVDirections(p0, p1, p2, Point3(0.0f, 0.5f, 0.0f), Point3(1.0f, 0.5f, 0.0f),
                                                  Point3(0.25f, 0.5f, 0.0f));
  EXPECT_EQ(sameV.u, Point3(0, 0, 0));
}

TEST(UVDirections, ASpanJustBelowTheThresholdIsFlat) {
  const Point3 p0(0, 0, 0), p1(1, 0, 0), p2(0, 1, 0);
  const UVDirections below = TriangleUVDirections(p0, p1, p2, Point3(0, 0, 0), Point3(0.5e-7f, 0.0f, 0.0f), Point3(0, 1, 0));
  EXPECT_EQ(below.v, Point3(0, 0, 0));
  const UVDirections above = TriangleUVDirections(p0, p1, p2, Point3(0, 0, 0), Point3(2e-7f, 0.0f, 0.0f), Point3(0, 1, 0));
  expectNear(above.v, Point3(0, 1, 0), 1e-6f);
}

TEST(UVDirections, CornersAtOnePointGiveZeroNotNaN) {
  const Point3 p(1, 2, 3);
  const UVDirections d = TriangleUVDirections(p, p, p, Point3(0, 0, 0), Point3(1, 0, 0), Point3(0, 1, 0));
  EXPECT_EQ(d.u, Point3(0, 0, 0));
  EXPECT_EQ(d.v, Point3(0, 0, 0));
}

// Random triangles in space, mapped either at random or on a coarse lattice (so that corners
// share u or v and the orderings' ties are taken): every corner order gives the reference.
TEST(UVDirections, EveryCornerOrderFindsTheLinearMapsDirections) {
  const float lattice[] = {0.0f, 0.5f, 1.0f};
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> pos(-1.0f, 1.0f), map(0.0f, 1.0f);
  std::uniform_int_distribution<int> pick(0, 2);
  int checked = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const bool onLattice = trial % 3 == 0;
    Triangle tri;
    for (int c = 0; c < 3; ++c) {
      tri.p[c] = Point3(pos(rng), pos(rng), pos(rng));
      tri.t[c] = onLattice ? Point3(lattice[pick(rng)], lattice[pick(rng)], 0.0f) : Point3(map(rng), map(rng), 0.0f);
    }
    const Point3 normal = (tri.p[1] - tri.p[0]) ^ (tri.p[2] - tri.p[0]);
    Point3 u, v;
    if (normal.Length() < 0.05f || !referenceDirections(tri, u, v)) continue;
    ++checked;
    for (const auto& order : kOrders) {
      const UVDirections d = directionsOf(tri, order);
      expectNear(d.u, u, 2e-3f);
      expectNear(d.v, v, 2e-3f);
    }
  }
  EXPECT_GT(checked, 1500);
}

// The middle corner lies a hair below the long edge in v. In float, 0.75 * lo.v + 0.25 * hi.v
// rounds down onto mid.v and would turn the direction round; the side test in double sees that v
// on the edge is larger and points from the middle corner towards the edge.
TEST(UVDirections, SideTestIsExactWhereFloatRoundingWouldFlipIt) {
  const float loV = 0x1.5a3eb2p-1f, hiV = 0x1.b12cecp-1f, midV = 0x1.6ffa4p-1f;
  ASSERT_EQ(0.75f * loV + 0.25f * hiV, midV) << "premise: float rounds onto the middle corner";
  ASSERT_GT(0.75L * loV + 0.25L * hiV, (long double)midV) << "premise: exactly, the edge lies above it";

  const Point3 lo(0, 0, 0), mid(1, 1, 0), hi(4, 0, 0);  // the edge point at the middle u is (1, 0, 0)
  const UVDirections d = TriangleUVDirections(lo, mid, hi, Point3(0.0f, loV, 0.0f), Point3(0.25f, midV, 0.0f),
                                              Point3(1.0f, hiV, 0.0f));
  EXPECT_EQ(d.v, Point3(0, -1, 0));
  const UVDirections swapped = TriangleUVDirections(lo, mid, hi, Point3(loV, 0.0f, 0.0f), Point3(midV, 0.25f, 0.0f),
                                                    Point3(hiV, 1.0f, 0.0f));
  EXPECT_EQ(swapped.u, Point3(0, -1, 0));
}

}  // namespace
