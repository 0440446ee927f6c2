// Topology pairing: a walk over faces that carries a mirror map, orientation reversed, from a seed
// face pair across every edge; candidate seeds ranked and chosen by positions. Tables are indexed in
// the half-edge mesh's numbering of vertices, and the result put back in the caller's.
#include "toolkit/topology_pairing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_pairing.h"
#include "toolkit/lowest_first_set.h"
#include "toolkit/side_by_side.h"

namespace {

std::uint64_t mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ull;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
  return x ^ (x >> 31);
}

// Counts of face kinds in one shell: few distinct kinds on most meshes, so a small open-addressing
// table, grown as needed, costs a few nanoseconds a face.
class KindTable {
 public:
  struct Entry {
    std::uint64_t kind = 0;  // 0: empty (kinds are never 0)
    int count = 0;
    int firstFace = -1;
  };
  KindTable() : entries_(64) {}
  void Add(std::uint64_t kind, int face) {
    if ((used_ + 1) * 2 > entries_.size()) grow();
    Entry& e = slot(kind);
    if (e.kind == 0) {
      e.kind = kind;
      e.firstFace = face;
      ++used_;
    }
    ++e.count;
  }
  int Count(std::uint64_t kind) const {
    const size_t mask = entries_.size() - 1;
    for (size_t i = size_t(kind) & mask;; i = (i + 1) & mask) {
      if (entries_[i].kind == kind) return entries_[i].count;
      if (entries_[i].kind == 0) return 0;
    }
  }
  // The kinds, rarest first (ties: the one whose first face comes first).
  std::vector<Entry> Rarest() const {
    std::vector<Entry> kinds;
    for (const Entry& e : entries_) {
      if (e.kind != 0) kinds.push_back(e);
    }
    std::sort(kinds.begin(), kinds.end(), [](const Entry& a, const Entry& b) {
      return a.count != b.count ? a.count < b.count : a.firstFace < b.firstFace;
    });
    return kinds;
  }

 private:
  Entry& slot(std::uint64_t kind) {
    const size_t mask = entries_.size() - 1;
    size_t i = size_t(kind) & mask;
    while (entries_[i].kind != 0 && entries_[i].kind != kind) i = (i + 1) & mask;
    return entries_[i];
  }
  void grow() {
    std::vector<Entry> old;
    old.swap(entries_);
    entries_.assign(old.size() * 2, Entry());
    for (const Entry& e : old) {
      if (e.kind != 0) slot(e.kind) = e;
    }
  }
  std::vector<Entry> entries_;
  size_t used_ = 0;
};

// One candidate seed: face f maps to face g, corner j of f to corner (s - j) of g.
struct Seed {
  int f = 0;
  int g = 0;
  int s = 0;
  double distance = 0;  // from f's mirrored centroid to g's, to try the likeliest first
};

// A map under construction, reused from walk to walk: only what a walk touched is cleared, or the
// whole once a walk has touched more than a quarter (a sweep is then quicker than a visit to each).
struct MapBuffer {
  // A face's image, and the turn that takes its corner j to the image's corner (shift - j): read
  // together, so kept together.
  struct FaceMap {
    int image;
    int shift;
  };
  LargeArray<FaceMap> faceMap;  // image -1: not mapped
  LargeArray<int> vertexImage;
  LargeArray<unsigned char> contested;
  LargeArray<int> touchedFaces, touchedVertices;  // while below a quarter of their tables
  bool manyFaces = false, manyVertices = false;   // past it: cleared by a sweep
  double score = 0;  // sum over mapped vertices of the squared distance of the image from the mirror image

  void Init(int faces, int vertices) {
    faceMap.assign(size_t(faces), FaceMap{-1, 0});
    vertexImage.assign(size_t(vertices), -1);
    contested.assign(size_t(vertices), 0);
    touchedFaces.reserve(size_t(faces) / 4 + 1);
    touchedVertices.reserve(size_t(vertices) / 4 + 1);
  }
  void TouchFace(int f) {
    if (manyFaces) return;
    if (touchedFaces.size() * 4 > faceMap.size()) manyFaces = true;
    else touchedFaces.push_back(f);
  }
  void TouchVertex(int v) {
    if (manyVertices) return;
    if (touchedVertices.size() * 4 > vertexImage.size()) manyVertices = true;
    else touchedVertices.push_back(v);
  }
  void Clear() {
    if (manyFaces) std::fill(faceMap.begin(), faceMap.end(), FaceMap{-1, 0});
    else for (int f : touchedFaces) faceMap[size_t(f)].image = -1;
    if (manyVertices) {
      std::fill(vertexImage.begin(), vertexImage.end(), -1);
      std::fill(contested.begin(), contested.end(), 0);
    } else {
      for (int v : touchedVertices) vertexImage[size_t(v)] = -1, contested[size_t(v)] = 0;
    }
    touchedFaces.clear();
    touchedVertices.clear();
    manyFaces = manyVertices = false;
    score = 0;
  }
};

// The faces a walk has mapped but not yet crossed from. A strict walk takes the lowest first: its map
// does not depend on the order, and on a mesh stored in a coherent order its reads then run nearly
// in sequence. A tolerant walk, which goes around contradictions as it meets them, takes them first
// in first out, spreading breadth-first from the seed.
class PendingFaces {
 public:
  void Reset(int faces) { lowestFirst_.Reset(faces); }
  void Start(bool breadthFirst) {
    breadthFirst_ = breadthFirst;
    queue_.clear();
    next_ = 0;
  }
  void Add(int f) {
    if (breadthFirst_) queue_.push_back(f);
    else lowestFirst_.Insert(f);
  }
  bool Empty() const { return breadthFirst_ ? next_ == queue_.size() : lowestFirst_.Empty(); }
  int Take() { return breadthFirst_ ? queue_[next_++] : lowestFirst_.TakeLowest(); }
  // Forgets what is left, for a walk that stops early.
  void Drop() {
    lowestFirst_.Clear();
    queue_.clear();
    next_ = 0;
  }

 private:
  bool breadthFirst_ = false;
  LowestFirstSet lowestFirst_;
  std::vector<int> queue_;
  size_t next_ = 0;
};

struct WalkResult {
  bool complete = false;  // the whole shell (pair) mapped without a contradiction
  int conflicts = 0;
};

class Pairer {
 public:
  // `positions` in the caller's numbering; the result is in the caller's numbering too.
  Pairer(const HalfEdgeMesh& m, const Point3* positions, const TopologyPairingOptions& o) : m_(m), callerPositions_(positions), o_(o) {}

  TopologyPairing Run() {
    r_.partners.assign(size_t(m_.vertexCount), -1);
    // The shells on one thread; on the other, what does not depend on them.
    RunSideBySide(
        [this] {
          faceKinds();
          gatherPositions();
        },
        [this] {
          findShells();
          trial_.Init(m_.faceCount, m_.vertexCount);
          best_.Init(m_.faceCount, m_.vertexCount);
        });
    pending_.Reset(m_.faceCount);
    int seededShell = -1;
    std::vector<Seed> given;
    if (o_.seedA >= 0 && !seedsFromEdge(given, seededShell)) return std::move(r_);
    const std::vector<int> partnerShell = matchShells(seededShell);
    for (int a = 0; a < shellCount_; ++a) {
      const int b = partnerShell[size_t(a)];
      if (b < a) continue;
      if (a == b) ++r_.selfMirroredShells;
      else ++r_.mirroredShellPairs;
      if (!pairShells(a, b, a == seededShell ? &given : nullptr)) return std::move(r_);
    }
    if (shellCount_ > 1) dropOneWayPartners();
    for (int v = 0; v < m_.vertexCount; ++v) {
      if (r_.partners[size_t(v)] < 0) r_.unsettled.push_back(v);
    }
    return std::move(r_);
  }

 private:
  // --- geometry ----------------------------------------------------------------------------------
  Point3 mirrored(const Point3& q) const {
    Point3 r = q;
    r[o_.axis] = 2.0f * o_.offset - q[o_.axis];
    return r;
  }
  // Squared distance from v's mirror image to w; non-finite positions count as far.
  double distance2(int v, int w) const {
    const Point3& a = p_[v];
    const Point3& b = p_[w];
    double d2 = 0;
    for (int k = 0; k < 3; ++k) {
      const double ak = k == o_.axis ? 2.0 * o_.offset - double(a[k]) : double(a[k]);
      const double d = ak - double(b[k]);
      d2 += d * d;
    }
    return std::isfinite(d2) ? d2 : 1e30;
  }
  Point3 faceCentroid(int f) const {
    double c[3] = {0, 0, 0};
    const int k = m_.FaceSize(f);
    for (int j = 0; j < k; ++j) {
      const Point3& q = p_[m_.cornerVertex[m_.faceStart[f] + j]];
      for (int a = 0; a < 3; ++a) c[a] += q[a];
    }
    return Point3(float(c[0] / k), float(c[1] / k), float(c[2] / k));
  }
  static double gap(const Point3& a, const Point3& b) {
    const double dx = double(a.x) - b.x, dy = double(a.y) - b.y, dz = double(a.z) - b.z;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    return std::isfinite(d) ? d : 1e30;
  }

  // The positions in the new numbering: gathered from all over the caller's table when its vertex
  // order is shuffled, each fetched ahead.
  void gatherPositions() {
    constexpr int kAhead = 16;
    p_.resize(size_t(m_.vertexCount));
    for (int v = 0; v < m_.vertexCount; ++v) {
      if (v + kAhead < m_.vertexCount) __builtin_prefetch(&callerPositions_[m_.originalVertex[size_t(v + kAhead)]]);
      p_[size_t(v)] = callerPositions_[m_.originalVertex[size_t(v)]];
    }
  }

  // --- shells and face kinds ---------------------------------------------------------------------
  // Labels every face with its shell (connected through shared edges), then lists each shell's faces
  // and vertices in mesh order. The faces are reached lowest first: on a mesh stored in a coherent
  // order, the tables are read nearly in sequence.
  void findShells() {
    shellOfFace_.assign(size_t(m_.faceCount), -1);
    LowestFirstSet reached;
    reached.Reset(m_.faceCount);
    for (int start = 0; start < m_.faceCount; ++start) {
      if (shellOfFace_[size_t(start)] >= 0) continue;
      shellOfFace_[size_t(start)] = shellCount_;
      reached.Insert(start);
      while (!reached.Empty()) {
        const int f = reached.TakeLowest();
        for (int h = m_.faceStart[f]; h < m_.faceStart[f + 1]; ++h) {
          const int t = m_.twin[size_t(h)];
          if (t < 0) continue;
          const int g = m_.faceOf[size_t(t)];
          if (shellOfFace_[size_t(g)] < 0) {
            shellOfFace_[size_t(g)] = shellCount_;
            reached.Insert(g);
          }
        }
      }
      ++shellCount_;
    }
    r_.shells = shellCount_;
    if (shellCount_ == 1) {
      shellFaceStart_ = {0, m_.faceCount};
      shellFaces_.resize(size_t(m_.faceCount));
      for (int f = 0; f < m_.faceCount; ++f) shellFaces_[size_t(f)] = f;
      shellVertexStart_ = {0, m_.vertexCount};
      shellVertices_.resize(size_t(m_.vertexCount));
      for (int v = 0; v < m_.vertexCount; ++v) shellVertices_[size_t(v)] = v;
      return;
    }
    groupByShell(shellOfFace_, shellFaceStart_, shellFaces_);
    LargeArray<int> shellOfVertex(static_cast<size_t>(m_.vertexCount), 0);
    for (int f = 0; f < m_.faceCount; ++f) {
      for (int h = m_.faceStart[f]; h < m_.faceStart[f + 1]; ++h) shellOfVertex[size_t(m_.cornerVertex[h])] = shellOfFace_[size_t(f)];
    }
    groupByShell(shellOfVertex, shellVertexStart_, shellVertices_);
  }

  // Items listed shell by shell, each shell's in ascending order: a counting sort on the shell.
  void groupByShell(const LargeArray<int>& shellOf, std::vector<int>& r_start, LargeArray<int>& r_items) const {
    r_start.assign(size_t(shellCount_) + 1, 0);
    for (const int s : shellOf) ++r_start[size_t(s) + 1];
    for (int s = 0; s < shellCount_; ++s) r_start[size_t(s) + 1] += r_start[size_t(s)];
    r_items.resize(shellOf.size());
    std::vector<int> fill(r_start.begin(), r_start.end() - 1);
    for (size_t i = 0; i < shellOf.size(); ++i) r_items[size_t(fill[size_t(shellOf[i])]++)] = int(i);
  }

  // A face's kind: its size, boundary edges and corner valences, unchanged by a mirror map.
  // Also counts the kinds over the whole mesh, in face order: a mesh of one shell (the most common)
  // needs no count of its own.
  void faceKinds() {
    kind_.resize(size_t(m_.faceCount));
    for (int f = 0; f < m_.faceCount; ++f) {
      std::uint64_t corners = 0;
      int boundary = 0;
      for (int h = m_.faceStart[f]; h < m_.faceStart[f + 1]; ++h) {
        corners += mix(std::uint64_t(m_.valence[size_t(m_.cornerVertex[h])]));
        boundary += m_.twin[size_t(h)] < 0;
      }
      kind_[size_t(f)] = (mix(std::uint64_t(m_.FaceSize(f)) * 1000003u + std::uint64_t(boundary)) + corners) | 1u;
      meshKinds_.Add(kind_[size_t(f)], f);
    }
  }

  int shellFaceCount(int s) const { return shellFaceStart_[size_t(s) + 1] - shellFaceStart_[size_t(s)]; }
  int shellVertexCount(int s) const { return shellVertexStart_[size_t(s) + 1] - shellVertexStart_[size_t(s)]; }

  // Each shell's counterpart: among the shells of the same shape (itself included), the one whose
  // centroid lies nearest its mirrored centroid, when the choice is mutual; itself otherwise.
  std::vector<int> matchShells(int seededShell) {
    if (shellCount_ == 1) return std::vector<int>(1, 0);
    std::vector<std::uint64_t> shape(static_cast<size_t>(shellCount_), 0);
    std::vector<Point3> centroid(static_cast<size_t>(shellCount_));
    for (int s = 0; s < shellCount_; ++s) {
      for (int i = shellFaceStart_[size_t(s)]; i < shellFaceStart_[size_t(s) + 1]; ++i) shape[size_t(s)] += mix(kind_[size_t(shellFaces_[size_t(i)])]);
      shape[size_t(s)] ^= mix(std::uint64_t(shellFaceCount(s)) << 32 | std::uint64_t(shellVertexCount(s)));
      double c[3] = {0, 0, 0};
      for (int i = shellVertexStart_[size_t(s)]; i < shellVertexStart_[size_t(s) + 1]; ++i) {
        for (int a = 0; a < 3; ++a) c[a] += p_[shellVertices_[size_t(i)]][a];
      }
      const double n = shellVertexCount(s);
      centroid[size_t(s)] = Point3(float(c[0] / n), float(c[1] / n), float(c[2] / n));
    }
    std::vector<int> byShape(static_cast<size_t>(shellCount_));
    for (int s = 0; s < shellCount_; ++s) byShape[size_t(s)] = s;
    std::sort(byShape.begin(), byShape.end(), [&](int a, int b) { return shape[size_t(a)] != shape[size_t(b)] ? shape[size_t(a)] < shape[size_t(b)] : a < b; });
    std::vector<int> nearest(static_cast<size_t>(shellCount_));
    for (size_t i = 0; i < byShape.size();) {
      size_t j = i;
      while (j < byShape.size() && shape[size_t(byShape[j])] == shape[size_t(byShape[i])]) ++j;
      for (size_t x = i; x < j; ++x) {
        const int a = byShape[x];
        const Point3 image = mirrored(centroid[size_t(a)]);
        int best = a;
        double bestGap = gap(image, centroid[size_t(a)]);
        for (size_t y = i; y < j; ++y) {
          const int b = byShape[y];
          if (b == seededShell || a == seededShell) continue;
          const double d = gap(image, centroid[size_t(b)]);
          if (d < bestGap) best = b, bestGap = d;
        }
        nearest[size_t(a)] = best;
      }
      i = j;
    }
    std::vector<int> partner(static_cast<size_t>(shellCount_));
    for (int s = 0; s < shellCount_; ++s) partner[size_t(s)] = nearest[size_t(nearest[size_t(s)])] == s ? nearest[size_t(s)] : s;
    return partner;
  }

  // --- seeds -------------------------------------------------------------------------------------
  // Whether corner j of f may map to corner (s - j) of g: valences and boundary edges agree all round.
  bool shiftFits(int f, int g, int s) const {
    const int k = m_.FaceSize(f);
    if (m_.FaceSize(g) != k) return false;
    for (int j = 0; j < k; ++j) {
      if (m_.valence[size_t(m_.cornerVertex[m_.HalfEdge(f, j)])] != m_.valence[size_t(m_.cornerVertex[m_.HalfEdge(g, s - j)])]) return false;
      if ((m_.twin[size_t(m_.HalfEdge(f, j))] < 0) != (m_.twin[size_t(m_.HalfEdge(g, s - j - 1))] < 0)) return false;
    }
    return true;
  }

  // The given edge, as the two maps that make it its own mirror image: its ends fixed (the edge lies
  // on the plane) or exchanged (it crosses the plane).
  bool seedsFromEdge(std::vector<Seed>& r_seeds, int& r_shell) {
    const int a = o_.seedA, b = o_.seedB;
    if (a >= m_.vertexCount || b >= m_.vertexCount || a == b) {
      r_.error = "--seed-edge " + std::to_string(a + 1) + "," + std::to_string(b + 1) + " does not name two vertices of the mesh";
      return false;
    }
    int localA = -1, localB = -1;
    for (int v = 0; v < m_.vertexCount; ++v) {
      if (m_.originalVertex[size_t(v)] == a) localA = v;
      if (m_.originalVertex[size_t(v)] == b) localB = v;
    }
    int h = -1;
    const int corners = m_.faceCount > 0 ? m_.faceStart[m_.faceCount] : 0;
    for (int c = 0; c < corners && h < 0; ++c) {
      if ((m_.Tail(c) == localA && m_.Head(c) == localB) || (m_.Tail(c) == localB && m_.Head(c) == localA)) h = c;
    }
    if (h < 0) {
      r_.error = "--seed-edge: vertices " + std::to_string(a + 1) + " and " + std::to_string(b + 1) + " share no edge";
      return false;
    }
    const int f = m_.faceOf[size_t(h)], j = h - m_.faceStart[f], k = m_.FaceSize(f);
    r_seeds.push_back(Seed{f, f, (2 * j + 1) % k, 0});
    const int t = m_.twin[size_t(h)];
    if (t >= 0) {
      const int g = m_.faceOf[size_t(t)];
      if (m_.FaceSize(g) == k) r_seeds.push_back(Seed{f, g, (j + (t - m_.faceStart[g]) + 1) % k, 0});
    }
    r_shell = shellOfFace_[size_t(f)];
    return true;
  }

  // Seeds from the connectivity: faces of A's rarest kinds, each with the like faces of B (turned
  // every way that fits), nearest the mirror image first.
  std::vector<Seed> seedsFromKinds(int a, int b) const {
    constexpr int kAnchors = 3, kKindsTried = 8;
    constexpr size_t kSeedsPerAnchor = 16;
    // A common kind makes a poor anchor: every like face is a candidate. Past the rarest kind only
    // the uncommon ones are tried.
    constexpr int kCommonKind = 256;
    KindTable shellKinds;
    if (shellCount_ > 1) {
      for (int i = shellFaceStart_[size_t(a)]; i < shellFaceStart_[size_t(a) + 1]; ++i) shellKinds.Add(kind_[size_t(shellFaces_[size_t(i)])], shellFaces_[size_t(i)]);
    }
    const KindTable& kindsOfA = shellCount_ > 1 ? shellKinds : meshKinds_;
    std::vector<Seed> seeds;
    int anchors = 0, tried = 0;
    for (const KindTable::Entry& kind : kindsOfA.Rarest()) {
      if (anchors == kAnchors || tried == kKindsTried || (anchors > 0 && kind.count > kCommonKind)) break;
      ++tried;
      const int f = kind.firstFace;
      const Point3 image = mirrored(faceCentroid(f));
      std::vector<Seed> these;
      for (int i = shellFaceStart_[size_t(b)]; i < shellFaceStart_[size_t(b) + 1]; ++i) {
        const int g = shellFaces_[size_t(i)];
        if (kind_[size_t(g)] != kind.kind) continue;
        double d = -1;
        for (int s = 0; s < m_.FaceSize(f); ++s) {
          if (!shiftFits(f, g, s)) continue;
          if (d < 0) d = gap(image, faceCentroid(g));
          these.push_back(Seed{f, g, s, d});
        }
      }
      if (these.empty()) continue;
      ++anchors;
      auto nearer = [](const Seed& x, const Seed& y) { return x.distance < y.distance; };
      if (these.size() > kSeedsPerAnchor) {
        std::nth_element(these.begin(), these.begin() + kSeedsPerAnchor, these.end(), nearer);
        these.resize(kSeedsPerAnchor);
      }
      std::sort(these.begin(), these.end(), nearer);
      seeds.insert(seeds.end(), these.begin(), these.end());
    }
    std::stable_sort(seeds.begin(), seeds.end(), [](const Seed& x, const Seed& y) { return x.distance < y.distance; });
    return seeds;
  }

  // Seeds from positions, for a shell whose connectivity has faults the kinds may sit on: faces
  // spread over A, each with B's face nearest its mirror image, turned every way.
  std::vector<Seed> seedsFromPositions(int a, int b) const {
    constexpr int kFaces = 4;
    std::vector<Seed> seeds;
    const int count = shellFaceCount(a);
    for (int n = 0; n < kFaces && n < count; ++n) {
      const int f = shellFaces_[size_t(shellFaceStart_[size_t(a)] + int((long long)(count) * n / kFaces))];
      const Point3 image = mirrored(faceCentroid(f));
      int g = -1;
      double best = 1e300;
      for (int i = shellFaceStart_[size_t(b)]; i < shellFaceStart_[size_t(b) + 1]; ++i) {
        const int c = shellFaces_[size_t(i)];
        if (m_.FaceSize(c) != m_.FaceSize(f)) continue;
        const double d = gap(image, faceCentroid(c));
        if (d < best) best = d, g = c;
      }
      if (g < 0) continue;
      for (int s = 0; s < m_.FaceSize(f); ++s) seeds.push_back(Seed{f, g, s, best});
    }
    return seeds;
  }

  // --- the walk ----------------------------------------------------------------------------------
  bool setVertex(MapBuffer& b, int v, int w) {
    int& image = b.vertexImage[size_t(v)];
    if (image < 0) {
      image = w;
      b.TouchVertex(v);
      b.score += distance2(v, w);
      return true;
    }
    if (image == w) return true;
    b.contested[size_t(v)] = 1;
    return false;
  }

  // Maps f to g (and g to f) with corner j of either going to corner (s - j) of the other, and adds
  // f to the pending faces; its vertices are settled when it is taken from them.
  void mapFace(MapBuffer& b, int f, int g, int s) {
    b.faceMap[size_t(f)] = MapBuffer::FaceMap{g, s};
    b.TouchFace(f);
    if (g != f) {
      b.faceMap[size_t(g)] = MapBuffer::FaceMap{f, s};
      b.TouchFace(g);
    }
    pending_.Add(f);
  }

  // The vertex images face f's mapping gives; false when one contradicts an earlier one.
  bool mapVertices(MapBuffer& b, int f) {
    const int g = b.faceMap[size_t(f)].image, s = b.faceMap[size_t(f)].shift, k = m_.FaceSize(f);
    bool agreed = true;
    for (int j = 0; j < k; ++j) {
      const int v = m_.cornerVertex[m_.faceStart[f] + j];
      const int w = m_.cornerVertex[m_.HalfEdge(g, s - j)];
      agreed = setVertex(b, v, w) && agreed;
      agreed = setVertex(b, w, v) && agreed;
    }
    return agreed;
  }

  // Strict: stops at the first contradiction or once the score reaches `bound`. Tolerant: counts
  // contradictions and goes around them (an edge that contradicts is not crossed).
  WalkResult walk(MapBuffer& b, const Seed& seed, double bound, bool tolerant) {
    WalkResult r;
    if (m_.FaceSize(seed.f) != m_.FaceSize(seed.g)) return r;
    pending_.Start(tolerant);
    struct DropAtExit {
      PendingFaces& faces;
      ~DropAtExit() { faces.Drop(); }
    } dropAtExit{pending_};
    mapFace(b, seed.f, seed.g, seed.s);
    while (!pending_.Empty()) {
      const int f = pending_.Take();
      if (!mapVertices(b, f)) {
        ++r.conflicts;
        if (!tolerant) return r;
      }
      if (!tolerant && b.score >= bound) return r;
      const int g = b.faceMap[size_t(f)].image, s = b.faceMap[size_t(f)].shift, k = m_.FaceSize(f);
      for (int j = 0; j < k; ++j) {
        const int t = m_.twin[size_t(m_.faceStart[f] + j)];
        const int ti = m_.twin[size_t(m_.HalfEdge(g, s - j - 1))];
        bool fits = true;
        if (t < 0 || ti < 0) {
          fits = t < 0 && ti < 0;
        } else {
          const int ft = m_.faceOf[size_t(t)], fi = m_.faceOf[size_t(ti)];
          const int kt = m_.FaceSize(ft);
          if (m_.FaceSize(fi) != kt) {
            fits = false;
          } else {
            int st = (t - m_.faceStart[ft]) + (ti - m_.faceStart[fi]) + 1;
            while (st >= kt) st -= kt;
            const MapBuffer::FaceMap neighbour = b.faceMap[size_t(ft)];
            if (neighbour.image < 0 && b.faceMap[size_t(fi)].image < 0) {
              mapFace(b, ft, fi, st);
            } else {
              fits = neighbour.image == fi && neighbour.shift == st;
            }
          }
        }
        if (!fits) {
          ++r.conflicts;
          if (!tolerant) return r;
        }
      }
    }
    r.complete = r.conflicts == 0 && b.score < bound;
    return r;
  }

  // --- settling ----------------------------------------------------------------------------------
  // What a faulty shell's partners are confirmed by: the mean length of the edges leaving each
  // vertex, and the vertex nearest each vertex's mirror image.
  void prepareConfirmation() {
    if (!meanEdge_.empty()) return;
    meanEdge_.assign(size_t(m_.vertexCount), 0.0);
    LargeArray<int> count(static_cast<size_t>(m_.vertexCount), 0);
    const int corners = m_.faceCount > 0 ? m_.faceStart[m_.faceCount] : 0;
    for (int h = 0; h < corners; ++h) {
      const int v = m_.Tail(h);
      meanEdge_[size_t(v)] += gap(p_[v], p_[m_.Head(h)]);
      ++count[size_t(v)];
    }
    for (int v = 0; v < m_.vertexCount; ++v) meanEdge_[size_t(v)] /= std::max(1, count[size_t(v)]);
    nearestImage_.resize(size_t(m_.vertexCount));
    BuildPartnerTable(p_.data(), m_.vertexCount, BuildMirrorMatrices(o_.axis, o_.offset), nearestImage_.data());
  }

  // Whether v's partner w in `b` is settled: agreed by every face around v and naming v back; where
  // the connectivity has faults, also the vertex nearest v's mirror image and within half an edge of
  // it, and v the same to w (a walk around faults on a shape with symmetries of its own can settle
  // on a map turned by a step, whose partners lie near, but not nearest, the mirror images).
  bool settled(const MapBuffer& b, int v, bool confirmByPosition) const {
    const int w = b.vertexImage[size_t(v)];
    if (w < 0 || b.contested[size_t(v)] || b.contested[size_t(w)] || b.vertexImage[size_t(w)] != v) return false;
    return !confirmByPosition || (confirmed(v, w) && confirmed(w, v));
  }
  // Asked of both ends, so that a settled partner is settled from its own side too.
  bool confirmed(int v, int w) const {
    return nearestImage_[size_t(v)] == w && std::sqrt(distance2(v, w)) <= 0.5 * meanEdge_[size_t(v)];
  }

  int countSettled(const MapBuffer& b, int a, int c, bool confirmByPosition) const {
    int n = 0;
    for (int s : {a, c}) {
      for (int i = shellVertexStart_[size_t(s)]; i < shellVertexStart_[size_t(s) + 1]; ++i) n += settled(b, shellVertices_[size_t(i)], confirmByPosition);
      if (a == c) break;
    }
    return n;
  }

  // The box diagonal of shells a and c together: how far partners may lie from their mirror images
  // before the map is no mirror of them at all.
  double extent(int a, int c) const {
    Point3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (int s : {a, c}) {
      for (int i = shellVertexStart_[size_t(s)]; i < shellVertexStart_[size_t(s) + 1]; ++i) {
        const Point3& q = p_[shellVertices_[size_t(i)]];
        for (int k = 0; k < 3; ++k) {
          if (std::isfinite(q[k])) lo[k] = std::min(lo[k], q[k]), hi[k] = std::max(hi[k], q[k]);
        }
      }
    }
    return gap(lo, hi);
  }

  // A vertex where two shells touch (and share no edge) is paired with each shell: where the two
  // disagree its partner does not name it back, and neither is kept. (Within one shell pair every
  // partner names its vertex back.)
  void dropOneWayPartners() {
    std::vector<int> oneWay;
    for (int v = 0; v < m_.vertexCount; ++v) {
      const int w = r_.partners[size_t(v)];
      if (w >= 0 && r_.partners[size_t(w)] != v) oneWay.push_back(v);
    }
    for (const int v : oneWay) r_.partners[size_t(v)] = -1;
  }

  // Records v's partner w (both in the new numbering, w -1 for none) in the caller's numbering.
  void setPartner(int v, int w) { r_.partners[size_t(m_.originalVertex[size_t(v)])] = w < 0 ? -1 : m_.originalVertex[size_t(w)]; }

  // Pairs shell a with shell c (the same shell for one mirrored within itself).
  bool pairShells(int a, int c, const std::vector<Seed>* given) {
    std::vector<Seed> seeds = given != nullptr ? *given : seedsFromKinds(a, c);
    if (seeds.empty()) {
      int named = m_.vertexCount;  // the shell's lowest vertex in the caller's numbering
      for (int i = shellVertexStart_[size_t(a)]; i < shellVertexStart_[size_t(a) + 1]; ++i) named = std::min(named, m_.originalVertex[size_t(shellVertices_[size_t(i)])]);
      r_.error = "the shell of vertex " + std::to_string(named + 1) + " (" +
                 std::to_string(shellVertexCount(a)) + " vertices) has no seed: no face of it has a like face across the plane to "
                 "start from; give --seed-edge A,B with an edge that is its own mirror image";
      return false;
    }
    // Strict walks: the best complete map wins, each later walk stopping once it is worse.
    double bestScore = 1e300;
    bool found = false;
    for (const Seed& seed : seeds) {
      // A seed the best map already holds would only make that map again.
      if (found && best_.faceMap[size_t(seed.f)].image == seed.g && best_.faceMap[size_t(seed.f)].shift == seed.s) continue;
      trial_.Clear();
      if (walk(trial_, seed, bestScore, false).complete && trial_.score < bestScore) {
        bestScore = trial_.score;
        std::swap(trial_, best_);
        found = true;
      }
    }
    // Both buffers are left as they are: each walk clears the one it uses first.
    const int vertices = shellVertexCount(a) + (a == c ? 0 : shellVertexCount(c));
    if (found) {
      if (std::sqrt(bestScore / vertices) > extent(a, c)) {
        ++r_.unmatchedShells;  // the shape fits itself, but its mirror image is somewhere else
        return true;
      }
      for (int s : {a, c}) {
        for (int i = shellVertexStart_[size_t(s)]; i < shellVertexStart_[size_t(s) + 1]; ++i) {
          const int v = shellVertices_[size_t(i)];
          setPartner(v, best_.vertexImage[size_t(v)]);
        }
        if (a == c) break;
      }
      return true;
    }

    // No map covers the shells without contradiction: tolerant walks, keeping the one that settles most.
    ++r_.faultyShells;
    prepareConfirmation();
    constexpr size_t kTolerantWalks = 12;
    if (seeds.size() > kTolerantWalks) seeds.resize(kTolerantWalks);
    if (given == nullptr) {
      const std::vector<Seed> placed = seedsFromPositions(a, c);
      seeds.insert(seeds.end(), placed.begin(), placed.end());
    }
    int mostSettled = -1;
    double scoreThen = 1e300;
    for (const Seed& seed : seeds) {
      trial_.Clear();
      walk(trial_, seed, 1e300, true);
      const int n = countSettled(trial_, a, c, true);
      if (n > mostSettled || (n == mostSettled && trial_.score < scoreThen)) {
        mostSettled = n;
        scoreThen = trial_.score;
        std::swap(trial_, best_);
      }
    }
    // Positions confirm a map around faults only where they confirm most of what its faces agree
    // on; a posed shell (whose partners lie far from their mirror images) is left unsettled whole,
    // as the few partners that happen to lie near prove nothing.
    if (mostSettled * 2 < countSettled(best_, a, c, false)) return true;
    for (int s : {a, c}) {
      for (int i = shellVertexStart_[size_t(s)]; i < shellVertexStart_[size_t(s) + 1]; ++i) {
        const int v = shellVertices_[size_t(i)];
        if (settled(best_, v, true)) setPartner(v, best_.vertexImage[size_t(v)]);
      }
      if (a == c) break;
    }
    return true;
  }

  const HalfEdgeMesh& m_;
  const Point3* callerPositions_;
  LargeArray<Point3> p_;  // in the new numbering
  const TopologyPairingOptions& o_;
  TopologyPairing r_;
  int shellCount_ = 0;
  LargeArray<int> shellOfFace_, shellFaces_, shellVertices_;
  std::vector<int> shellFaceStart_, shellVertexStart_;
  LargeArray<std::uint64_t> kind_;
  KindTable meshKinds_;
  LargeArray<double> meanEdge_;
  LargeArray<int> nearestImage_;  // in the new numbering
  PendingFaces pending_;
  MapBuffer trial_, best_;
};

}  // namespace

TopologyPairing PairByTopology(const HalfEdgeMesh& mesh, const Point3* positions, const TopologyPairingOptions& options) {
  return Pairer(mesh, positions, options).Run();
}
