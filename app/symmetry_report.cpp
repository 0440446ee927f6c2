// Symmetry measurement with the modifier's pairing engine.
#include "symmetry_report.h"

#include <algorithm>
#include <cmath>

#include "symmetry/engine/compiler_hints.h"
#include "symmetry/engine/vertex_pairing.h"
#include "toolkit/side_by_side.h"

SymmetryReport MeasureSymmetry(const std::vector<Point3>& positions, int axis, float offset, double tolerance) {
  return MeasureSymmetry(positions.data(), int(positions.size()), axis, offset, tolerance);
}

SymmetryReport MeasureSymmetry(const Point3* positions, int count, int axis, float offset, double tolerance) {
  std::vector<int> partners(size_t(count > 0 ? count : 0), 0);
  if (count > 0) BuildPartnerTable(positions, count, BuildMirrorMatrices(axis, offset), partners.data());
  return MeasurePartners(positions, count, std::move(partners), axis, offset, tolerance);
}

SymmetryReport MeasurePartners(const std::vector<Point3>& positions, std::vector<int> partners, int axis, float offset,
                               double tolerance) {
  return MeasurePartners(positions.data(), int(positions.size()), std::move(partners), axis, offset, tolerance);
}

namespace {

// Measures vertices [begin, end) of `count`, writing their distances and adding to r's counts (its
// tables are not used).
void measureRange(const Point3* positions, const int* partners, int count, const MirrorMatrices& m, double tolerance,
                  int begin, int end, double* r_distances, SymmetryReport& r) {
  // Partners lie all over the tables when the vertex order is shuffled: each is fetched ahead.
  const int kAhead = 16;
  for (int i = begin; i < end; ++i) {
    if (i + kAhead < end) {
      const unsigned ahead = unsigned(partners[i + kAhead]);
      if (ahead < unsigned(count)) {
        PrefetchForRead(&positions[ahead]);
        PrefetchForRead(&partners[ahead]);
      }
    }
    int p = partners[i];
    if (p < 0) {
      ++r.unpairedVertices;
      continue;
    }
    Point3 reflected = positions[size_t(i)] * m.mirror;
    Point3 d = positions[size_t(p)] - reflected;
    double dist = std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
    r_distances[i] = dist;
    if (!(dist <= tolerance)) ++r.asymmetricVertices;
    if (dist > r.largestDistance || std::isnan(dist)) r.largestDistance = dist;
    if (p == i) {
      ++r.centreVertices;
    } else if (partners[p] == i) {
      if (i < p) ++r.mutualPairs;
    } else {
      ++r.nonMutualPartners;
    }
  }
}

}  // namespace

SymmetryReport MeasurePartners(const Point3* positions, int count, std::vector<int> partners, int axis, float offset,
                               double tolerance) {
  SymmetryReport r;
  r.vertices = count > 0 ? count : 0;
  r.partners = std::move(partners);
  r.distances.assign(size_t(r.vertices), 0.0);
  if (r.vertices == 0) return r;
  const MirrorMatrices m = BuildMirrorMatrices(axis, offset);
  // Two halves side by side, each writing its own distances; the second's counts are added after.
  SymmetryReport second;
  const int middle = r.vertices / 2;
  RunSideBySide(
      [&] { measureRange(positions, r.partners.data(), r.vertices, m, tolerance, middle, r.vertices, r.distances.data(), second); },
      [&] { measureRange(positions, r.partners.data(), r.vertices, m, tolerance, 0, middle, r.distances.data(), r); });
  r.centreVertices += second.centreVertices;
  r.mutualPairs += second.mutualPairs;
  r.nonMutualPartners += second.nonMutualPartners;
  r.asymmetricVertices += second.asymmetricVertices;
  r.unpairedVertices += second.unpairedVertices;
  // A distance that is not a number stays the largest, as it would in one pass.
  const bool notANumber = std::isnan(r.largestDistance) || std::isnan(second.largestDistance);
  r.largestDistance = notANumber ? std::nan("") : std::max(r.largestDistance, second.largestDistance);
  return r;
}
