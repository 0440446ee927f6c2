// The distinct positions among a set of candidates, each kept under the lowest index that holds it,
// with an exact lookup by position. Positions are equal when their coordinates compare equal as
// floats (so -0 equals +0). Candidates with a non-finite coordinate are left out: no search can take
// them, and NaN equals nothing. The table holds indices only and reads positions from the caller's
// array, which must outlive it: four bytes a slot keep the table of a dense mesh small.
#pragma once

#include <vector>

#include "point3.h"
#include "symmetry/engine/compiler_hints.h"

inline bool IsFinitePosition(const Point3& p) {
  return IsFiniteFloat(p.x) && IsFiniteFloat(p.y) && IsFiniteFloat(p.z);
}

class DistinctPositions {
 public:
  struct Entry {
    Point3 p;
    int index;
  };

  // candidates: `count` positions; may be null only when count is 0.
  DistinctPositions(const Point3* candidates, int count);

  // For each of `count` positions, the lowest candidate index at exactly that position, or -1.
  // r_found: `count` entries; `positions` may be null when count is 0.
  void FindAll(const Point3* positions, int count, int* r_found) const;

  // Every distinct finite position with its lowest index, in no particular order.
  std::vector<Entry> Entries() const;

 private:
  std::size_t home(const Point3& p) const;

  // Open addressing, at most half full; a slot holds a candidate index, -1 when free.
  const Point3* candidates_;
  std::vector<int> slots_;
  int tableBits_;
  int count_;
};
