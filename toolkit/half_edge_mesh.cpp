// Half-edges paired by a counting sort: each half-edge is filed under the lower of its two vertices,
// in corner order, so its twin (the same two vertices, the other way round) is filed beside it. The
// random accesses go to a per-vertex table and one array of corners, far smaller than a hash table
// of edges, and the final scan reads the buckets in order.
#include "toolkit/half_edge_mesh.h"

#include <algorithm>
#include <cstdint>
#include <string>

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

}  // namespace

bool BuildHalfEdgeMesh(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                       HalfEdgeMesh& r_mesh, std::string& r_error) {
  HalfEdgeMesh& m = r_mesh;
  m = HalfEdgeMesh();
  m.vertexCount = vertexCount;
  m.faceCount = faceCount;
  m.faceStart = faceStart;
  m.cornerVertex = cornerVertex;
  const int corners = faceCount > 0 ? faceStart[faceCount] : 0;
  m.faceOf.resize(size_t(corners));
  m.twin.assign(size_t(corners), -1);
  m.valence.assign(size_t(vertexCount), 0);

  // Faces are checked first: the buckets below trust every corner to name a vertex of the mesh. The
  // same pass counts each bucket's half-edges (bucket v's in bucketEnd[v + 2]).
  std::vector<int> bucketEnd(size_t(vertexCount) + 2, 0);
  for (int f = 0; f < faceCount; ++f) {
    const int begin = faceStart[f], end = faceStart[f + 1];
    if (end - begin < 3) {
      r_error = "face " + std::to_string(f + 1) + " has fewer than three corners";
      return false;
    }
    for (int h = begin; h < end; ++h) {
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
      m.faceOf[size_t(h)] = f;
    }
    for (int h = begin; h < end; ++h) {
      const int a = cornerVertex[h], b = cornerVertex[h + 1 == end ? begin : h + 1];
      ++bucketEnd[size_t(std::min(a, b)) + 2];
    }
  }
  for (size_t i = 1; i < bucketEnd.size(); ++i) bucketEnd[i] += bucketEnd[i - 1];

  // Bucket v starts at bucketEnd[v + 1]; filing advances that to its end, so that afterwards bucket v
  // is bucketEnd[v] .. bucketEnd[v + 1] - 1.
  std::vector<Filed> filed(static_cast<size_t>(corners));
  for (int f = 0; f < faceCount; ++f) {
    const int begin = faceStart[f], end = faceStart[f + 1];
    for (int h = begin; h < end; ++h) {
      const int a = cornerVertex[h], b = cornerVertex[h + 1 == end ? begin : h + 1];
      const int lo = std::min(a, b);
      filed[size_t(bucketEnd[size_t(lo) + 1]++)] = Filed{a < b ? b : ~a, h};
    }
  }

  // Per edge, in corner order: the second half-edge is the first's twin unless it runs the same way,
  // and a third means a third face. The earliest such corner is reported, as a walk over the
  // corners in order would meet it.
  int faultAt = corners, faultFirst = -1;
  constexpr int kAhead = 16;
  for (int lo = 0; lo < vertexCount; ++lo) {
    Filed* const begin = filed.data() + bucketEnd[size_t(lo)];
    Filed* const end = filed.data() + bucketEnd[size_t(lo) + 1];
    if (end - filed.data() + kAhead < corners) {
      // The twin table and the higher vertices' valences are written all over: fetched ahead.
      const Filed& ahead = end[kAhead];
      __builtin_prefetch(&m.twin[size_t(ahead.h)], 1);
      __builtin_prefetch(&m.valence[size_t(upper(ahead))], 1);
    }
    sortBucket(begin, end);
    for (Filed* e = begin; e < end;) {
      Filed* next = e + 1;
      while (next < end && upper(*next) == upper(*e)) ++next;
      ++m.valence[size_t(lo)];
      ++m.valence[size_t(upper(*e))];
      if (next - e >= 2) {
        if ((e[0].other < 0) == (e[1].other < 0)) {
          if (e[1].h < faultAt) faultAt = e[1].h, faultFirst = e[0].h;
        } else {
          m.twin[size_t(e[0].h)] = e[1].h;
          m.twin[size_t(e[1].h)] = e[0].h;
          if (next - e >= 3 && e[2].h < faultAt) faultAt = e[2].h, faultFirst = -1;
        }
      }
      e = next;
    }
  }
  if (faultAt < corners) {
    const int h = faultAt, a = cornerVertex[h];
    if (faultFirst < 0) {
      r_error = "the edge from " + vertexName(a) + " to " + std::to_string(m.Head(h) + 1) + " has more than two faces (face " +
                std::to_string(m.faceOf[size_t(h)] + 1) + " is the third): the mesh is not manifold there";
    } else {
      r_error = "faces " + std::to_string(m.faceOf[size_t(faultFirst)] + 1) + " and " + std::to_string(m.faceOf[size_t(h)] + 1) +
                " both run from " + vertexName(a) + " to " + std::to_string(m.Head(h) + 1) +
                ": their orientations disagree (or the edge has a third face)";
    }
    return false;
  }
  // valence counts each vertex's edges: how many vertices share an edge with it.
  for (int v = 0; v < vertexCount; ++v) {
    if (m.valence[size_t(v)] == 0) {
      r_error = vertexName(v) + " is isolated: no face uses it";
      return false;
    }
  }
  return true;
}
