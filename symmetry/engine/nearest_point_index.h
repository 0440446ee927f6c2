// An exact nearest-point index over a fixed set of candidate positions: for a query m it returns the
// candidate j whose 32-bit float squared distance SquaredMatchDistance(m, c[j]) is smallest and below
// a threshold, the lowest such j among equal distances, or -1. It gives, bit for bit, the answer of a
// brute-force loop over all candidates that takes j only when its distance is strictly below the best
// so far (which starts at the threshold).
//
// It indexes the distinct positions of the candidates (see distinct_positions.h): candidates with a
// non-finite coordinate can never be taken, and of exact duplicates only the lowest index can. The
// index copies what it needs: the caller's array may go away after construction.
#pragma once

#include <cstdint>
#include <vector>

#include "point3.h"
#include "symmetry/engine/distinct_positions.h"
#include "symmetry/engine/pairing_progress.h"

// The distance every search compares, in this exact order of 32-bit float operations. It must not be
// contracted into fused multiply-adds, which round once where this rounds twice: the language mode
// does not prevent that (GCC contracts in ISO C++ mode too, on any target with FMA), so every build of
// the engine turns contraction off (-ffp-contract=off; /fp:precise with Microsoft's compiler), and
// the build checks the object code built for an FMA target for fused instructions.
inline float SquaredMatchDistance(const Point3& m, const Point3& q) {
  float dx = m.x - q.x;
  float dy = m.y - q.y;
  float dz = m.z - q.z;
  return dx * dx + dy * dy + dz * dz;
}

class NearestPointIndex {
 public:
  // candidates: `count` positions; may be null only when count is 0.
  NearestPointIndex(const Point3* candidates, int count);
  explicit NearestPointIndex(const DistinctPositions& candidates);

  // The nearest candidate to `query` below `threshold`, or -1.
  int FindNearest(const Point3& query, float threshold) const;
  // FindNearest for each of `queryCount` queries, visited in a spatially coherent order (much faster
  // than one call each for large batches). r_nearest: queryCount entries. `progress`, when not null,
  // hears how many of the queries are answered so far.
  void FindNearestAll(const Point3* queries, int queryCount, float threshold, int* r_nearest,
                      PairingProgress* progress = nullptr) const;

 private:
  typedef DistinctPositions::Entry Entry;
  struct Box {
    Point3 lo;
    Point3 hi;
  };

  void buildFrom(const DistinctPositions& candidates);
  void build(int node, int begin, int end, int depth);
  void leavesOf(const Point3* queries, int count, int* r_leaves) const;
  int search(const Point3& query, float threshold, int seedLeaf) const;

  std::vector<Entry> entries_;     // in leaf order
  std::vector<Entry> scratch_;     // during construction only
  std::vector<Box> boxes_;         // per node, heap numbering from 1
  std::vector<int> minIndex_;      // per node, the lowest candidate index in its subtree
  std::vector<float> splitValue_;  // per inner node
  std::vector<std::uint8_t> splitAxis_;
  std::vector<int> leafBegin_;     // per leaf, plus one end entry
  int depth_;                      // every leaf lies at this depth
};
