// How symmetric a base mesh is under a pairing: the modifier's own (each vertex's partner is the
// vertex nearest to its reflection; a symmetric base has every partner right on that reflection),
// or partners found otherwise (by connectivity), some of which may be missing.
#pragma once

#include <string>
#include <vector>

#include "point3.h"

struct SymmetryReport {
  int vertices = 0;
  int centreVertices = 0;      // vertices that are their own partner
  int mutualPairs = 0;         // pairs i != p with partner(p) == i, each counted once
  int nonMutualPartners = 0;   // vertices whose partner does not name them back
  int asymmetricVertices = 0;  // vertices whose partner lies farther than the tolerance
  int unpairedVertices = 0;    // vertices with no partner (partner -1, distance 0)
  double largestDistance = 0;  // largest distance between a partner and the reflection
  std::vector<int> partners;
  std::vector<double> distances;  // per vertex
};

SymmetryReport MeasureSymmetry(const std::vector<Point3>& positions, int axis, float offset, double tolerance);
// The same over `count` positions read where they lie (null only when count is 0).
SymmetryReport MeasureSymmetry(const Point3* positions, int count, int axis, float offset, double tolerance);
// The same for given partners: one per vertex, a vertex index or -1 for none.
SymmetryReport MeasurePartners(const std::vector<Point3>& positions, std::vector<int> partners, int axis, float offset,
                               double tolerance);
SymmetryReport MeasurePartners(const Point3* positions, int count, std::vector<int> partners, int axis, float offset,
                               double tolerance);
