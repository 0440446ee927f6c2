// Symmetry measurement with the modifier's pairing engine.
#include "symmetry_report.h"

#include <cmath>

#include "symmetry/engine/vertex_pairing.h"

SymmetryReport MeasureSymmetry(const std::vector<Point3>& positions, int axis, float offset, double tolerance) {
  return MeasureSymmetry(positions.data(), int(positions.size()), axis, offset, tolerance);
}

SymmetryReport MeasureSymmetry(const Point3* positions, int count, int axis, float offset, double tolerance) {
  SymmetryReport r;
  r.vertices = count;
  r.partners.assign(size_t(count), 0);
  r.distances.assign(size_t(count), 0.0);
  if (count <= 0) return r;
  MirrorMatrices m = BuildMirrorMatrices(axis, offset);
  BuildPartnerTable(positions, r.vertices, m, r.partners.data());
  for (int i = 0; i < r.vertices; ++i) {
    int p = r.partners[size_t(i)];
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
