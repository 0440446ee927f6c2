// Symmetrizing pairs through the engine's mirror matrix, settling each new position where the
// matrix maps it back and forth exactly (a float reflection about an offset plane can round).
#include "toolkit/symmetrize_positions.h"

#include <cmath>

#include "symmetry/engine/mirror_matrices.h"
#include "toolkit/side_by_side.h"

namespace {

bool same(const Point3& a, const Point3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// A position near `start` whose reflection reflects back to itself exactly; a few rounds of
// reflecting there and back reach one (rounding can move a coordinate by a unit in the last place).
Point3 settle(Point3 start, const Matrix3& mirror) {
  Point3 q = start;
  for (int round = 0; round < 8; ++round) {
    const Point3 back = (q * mirror) * mirror;
    if (same(back, q)) break;
    q = back;
  }
  return q;
}

// A position on the plane that is its own reflection, exactly.
Point3 onPlane(Point3 q, const Matrix3& mirror, int axis, float offset) {
  q[axis] = offset;
  for (int round = 0; round < 8; ++round) {
    const Point3 image = q * mirror;
    if (same(image, q)) break;
    q[axis] = image[axis];
  }
  return q;
}

}  // namespace

namespace {

// Vertices [begin, end): each pair is moved by the thread holding its lower vertex, so no two threads
// write one position. The unpaired of the range go to r_unpaired, in order.
void moveRange(const Point3* positions, int count, const int* partners, KeepSide keep, int axis, float offset,
               const Matrix3& mirror, int begin, int end, Point3* r_positions, std::vector<int>& r_unpaired) {
  // Partners lie all over the tables when the vertex order is shuffled: each is fetched ahead.
  constexpr int kAhead = 16;
  for (int i = begin; i < end; ++i) {
    if (i + kAhead < end) {
      const unsigned ahead = unsigned(partners[i + kAhead]);
      if (ahead < unsigned(count)) {
        __builtin_prefetch(&partners[ahead]);
        __builtin_prefetch(&positions[ahead]);
        __builtin_prefetch(&r_positions[ahead], 1);
      }
    }
    const int p = partners[i];
    if (p < 0 || p >= count || partners[p] != i) {
      r_unpaired.push_back(i);
      continue;
    }
    if (p == i) {
      r_positions[i] = onPlane(positions[i], mirror, axis, offset);
      continue;
    }
    if (p < i) continue;  // done with its partner
    const float si = positions[i][axis] - offset, sp = positions[p][axis] - offset;
    int kept = i, other = p;
    if ((keep == KeepSide::kPositive && sp > si) || (keep == KeepSide::kNegative && sp < si)) kept = p, other = i;
    Point3 source = positions[kept];
    if (keep == KeepSide::kAverage || si == sp) {
      const Point3 across = positions[other] * mirror;
      source = Point3((positions[kept].x + across.x) * 0.5f, (positions[kept].y + across.y) * 0.5f,
                      (positions[kept].z + across.z) * 0.5f);
    }
    const Point3 settled = settle(source, mirror);
    r_positions[kept] = settled;
    r_positions[other] = settled * mirror;
  }
}

}  // namespace

SymmetrizedPositions SymmetrizePositions(const Point3* positions, int count, const int* partners, KeepSide keep,
                                         int axis, float offset) {
  SymmetrizedPositions r;
  r.positions.assign(positions, positions + count);
  r.moved.assign(size_t(count), 0.0);
  const Matrix3 mirror = BuildMirrorMatrices(axis, offset).mirror;
  const int middle = count / 2;
  std::vector<int> secondUnpaired;
  RunSideBySide(
      [&] { moveRange(positions, count, partners, keep, axis, offset, mirror, middle, count, r.positions.data(), secondUnpaired); },
      [&] { moveRange(positions, count, partners, keep, axis, offset, mirror, 0, middle, r.positions.data(), r.unpaired); });
  r.unpaired.insert(r.unpaired.end(), secondUnpaired.begin(), secondUnpaired.end());
  for (int i = 0; i < count; ++i) {
    const Point3& a = positions[i];
    const Point3& b = r.positions[size_t(i)];
    if (same(a, b)) continue;
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    r.moved[size_t(i)] = std::sqrt(dx * dx + dy * dy + dz * dz);
    ++r.movedVertices;
    if (r.moved[size_t(i)] > r.largestMove) r.largestMove = r.moved[size_t(i)];
  }
  return r;
}
