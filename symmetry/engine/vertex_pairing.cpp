// Vertex correspondence over a target mesh, as a brute-force reference and as a fast search that
// gives the same table.
//
// Fast method: each target vertex's query m = T[i] * A and candidate q = T[j] * B are computed once,
// with the host's point-times-matrix product (the very values the reference loop computes afresh).
// Then the nearest-candidate search runs in two steps:
// 1. Exact matches, in one hashed pass. On a symmetric target nearly every query lands exactly on a
//    candidate, its mirror partner. Such a candidate lies at float distance 0, below any positive
//    threshold and never beaten, so the reference takes the lowest index at distance 0. The hash table
//    of distinct positions gives the lowest index at exactly m; it is the answer unless some other
//    candidate q also lies at float distance 0 from m, through underflow of the squares. That takes a
//    coordinate c with m.c != q.c whose difference d (nonzero: gradual underflow makes the difference
//    of two distinct floats at least 2^-149) squares to 0, so |d| <= 2^-75 and the exact difference is
//    below 2^-74. Two distinct floats that close both have magnitude below 2^-50: if one reached
//    2^-50, either their signs differ (difference at least 2^-50), or the other is below 2^-51
//    (difference above 2^-51), or both lie in binades where floats are at least 2^-74 apart. So the
//    hashed answer is taken only when every coordinate of m is either at least 2^-50 in magnitude or
//    0 on an axis where no candidate has a nonzero coordinate below 2^-50; then no such q exists.
//    Every other query, and every query with no exact match, goes to step 2.
// 2. The rest: an exact nearest-point index over the candidates answers them (see
//    nearest_point_index.cpp for the search and why its pruning never loses a candidate the reference
//    would take). It is only built when some query is left: on an exactly symmetric target without
//    coordinates below 2^-50, none is.
// A vertex with no candidate below the threshold is its own partner in both searches, so every entry
// is a valid vertex index.
#include "symmetry/engine/vertex_pairing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "symmetry/engine/distinct_positions.h"
#include "symmetry/engine/nearest_point_index.h"

namespace {

// Below this magnitude two distinct coordinates can lie at float distance 0 (see above).
const float kUnderflowRange = float((1.0 / 4294967296.0) * (1.0 / 262144.0));  // 2^-50

bool isTinyNonzero(float v) {
  const float a = std::fabs(v);
  return a != 0.0f && a < kUnderflowRange;
}

// Whether some candidate other than those exactly at m might lie at float distance 0 from m.
bool mayTieAtZeroDistance(const Point3& m, const bool tinyOnAxis[3]) {
  for (int a = 0; a < 3; ++a) {
    if (isTinyNonzero(m[a]) || (m[a] == 0.0f && tinyOnAxis[a])) return true;
  }
  return false;
}

// The index's progress over the queries left to it, told as progress over all the queries: those
// answered before it started count as done.
class RestProgress : public PairingProgress {
 public:
  RestProgress(PairingProgress* outer, int answered) : outer_(outer), answered_(answered) {}
  virtual void Searched(int done, int total) override { outer_->Searched(answered_ + done, answered_ + total); }

 private:
  PairingProgress* outer_;
  int answered_;
};

// FindNearestCandidates with query i given by queryAt(i), asked for in chunks: the queries are
// never all held at once.
template <class QueryAt>
void findNearest(const QueryAt& queryAt, int queryCount, const Point3* candidates, int candidateCount, float threshold,
                 int* r_nearest, PairingProgress* progress) {
  if (queryCount <= 0) return;
  // Distances are never negative, so a threshold that is not above 0 (or NaN) admits nothing.
  if (candidateCount <= 0 || !(threshold > 0.0f)) {
    std::fill(r_nearest, r_nearest + queryCount, -1);
    if (progress != nullptr) progress->Searched(queryCount, queryCount);
    return;
  }

  const DistinctPositions distinct(candidates, candidateCount);
  bool tinyOnAxis[3] = {false, false, false};
  for (int j = 0; j < candidateCount; ++j) {
    for (int a = 0; a < 3; ++a) tinyOnAxis[a] |= isTinyNonzero(candidates[j][a]);
  }

  std::vector<int> rest;
  const int kChunk = kPairingProgressEvery;
  std::vector<Point3> chunk(static_cast<std::size_t>(std::min(queryCount, kChunk)));
  for (int first = 0; first < queryCount; first += kChunk) {
    const int n = std::min(kChunk, queryCount - first);
    for (int k = 0; k < n; ++k) chunk[k] = queryAt(first + k);
    distinct.FindAll(chunk.data(), n, r_nearest + first);
    for (int k = 0; k < n; ++k) {
      const int i = first + k;
      if (r_nearest[i] >= 0 && !mayTieAtZeroDistance(chunk[k], tinyOnAxis)) continue;
      r_nearest[i] = -1;
      // A non-finite query is at inf or NaN from every candidate: it keeps -1.
      if (IsFinitePosition(chunk[k])) rest.push_back(i);
    }
    // The queries left for the index are not answered yet.
    if (progress != nullptr && first + n < queryCount) progress->Searched(first + n - int(rest.size()), queryCount);
  }
  if (rest.empty()) {
    if (progress != nullptr) progress->Searched(queryCount, queryCount);
    return;
  }

  const NearestPointIndex index(distinct);
  std::vector<Point3> restQueries(rest.size());
  std::vector<int> restNearest(rest.size());
  for (std::size_t k = 0; k < rest.size(); ++k) restQueries[k] = queryAt(rest[k]);
  RestProgress restProgress(progress, queryCount - int(rest.size()));
  index.FindNearestAll(restQueries.data(), int(rest.size()), threshold, restNearest.data(),
                       progress != nullptr ? &restProgress : nullptr);
  for (std::size_t k = 0; k < rest.size(); ++k) r_nearest[rest[k]] = restNearest[k];
}

}  // namespace

void BuildPartnerTable(const Point3* targets, int count, const MirrorMatrices& matrices, int* r_partners,
                       PairingProgress* progress) {
  if (count <= 0) return;
  std::vector<Point3> candidates(count);
  for (int i = 0; i < count; ++i) candidates[i] = targets[i] * matrices.base;
  // The queries are made as the search needs them rather than held: on a dense mesh that is one
  // array of positions less at the evaluation's busiest moment.
  findNearest([&](int i) { return targets[i] * matrices.match; }, count, candidates.data(), count, kMatchThreshold,
              r_partners, progress);
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
                           int candidateCount, float threshold, int* r_nearest, PairingProgress* progress) {
  findNearest([queries](int i) { return queries[i]; }, queryCount, candidates, candidateCount, threshold, r_nearest,
              progress);
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
