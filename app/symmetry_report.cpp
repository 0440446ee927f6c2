// Symmetry measurement with the modifier's pairing engine.
#include "symmetry_report.h"

#include <cmath>

#include "symmetry/engine/vertex_pairing.h"

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

SymmetryReport MeasurePartners(const Point3* positions, int count, std::vector<int> partners, int axis, float offset,
                               double tolerance) {
  SymmetryReport r;
  r.vertices = count > 0 ? count : 0;
  r.partners = std::move(partners);
  r.distances.assign(size_t(r.vertices), 0.0);
  if (r.vertices == 0) return r;
  MirrorMatrices m = BuildMirrorMatrices(axis, offset);
  for (int i = 0; i < r.vertices; ++i) {
    int p = r.partners[size_t(i)];
    if (p < 0) {
      ++r.unpairedVertices;
      continue;
    }
    Point3 reflected = positions[size_t(i)] * m.mirror;
    Point3 d = positions[size_t(p)] - reflected;
    double dist = std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z);
    r.distances[size_t(i)] = dist;
    if (!(dist <= tolerance)) ++r.asymmetricVertices;
    if (dist > r.largestDistance || std::isnan(dist)) r.largestDistance = dist;
    if (p == i) {
      ++r.centreVertices;
    } else if (r.partners[size_t(p)] == i) {
      if (i < p) ++r.mutualPairs;
    } else {
      ++r.nonMutualPartners;
    }
  }
  return r;
}
