// A base made exactly symmetric without renumbering anything: each pair of partners becomes exact
// mirror images (the kept side's positions, or the average of the two), and a vertex that is its own
// partner is put on the plane. "Exact" as the modifier's pairing measures it: the reflection of a
// moved vertex through the engine's mirror matrix is, bit for bit, its partner's new position, and
// the reflection of that is the vertex again.
#pragma once

#include <vector>

#include "point3.h"

enum class KeepSide { kPositive, kNegative, kAverage };

struct SymmetrizedPositions {
  std::vector<Point3> positions;  // one per vertex; untouched vertices keep their floats
  std::vector<double> moved;      // per vertex: how far it moved
  int movedVertices = 0;          // vertices whose position changed
  double largestMove = 0;
  // Vertices left as they were: no partner (-1), or a partner that does not name them back.
  std::vector<int> unpaired;
};

// `partners`: `count` entries, each a vertex index or -1; a pair counts only when both name each
// other. Side is judged by each vertex's own position: with kPositive the vertex farther along the
// axis is kept (kNegative: the other), and two vertices equally far are averaged.
SymmetrizedPositions SymmetrizePositions(const Point3* positions, int count, const int* partners, KeepSide keep,
                                         int axis, float offset);
