// Half-edges paired through one open-addressing table of undirected edges: each half-edge is looked
// up once, and the second half-edge to arrive at an edge finds its twin waiting there. A few random
// memory accesses a corner, whatever the vertex order (exported meshes are often shuffled).
#include "toolkit/half_edge_mesh.h"

#include <cstdint>
#include <string>
#include <system_error>
#include <thread>

namespace {

std::string vertexName(int v) { return "vertex " + std::to_string(v + 1); }

std::uint64_t spread(std::uint64_t x) {
  x ^= x >> 31;
  x *= 0x7fb5d329728ea185ull;
  return x ^ (x >> 27);
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

  // Faces are checked first: the edge table below trusts every corner to name a vertex of the mesh.
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
  }
  // Each vertex's outgoing edges are counted on a second thread while the edges are paired here:
  // both passes wait on memory far more than they compute.
  auto countValences = [&m, cornerVertex, corners] {
    for (int h = 0; h < corners; ++h) ++m.valence[size_t(cornerVertex[h])];
  };
  std::thread counter;
  try {
    counter = std::thread(countValences);
  } catch (const std::system_error&) {
    countValences();
  }
  struct JoinAtExit {
    std::thread& t;
    ~JoinAtExit() {
      if (t.joinable()) t.join();
    }
  } joinAtExit{counter};

  // A mesh has at most as many edges as corners (about half as many when closed): a table of more
  // slots than corners never fills.
  size_t capacity = 16;
  while (capacity <= size_t(corners)) capacity *= 2;
  // Per slot: the edge's two vertices (lower first) and the half-edge that arrived first, -1 once
  // its twin has come too.
  struct Slot {
    std::uint64_t key = ~std::uint64_t(0);
    int first = -1;
  };
  std::vector<Slot> slots(capacity);
  const size_t mask = capacity - 1;
  auto keyOf = [&](int h) {
    const int a = cornerVertex[h], b = m.Head(h);
    return a < b ? (std::uint64_t(a) << 32 | std::uint64_t(b)) : (std::uint64_t(b) << 32 | std::uint64_t(a));
  };
  // The table is far larger than the caches: each lookup is fetched well ahead of its turn.
  constexpr int kAhead = 16;
  for (int h = 0; h < corners; ++h) {
    if (h + kAhead < corners) __builtin_prefetch(&slots[size_t(spread(keyOf(h + kAhead))) & mask], 1);
    const std::uint64_t key = keyOf(h);
    size_t slot = size_t(spread(key)) & mask;
    while (slots[slot].key != key && slots[slot].key != ~std::uint64_t(0)) slot = (slot + 1) & mask;
    if (slots[slot].key != key) {
      slots[slot].key = key;
      slots[slot].first = h;
      continue;
    }
    const int other = slots[slot].first;
    const int a = cornerVertex[h];
    if (other < 0) {
      r_error = "the edge from " + vertexName(a) + " to " + std::to_string(m.Head(h) + 1) + " has more than two faces (face " +
                std::to_string(m.faceOf[size_t(h)] + 1) + " is the third): the mesh is not manifold there";
      return false;
    }
    if (cornerVertex[other] == a) {
      r_error = "faces " + std::to_string(m.faceOf[size_t(other)] + 1) + " and " + std::to_string(m.faceOf[size_t(h)] + 1) +
                " both run from " + vertexName(a) + " to " + std::to_string(m.Head(h) + 1) +
                ": their orientations disagree (or the edge has a third face)";
      return false;
    }
    m.twin[size_t(h)] = other;
    m.twin[size_t(other)] = h;
    slots[slot].first = -1;
  }

  if (counter.joinable()) counter.join();
  for (int v = 0; v < vertexCount; ++v) {
    if (m.valence[size_t(v)] == 0) {
      r_error = vertexName(v) + " is isolated: no face uses it";
      return false;
    }
  }
  // valence so far counts the edges leaving each vertex; a boundary edge into a vertex adds one more
  // neighbour.
  for (int h = 0; h < corners; ++h) {
    if (m.twin[size_t(h)] < 0) ++m.valence[size_t(m.Head(h))];
  }
  return true;
}
