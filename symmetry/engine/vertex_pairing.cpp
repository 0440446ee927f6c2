// Vertex correspondence over a target mesh, as a brute-force reference and as a fast search that
// gives the same table.
//
// Fast method: each target vertex's query m = T[i] * A and candidate q = T[j] * B are computed once,
// with the host's point-times-matrix product (the very values the reference loop computes afresh),
// and an exact nearest-point index over the candidates answers all queries at once (see
// nearest_point_index.cpp for the search and why its pruning never loses a candidate the reference
// would take). A vertex with no candidate below the threshold is its own partner in both searches,
// so every entry is a valid vertex index.
#include "symmetry/engine/vertex_pairing.h"

#include <vector>

#include "symmetry/engine/nearest_point_index.h"

void BuildPartnerTable(const Point3* targets, int count, const MirrorMatrices& matrices, int* r_partners) {
  if (count <= 0) return;
  std::vector<Point3> queries(count);
  std::vector<Point3> candidates(count);
  for (int i = 0; i < count; ++i) {
    queries[i] = targets[i] * matrices.match;
    candidates[i] = targets[i] * matrices.base;
  }
  FindNearestCandidates(queries.data(), count, candidates.data(), count, kMatchThreshold, r_partners);
  for (int i = 0; i < count; ++i) {
    if (r_partners[i] < 0) r_partners[i] = i;
  }
}

void BuildPartnerTableBruteForce(const Point3* targets, int count, const MirrorMatrices& matrices,
                                 int* r_partners) {
  for (int i = 0; i < count; ++i) {
    const Point3 m = targets[i] * matrices.match;
    float best = kMatchThreshold;
    int partner = i;
    for (int j = 0; j < count; ++j) {
      const Point3 q = targets[j] * matrices.base;
      const float e = SquaredMatchDistance(m, q);
      if (e < best) {
        best = e;
        partner = j;
      }
    }
    r_partners[i] = partner;
  }
}

void FindNearestCandidates(const Point3* queries, int queryCount, const Point3* candidates,
                           int candidateCount, float threshold, int* r_nearest) {
  if (queryCount <= 0) return;
  NearestPointIndex index(candidates, candidateCount);
  index.FindNearestAll(queries, queryCount, threshold, r_nearest);
}

void FindNearestCandidatesBruteForce(const Point3* queries, int queryCount, const Point3* candidates,
                                     int candidateCount, float threshold, int* r_nearest) {
  for (int i = 0; i < queryCount; ++i) {
    float best = threshold;
    int nearest = -1;
    for (int j = 0; j < candidateCount; ++j) {
      const float e = SquaredMatchDistance(queries[i], candidates[j]);
      if (e < best) {
        best = e;
        nearest = j;
      }
    }
    r_nearest[i] = nearest;
  }
}
