// Half-edges paired by a counting sort: each half-edge is filed under the lower of its two vertices,
// in corner order, so its twin (the same two vertices, the other way round) is filed beside it. The
// vertices are first numbered in order of use, so that filing and the final scan of the buckets read
// and write nearly in sequence. The passes after the numbering split the mesh in two halves, one
// a thread, each half filing into its own part of every bucket, so the result is the same as one
// pass in corner order.
#include "toolkit/half_edge_mesh.h"

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit/side_by_side.h"

namespace {

std::string vertexName(int v) { return "vertex " + std::to_string(v + 1); }

// A half-edge filed under its lower vertex: the higher one, complemented when the half-edge runs
// from it (so the two orientations of one edge differ), and the corner.
struct Filed {
  int other;
  int h;
};

int upper(const Filed& e) { return e.other < 0 ? ~e.other : e.other; }

bool before(const Filed& x, const Filed& y) { return upper(x) != upper(y) ? upper(x) < upper(y) : x.h < y.h; }

// Orders one bucket by edge, then corner: buckets are small (a vertex's edges) except around a fan.
void sortBucket(Filed* begin, Filed* end) {
  if (end - begin > 16) {
    std::sort(begin, end, before);
    return;
  }
  for (Filed* i = begin + 1; i < end; ++i) {
    const Filed e = *i;
    Filed* j = i;
    for (; j > begin && before(e, j[-1]); --j) *j = j[-1];
    *j = e;
  }
}

// Checks every face and numbers the vertices in order of first use (isolated ones last, in the
// caller's order; the first of them in r_firstIsolated, or -1). Also counts each vertex's corners
// into m.valence: on a manifold mesh, its edges are its outgoing half-edges and its incoming boundary
// half-edges. False with r_error set on a face no pairing can use.
bool numberVertices(const int* cornerVertex, HalfEdgeMesh& m, int& r_firstIsolated, std::string& r_error) {
  const int vertexCount = m.vertexCount, corners = m.faceCount > 0 ? m.faceStart[m.faceCount] : 0;
  LargeArray<int> localOf(static_cast<size_t>(vertexCount), -1);
  int used = 0;
  // The caller's numbers are read all over localOf when the vertex order is shuffled: fetched ahead.
  constexpr int kAhead = 64;
  for (int f = 0; f < m.faceCount; ++f) {
    const int begin = m.faceStart[f], end = m.faceStart[f + 1];
    if (end - begin < 3) {
      r_error = "face " + std::to_string(f + 1) + " has fewer than three corners";
      return false;
    }
    for (int h = begin; h < end; ++h) {
      if (h + kAhead < corners) {
        const unsigned ahead = unsigned(cornerVertex[h + kAhead]);
        if (ahead < unsigned(vertexCount)) __builtin_prefetch(&localOf[ahead], 1);
      }
      const int v = cornerVertex[h];
      if (v < 0 || v >= vertexCount) {
        r_error = "face " + std::to_string(f + 1) + " names a vertex outside the mesh";
        return false;
      }
      // A face using one vertex twice has no well-defined mirror image.
      for (int c = begin; c < h; ++c) {
        if (cornerVertex[c] == v) {
          r_error = "face " + std::to_string(f + 1) + " is degenerate: it uses " + vertexName(v) + " twice";
          return false;
        }
      }
      int& local = localOf[size_t(v)];
      if (local < 0) {
        local = used++;
        m.originalVertex[size_t(local)] = v;
      }
      m.cornerVertex[size_t(h)] = local;
      ++m.valence[size_t(local)];
    }
  }
  r_firstIsolated = -1;
  for (int v = 0; v < vertexCount && used < vertexCount; ++v) {
    if (localOf[size_t(v)] >= 0) continue;
    if (r_firstIsolated < 0) r_firstIsolated = v;
    m.originalVertex[size_t(used++)] = v;
  }
  return true;
}

// Calls visit(h, lower vertex, Filed) for each half-edge of faces [firstFace, endFace), in corner order.
template <class Visit>
void forEachHalfEdge(const HalfEdgeMesh& m, int firstFace, int endFace, Visit&& visit) {
  const int* const local = m.cornerVertex.data();
  for (int f = firstFace; f < endFace; ++f) {
    const int begin = m.faceStart[f], end = m.faceStart[f + 1];
    for (int h = begin; h < end; ++h) {
      const int a = local[h], b = local[h + 1 == end ? begin : h + 1];
      visit(std::min(a, b), Filed{a < b ? b : ~a, h});
    }
  }
}

// The earliest corner at which an edge is found faulty (corners when none), and the corner of the
// same edge's first half-edge when it runs the same way (-1 for a third face).
struct EdgeFault {
  int at;
  int first = -1;
};

// Pairs the twins in buckets [firstBucket, endBucket), each bucket v being filed[bucketStart[v] ..
// bucketStart[v + 1] - 1]. Per edge, in corner order: the second half-edge is the first's twin
// unless it runs the same way, and a third means a third face. A boundary half-edge's twin is -1,
// and its head is added to r_boundaryHeads (its edge counts towards that vertex's valence). Every
// twin of a mesh without faults is written here.
EdgeFault pairTwins(HalfEdgeMesh& m, Filed* filed, const int* bucketStart, int firstBucket, int endBucket,
                    std::vector<int>& r_boundaryHeads) {
  const int corners = bucketStart[m.vertexCount];
  EdgeFault fault{corners};
  constexpr int kAhead = 16;
  for (int lo = firstBucket; lo < endBucket; ++lo) {
    Filed* const begin = filed + bucketStart[lo];
    Filed* const end = filed + bucketStart[lo + 1];
    // The twin table is written wherever the corners are: fetched ahead.
    if (end - filed + kAhead < corners) __builtin_prefetch(&m.twin[size_t(end[kAhead].h)], 1);
    sortBucket(begin, end);
    for (Filed* e = begin; e < end;) {
      Filed* next = e + 1;
      while (next < end && upper(*next) == upper(*e)) ++next;
      if (next - e == 1) {
        m.twin[size_t(e->h)] = -1;
        r_boundaryHeads.push_back(e->other < 0 ? lo : e->other);
      } else if ((e[0].other < 0) == (e[1].other < 0)) {
        if (e[1].h < fault.at) fault = EdgeFault{e[1].h, e[0].h};
      } else {
        m.twin[size_t(e[0].h)] = e[1].h;
        m.twin[size_t(e[1].h)] = e[0].h;
        if (next - e >= 3 && e[2].h < fault.at) fault = EdgeFault{e[2].h, -1};
      }
      e = next;
    }
  }
  return fault;
}

}  // namespace

bool BuildHalfEdgeMesh(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                       HalfEdgeMesh& r_mesh, std::string& r_error) {
  HalfEdgeMesh& m = r_mesh;
  m = HalfEdgeMesh();
  m.vertexCount = vertexCount;
  m.faceCount = faceCount;
  m.faceStart = faceStart;
  const int corners = faceCount > 0 ? faceStart[faceCount] : 0;
  m.faceOf.resize(size_t(corners));
  m.twin.resize(size_t(corners));
  m.valence.assign(size_t(vertexCount), 0);
  m.cornerVertex.resize(size_t(corners));
  m.originalVertex.resize(size_t(vertexCount));

  // Faces are checked first: the buckets below trust every corner to name a vertex of the mesh.
  int firstIsolated = -1;
  bool facesUsable = false;
  RunSideBySide(
      [&] {
        int* const faceOf = m.faceOf.data();
        for (int f = 0; f < faceCount; ++f) std::fill(faceOf + faceStart[f], faceOf + faceStart[f + 1], f);
      },
      [&] { facesUsable = numberVertices(cornerVertex, m, firstIsolated, r_error); });
  if (!facesUsable) return false;

  // Each half of the faces files into its own part of every bucket, the first half's part first.
  const int middleFace = faceCount / 2;
  LargeArray<int> firstHalfAt(static_cast<size_t>(vertexCount), 0), secondHalfAt(static_cast<size_t>(vertexCount), 0);
  RunSideBySide([&] { forEachHalfEdge(m, middleFace, faceCount, [&](int lo, Filed) { ++secondHalfAt[size_t(lo)]; }); },
                [&] { forEachHalfEdge(m, 0, middleFace, [&](int lo, Filed) { ++firstHalfAt[size_t(lo)]; }); });
  LargeArray<int> bucketStart(static_cast<size_t>(vertexCount) + 1);
  int at = 0;
  for (int v = 0; v < vertexCount; ++v) {
    bucketStart[size_t(v)] = at;
    const int firstCount = firstHalfAt[size_t(v)];
    firstHalfAt[size_t(v)] = at;
    at += firstCount;
    const int secondCount = secondHalfAt[size_t(v)];
    secondHalfAt[size_t(v)] = at;
    at += secondCount;
  }
  bucketStart[size_t(vertexCount)] = at;
  LargeArray<Filed> filed(static_cast<size_t>(corners));
  RunSideBySide([&] { forEachHalfEdge(m, middleFace, faceCount, [&](int lo, Filed e) { filed[size_t(secondHalfAt[size_t(lo)]++)] = e; }); },
                [&] { forEachHalfEdge(m, 0, middleFace, [&](int lo, Filed e) { filed[size_t(firstHalfAt[size_t(lo)]++)] = e; }); });

  // The buckets split where half the half-edges lie below.
  const int middleBucket = int(std::lower_bound(bucketStart.begin(), bucketStart.end(), corners / 2) - bucketStart.begin());
  const int splitBucket = std::min(middleBucket, vertexCount);
  std::vector<int> firstBoundaryHeads, secondBoundaryHeads;
  EdgeFault firstFault{corners}, secondFault{corners};
  RunSideBySide(
      [&] { secondFault = pairTwins(m, filed.data(), bucketStart.data(), splitBucket, vertexCount, secondBoundaryHeads); },
      [&] { firstFault = pairTwins(m, filed.data(), bucketStart.data(), 0, splitBucket, firstBoundaryHeads); });
  for (const int v : firstBoundaryHeads) ++m.valence[size_t(v)];
  for (const int v : secondBoundaryHeads) ++m.valence[size_t(v)];

  // The earliest faulty corner is reported, as a walk over the corners in order would meet it.
  const EdgeFault fault = secondFault.at < firstFault.at ? secondFault : firstFault;
  if (fault.at < corners) {
    const int h = fault.at, a = cornerVertex[h], b = m.originalVertex[size_t(m.Head(h))];
    if (fault.first < 0) {
      r_error = "the edge from " + vertexName(a) + " to " + std::to_string(b + 1) + " has more than two faces (face " +
                std::to_string(m.faceOf[size_t(h)] + 1) + " is the third): the mesh is not manifold there";
    } else {
      r_error = "faces " + std::to_string(m.faceOf[size_t(fault.first)] + 1) + " and " + std::to_string(m.faceOf[size_t(h)] + 1) +
                " both run from " + vertexName(a) + " to " + std::to_string(b + 1) +
                ": their orientations disagree (or the edge has a third face)";
    }
    return false;
  }
  if (firstIsolated >= 0) {
    r_error = vertexName(firstIsolated) + " is isolated: no face uses it";
    return false;
  }
  return true;
}
