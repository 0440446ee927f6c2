// Point sets for the engine's tests and benchmarks: symmetric grid-like sheets, symmetric random
// clouds, duplicate-heavy sets, degenerate sets and plain random ones. Every generator is
// deterministic for its arguments. "Symmetric" is exact: the mirror image of each off-plane point about
// the plane where coordinate `axis` is 0 is in the set with bit-identical coordinates.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include "point3.h"

// Lets test failures show coordinates instead of bytes.
inline void PrintTo(const Point3& p, std::ostream* os) { *os << '(' << p.x << ", " << p.y << ", " << p.z << ')'; }

namespace point_sets {

inline Point3 mirrored(Point3 p, int axis) {
  p[axis] = -p[axis];
  return p;
}

// A bumpy height-field sheet of about `count` points, in row order as a mesh lists them: columns at
// steps of 1/4 across the plane (the middle column on it), rows along the next axis, and a height that
// depends on the square of the column, so both halves carry the same floats.
inline std::vector<Point3> symmetricGrid(int count, int axis) {
  const int rows = std::max(1, int(std::sqrt(double(count) / 2.0)));
  const int half = std::max(0, (count / rows - 1) / 2);
  std::vector<Point3> points;
  points.reserve(std::size_t(rows) * std::size_t(2 * half + 1));
  for (int r = 0; r < rows; ++r) {
    for (int c = -half; c <= half; ++c) {
      Point3 p;
      p[axis] = 0.25f * float(c);
      p[(axis + 1) % 3] = 0.25f * float(r);
      p[(axis + 2) % 3] = 0.5f * std::sin(0.001f * float(c * c) + 0.07f * float(r));
      points.push_back(p);
    }
  }
  return points;
}

// `count` points in [-1, 1]^3 in random order: mirror pairs, with about one point in 64 on the plane.
inline std::vector<Point3> symmetricRandom(int count, int axis, std::uint32_t seed = 1) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> coord(-1.0f, 1.0f);
  std::vector<Point3> points;
  points.reserve(std::size_t(std::max(count, 0)));
  while (int(points.size()) < count) {
    Point3 p(coord(rng), coord(rng), coord(rng));
    p[axis] = std::fabs(p[axis]);
    if (rng() % 64 == 0 || int(points.size()) + 2 > count) {
      p[axis] = 0.0f;
      points.push_back(p);
    } else {
      points.push_back(p);
      points.push_back(mirrored(p, axis));
    }
  }
  std::shuffle(points.begin(), points.end(), rng);
  return points;
}

// `count` points in random order, each position of a symmetric random set repeated about `copies`
// times (every position at least once, so the set stays symmetric).
inline std::vector<Point3> duplicateHeavy(int count, int copies, int axis, std::uint32_t seed = 2) {
  const std::vector<Point3> distinct = symmetricRandom(std::max(1, count / std::max(copies, 1)), axis, seed);
  std::vector<Point3> points;
  points.reserve(std::size_t(std::max(count, 0)));
  for (int k = 0; k < count; ++k) points.push_back(distinct[std::size_t(k) % distinct.size()]);
  std::shuffle(points.begin(), points.end(), std::mt19937(seed + 1));
  return points;
}

// `count` points uniform in [-scale, scale]^3, with no symmetry.
inline std::vector<Point3> randomPoints(int count, std::uint32_t seed = 3, float scale = 1.0f) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> coord(-scale, scale);
  std::vector<Point3> points(std::size_t(std::max(count, 0)));
  for (Point3& p : points) p = Point3(coord(rng), coord(rng), coord(rng));
  return points;
}

// A symmetric random set with about a quarter of its points replaced by the awkward cases a scene
// can hold: NaN and infinite coordinates, coordinates whose squares overflow or underflow, -0 on the
// plane, exact copies of other points, and points too far from everything to find a partner.
inline std::vector<Point3> degenerate(int count, int axis, std::uint32_t seed = 4) {
  std::vector<Point3> points = symmetricRandom(count, axis, seed);
  std::mt19937 rng(seed + 1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (std::size_t k = 0; k < points.size(); ++k) {
    Point3& p = points[k];
    const int c = int(rng() % 3);
    switch (rng() % 36) {
      case 0: p[c] = nan; break;
      case 1: p[c] = inf; break;
      case 2: p[c] = -inf; break;
      case 3: p[c] = 3e30f; break;
      case 4: p = p * 1e-30f; break;
      case 5: p[axis] = -0.0f; break;
      case 6:
      case 7: p = points[rng() % points.size()]; break;
      case 8: p[c] += 2e4f; break;
      default: break;
    }
  }
  return points;
}

}  // namespace point_sets
