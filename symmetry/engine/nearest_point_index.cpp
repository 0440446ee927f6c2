// Exact nearest-point search: duplicate collapsing plus a balanced kd-tree with conservative pruning.
//
// Method.
// 1. Candidates with a non-finite coordinate are dropped: their float distance to any query is inf or
//    NaN, which never compares below a threshold. Exact duplicates give identical distances to every
//    query, so only the lowest index of each group can ever win; the tree holds only that one
//    (DistinctPositions). This is what keeps duplicate-heavy sets from degrading towards n squared.
// 2. The distinct candidates go into a perfectly balanced kd-tree: each inner node splits its range at
//    the median of the widest axis of its exact bounding box (found by a sampled, branch-free
//    selection), every leaf sits at the same depth and holds about 4 to 9 candidates. Nodes are
//    numbered as in a heap (root 1, children 2k and 2k + 1), so a leaf's ancestors follow from its
//    number.
// 3. A query first scans the leaf it falls in, its seed, which nearly always holds the answer or
//    something close. Every other candidate lies in the sibling subtree of one of the seed's
//    ancestors; those are walked from the deepest up, depth-first and nearer child first, and the
//    climb stops once the nearest split plane above is farther than the best so far.
//    Every candidate reached is judged by its exact float distance; equal distances go to the lower
//    index. A subtree (or everything beyond a plane) is skipped only when its double-precision
//    distance from the query exceeds best * (1 + 1e-6) + 1e-44. The float distance of a point there
//    is at least the true distance times (1 - 5 * 2^-24), less at most 3 * 2^-150 lost to underflow
//    of the squares, so no candidate whose float distance could equal or beat the best is skipped.
// 4. Once the best is 0, every candidate the search still meets ties at 0 and only the lowest index
//    counts. A subtree whose box lies within 2^-76 of the query on every axis (in double precision,
//    so truly below 2^-75) holds only candidates whose float differences are at most 2^-75 and whose
//    squares all underflow to 0, so it is taken whole, by the lowest index it holds. Without this, a
//    cluster of k points in the underflow range would cost k squared.
// 5. A batch visits its queries grouped by seed leaf, so consecutive searches walk the same part of
//    the tree and of the candidate array.
// Cost: O(n log n) to build, about O(log n) per query on surface-like point sets.
#include "symmetry/engine/nearest_point_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>


namespace {

const int kLeafSize = 8;
// An int count of entries never needs more: count >> 28 is at most 7.
const int kMaxDepth = 28;
const float kInf = std::numeric_limits<float>::infinity();

// Rearranges first[0, count) like std::nth_element: the element of rank k by key(x) ends at first[k],
// none with a larger key before it, none with a smaller key after it. Each round draws keys from a
// sample: on large ranges two that bracket rank k, which leaves only a thin middle to search further;
// on smaller ones a single pivot. One branchless pass (through `scratch`, count entries) then sets
// aside everything below and above them. Branch-free passes matter here: the keys' order is random.
template <typename T, typename Key>
void selectRank(T* first, int count, int k, Key key, T* scratch) {
  const int kLargeRange = 4096;
  const int kMaxSample = 1024;
  float sample[kMaxSample];
  std::uint32_t random = 0x9E3779B9u;
  while (count > 32) {
    const bool large = count > kLargeRange;
    const int m = large ? std::min(kMaxSample, int(std::sqrt(double(count)))) : 9;
    for (int s = 0; s < m; ++s) {
      random = random * 1664525u + 1013904223u;
      sample[s] = key(first[std::uint64_t(random) * std::uint64_t(count) >> 32]);
    }
    std::sort(sample, sample + m);
    // The sample rank of k's key spreads by about sqrt(m) / 2; allow four of those either way.
    const int spread = large ? 2 * int(std::sqrt(double(m))) : 0;
    const int at = int(double(k) / double(count) * double(m));
    const float low = sample[std::max(0, at - spread)];
    const float high = sample[std::min(m - 1, at + spread)];

    int below = 0, above = count - 1, middle = 0;
    for (int i = 0; i < count; ++i) {
      const T x = first[i];
      const float v = key(x);
      const bool isBelow = v < low;
      const bool isAbove = v > high;
      // Each store lands either in its final slot or in a slot that is still free.
      scratch[below] = x;
      scratch[above] = x;
      first[middle] = x;
      below += isBelow;
      above -= isAbove;
      middle += !isBelow && !isAbove;
    }
    const int aboveCount = count - 1 - above;
    std::memmove(first + below, first, sizeof(T) * std::size_t(middle));
    std::memcpy(first, scratch, sizeof(T) * std::size_t(below));
    std::memcpy(first + below + middle, scratch + above + 1, sizeof(T) * std::size_t(aboveCount));

    if (k < below) {
      count = below;
    } else if (k >= below + middle) {
      first += below + middle;
      k -= below + middle;
      count = aboveCount;
    } else {
      if (!(low < high)) return;  // the middle all shares rank k's key: any order will do
      if (middle == count) break;
      first += below;
      k -= below;
      count = middle;
    }
  }
  std::nth_element(first, first + k, first + count, [&key](const T& l, const T& r) { return key(l) < key(r); });
}

double pruneLimit(float best) { return double(best) * (1.0 + 1e-6) + 1e-44; }

// The state of one query's search. bestIndex -1 (nothing taken yet) also keeps a candidate exactly at
// the threshold out, since no index is below -1.
struct Walk {
  const Point3& query;
  float best;
  int bestIndex;
  double limit;

  Walk(const Point3& q, float threshold) : query(q), best(threshold), bestIndex(-1), limit(pruneLimit(threshold)) {}

  void consider(const Point3& candidate, int index) { take(SquaredMatchDistance(query, candidate), index); }

  void take(float e, int index) {
    if (e < best || (e == best && index < bestIndex)) {
      best = e;
      bestIndex = index;
      limit = pruneLimit(best);
    }
  }
};

// 2^-76, written as a product of exact powers of two: the plug-in's language level has no hexadecimal
// floating literals.
const double kUnderflowReach = (1.0 / 4294967296.0) * (1.0 / 4294967296.0) * (1.0 / 4096.0);

// Whether every point of the box lies at float distance 0 from m: on each axis the box spans at most
// 2^-76 from m, in double precision, which is truly less than 2^-75.
bool withinUnderflowOf(const Point3& m, const Point3& lo, const Point3& hi) {
  for (int a = 0; a < 3; ++a) {
    const double reach =
        std::max(std::fabs(double(m[a]) - double(lo[a])), std::fabs(double(m[a]) - double(hi[a])));
    if (!(reach <= kUnderflowReach)) return false;
  }
  return true;
}

// Lower bound, in double precision, on the true squared distance from m to any point of a box.
double boxDistance(const Point3& m, const Point3& lo, const Point3& hi) {
  double s = 0.0;
  for (int a = 0; a < 3; ++a) {
    double gap = 0.0;
    if (m[a] < lo[a]) gap = double(lo[a]) - double(m[a]);
    else if (m[a] > hi[a]) gap = double(m[a]) - double(hi[a]);
    s += gap * gap;
  }
  return s;
}

}  // namespace

NearestPointIndex::NearestPointIndex(const Point3* candidates, int count) : depth_(0) {
  buildFrom(DistinctPositions(candidates, count));
}

NearestPointIndex::NearestPointIndex(const DistinctPositions& candidates) : depth_(0) { buildFrom(candidates); }

void NearestPointIndex::buildFrom(const DistinctPositions& candidates) {
  entries_ = candidates.Entries();
  if (entries_.empty()) return;

  const int n = int(entries_.size());
  while ((n >> depth_) > kLeafSize) ++depth_;
  const int leaves = 1 << depth_;
  boxes_.resize(2 * leaves);
  minIndex_.resize(2 * leaves);
  splitValue_.resize(leaves);
  splitAxis_.resize(leaves);
  leafBegin_.resize(leaves + 1);
  leafBegin_[leaves] = n;
  scratch_.resize(n);
  build(1, 0, n, 0);
  scratch_ = std::vector<Entry>();
}

void NearestPointIndex::build(int node, int begin, int end, int depth) {
  float lo[3] = {kInf, kInf, kInf};
  float hi[3] = {-kInf, -kInf, -kInf};
  for (int k = begin; k < end; ++k) {
    const Point3& p = entries_[k].p;
    lo[0] = std::min(lo[0], p.x);
    lo[1] = std::min(lo[1], p.y);
    lo[2] = std::min(lo[2], p.z);
    hi[0] = std::max(hi[0], p.x);
    hi[1] = std::max(hi[1], p.y);
    hi[2] = std::max(hi[2], p.z);
  }
  boxes_[node].lo = Point3(lo[0], lo[1], lo[2]);
  boxes_[node].hi = Point3(hi[0], hi[1], hi[2]);
  if (depth == depth_) {
    leafBegin_[node - (1 << depth_)] = begin;
    int lowest = std::numeric_limits<int>::max();
    for (int k = begin; k < end; ++k) lowest = std::min(lowest, entries_[k].index);
    minIndex_[node] = lowest;
    return;
  }

  int axis = 0;
  double widest = -1.0;
  for (int a = 0; a < 3; ++a) {
    double extent = double(hi[a]) - double(lo[a]);
    if (extent > widest) {
      widest = extent;
      axis = a;
    }
  }
  const int mid = begin + (end - begin) / 2;
  selectRank(entries_.data() + begin, end - begin, mid - begin, [axis](const Entry& e) { return e.p[axis]; },
             scratch_.data());
  splitAxis_[node] = std::uint8_t(axis);
  splitValue_[node] = entries_[mid].p[axis];
  build(2 * node, begin, mid, depth + 1);
  build(2 * node + 1, mid, end, depth + 1);
  minIndex_[node] = std::min(minIndex_[2 * node], minIndex_[2 * node + 1]);
}

// Queries equal to a split value go right, where the split's own entry lies. Entries equal to it
// may lie on both sides, which is why cells are treated as closed below. Several queries descend in
// step, so their chains of dependent loads overlap.
void NearestPointIndex::leavesOf(const Point3* queries, int count, int* r_leaves) const {
  const int kLanes = 8;
  int k = 0;
  for (; k + kLanes <= count; k += kLanes) {
    int node[kLanes];
    for (int l = 0; l < kLanes; ++l) node[l] = 1;
    for (int d = 0; d < depth_; ++d) {
      for (int l = 0; l < kLanes; ++l) {
        const int n = node[l];
        node[l] = 2 * n + (queries[k + l][splitAxis_[n]] < splitValue_[n] ? 0 : 1);
      }
    }
    for (int l = 0; l < kLanes; ++l) r_leaves[k + l] = node[l] - (1 << depth_);
  }
  for (; k < count; ++k) {
    int n = 1;
    for (int d = 0; d < depth_; ++d) n = 2 * n + (queries[k][splitAxis_[n]] < splitValue_[n] ? 0 : 1);
    r_leaves[k] = n - (1 << depth_);
  }
}

int NearestPointIndex::search(const Point3& query, float threshold, int seedLeaf) const {
  // For each depth k, the squared distance from the query to the nearest split plane above its
  // depth-k cell: every entry outside that cell's subtree lies at least that far away, on or beyond
  // one of those planes. The seed's ancestors follow from its number, so the loads are independent.
  const int leaves = 1 << depth_;
  const int seed = leaves + seedLeaf;
  double planeDistance[kMaxDepth + 1];
  planeDistance[0] = double(kInf);
  for (int d = 0; d < depth_; ++d) {
    const int node = seed >> (depth_ - d);
    const double gap = double(query[splitAxis_[node]]) - double(splitValue_[node]);
    planeDistance[d + 1] = std::min(planeDistance[d], gap * gap);
  }

  Walk walk(query, threshold);
  auto scan = [&](int leafNode) {
    for (int k = leafBegin_[leafNode - leaves], e = leafBegin_[leafNode - leaves + 1]; k < e; ++k)
      walk.consider(entries_[k].p, entries_[k].index);
  };
  auto bound = [&](int n) {
    const Box& b = boxes_[n];
    return boxDistance(query, b.lo, b.hi);
  };
  scan(seed);

  // Every other entry lies in the sibling subtree of exactly one of the seed's ancestors. Walk them
  // from the deepest (nearest) up, until the planes above rule out everything farther out.
  struct Pending {
    Pending() {}
    Pending(int n, double b) : node(n), bound(b) {}
    int node;
    double bound;
  };
  // Each inner node popped adds at most one pending node, so the stack holds at most one entry per
  // level plus the node being split.
  Pending stack[kMaxDepth + 2];
  for (int depth = depth_; depth > 0 && !(planeDistance[depth] > walk.limit); --depth) {
    const int sibling = (seed >> (depth_ - depth)) ^ 1;
    int top = 0;
    stack[top++] = Pending(sibling, bound(sibling));
    while (top > 0) {
      const Pending next = stack[--top];
      if (next.bound > walk.limit) continue;
      if (walk.best == 0.0f && withinUnderflowOf(query, boxes_[next.node].lo, boxes_[next.node].hi)) {
        walk.take(0.0f, minIndex_[next.node]);
        continue;
      }
      if (next.node >= leaves) {
        scan(next.node);
        continue;
      }
      const int left = 2 * next.node;
      const double leftBound = bound(left);
      const double rightBound = bound(left + 1);
      // The nearer child goes on top, so it is walked first and tightens the limit for the other.
      const bool leftNearer = leftBound <= rightBound;
      const Pending nearer = leftNearer ? Pending(left, leftBound) : Pending(left + 1, rightBound);
      const Pending farther = leftNearer ? Pending(left + 1, rightBound) : Pending(left, leftBound);
      if (farther.bound <= walk.limit) stack[top++] = farther;
      if (nearer.bound <= walk.limit) stack[top++] = nearer;
    }
  }
  return walk.bestIndex;
}

int NearestPointIndex::FindNearest(const Point3& query, float threshold) const {
  // Distances are never negative, so a threshold that is not above 0 (or NaN) admits nothing; a
  // non-finite query is at inf or NaN from every candidate.
  if (entries_.empty() || !(threshold > 0.0f) || !IsFinitePosition(query)) return -1;
  int seedLeaf;
  leavesOf(&query, 1, &seedLeaf);
  return search(query, threshold, seedLeaf);
}

void NearestPointIndex::FindNearestAll(const Point3* queries, int queryCount, float threshold, int* r_nearest,
                                       PairingProgress* progress) const {
  if (queryCount <= 0) return;
  if (entries_.empty() || !(threshold > 0.0f)) {
    std::fill(r_nearest, r_nearest + queryCount, -1);
    if (progress != nullptr) progress->Searched(queryCount, queryCount);
    return;
  }

  // Bucket the queries by the leaf they fall in, copying them into that order in one tight pass, so
  // consecutive searches touch the same nodes and entries.
  const int leaves = 1 << depth_;
  std::vector<int> seed(queryCount);
  leavesOf(queries, queryCount, seed.data());
  std::vector<int> start(leaves + 1, 0);
  for (int i = 0; i < queryCount; ++i) {
    if (IsFinitePosition(queries[i])) {
      ++start[seed[i] + 1];
    } else {
      seed[i] = -1;
      r_nearest[i] = -1;
    }
  }
  for (int l = 0; l < leaves; ++l) start[l + 1] += start[l];
  struct Ordered {
    Point3 query;
    int index;
  };
  std::vector<Ordered> ordered(start[leaves]);
  for (int i = 0; i < queryCount; ++i) {
    if (seed[i] < 0) continue;
    Ordered& slot = ordered[start[seed[i]]++];
    slot.query = queries[i];
    slot.index = i;
  }
  // Bucket l now ends at start[l] and begins where bucket l - 1 ends. The non-finite queries are
  // answered already.
  const int answered = queryCount - start[leaves];
  for (int l = 0, k = 0; l < leaves; ++l) {
    for (; k < start[l]; ++k) {
      r_nearest[ordered[k].index] = search(ordered[k].query, threshold, l);
      if (progress != nullptr && (k + 1) % kPairingProgressEvery == 0) progress->Searched(answered + k + 1, queryCount);
    }
  }
  if (progress != nullptr) progress->Searched(queryCount, queryCount);
}
