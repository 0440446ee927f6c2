// Half-edges by a counting sort of corners on their tail vertex: each vertex's outgoing half-edges
// lie together, so a twin is found among the few leaving one vertex, never by a global search.
#include "toolkit/half_edge_mesh.h"

#include <string>

namespace {

std::string vertexName(int v) { return "vertex " + std::to_string(v + 1); }

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

  // Which face each corner belongs to; a face using one vertex twice has no well-defined mirror.
  std::vector<int> seenInFace(static_cast<size_t>(vertexCount), -1);
  for (int f = 0; f < faceCount; ++f) {
    if (faceStart[f + 1] - faceStart[f] < 3) {
      r_error = "face " + std::to_string(f + 1) + " has fewer than three corners";
      return false;
    }
    for (int h = faceStart[f]; h < faceStart[f + 1]; ++h) {
      const int v = cornerVertex[h];
      if (v < 0 || v >= vertexCount) {
        r_error = "face " + std::to_string(f + 1) + " names a vertex outside the mesh";
        return false;
      }
      if (seenInFace[size_t(v)] == f) {
        r_error = "face " + std::to_string(f + 1) + " is degenerate: it uses " + vertexName(v) + " twice";
        return false;
      }
      seenInFace[size_t(v)] = f;
      m.faceOf[size_t(h)] = f;
    }
  }

  // Outgoing half-edges grouped by tail vertex.
  std::vector<int> outStart(size_t(vertexCount) + 1, 0);
  for (int h = 0; h < corners; ++h) ++outStart[size_t(cornerVertex[h]) + 1];
  for (int v = 0; v < vertexCount; ++v) {
    if (outStart[size_t(v) + 1] == 0) {
      r_error = vertexName(v) + " is isolated: no face uses it";
      return false;
    }
    outStart[size_t(v) + 1] += outStart[size_t(v)];
  }
  std::vector<int> out(static_cast<size_t>(corners));
  {
    std::vector<int> fill(outStart.begin(), outStart.end() - 1);
    for (int h = 0; h < corners; ++h) out[size_t(fill[size_t(cornerVertex[h])]++)] = h;
  }

  // For each vertex a: note the half-edge a->b under b, then the twin of each half-edge x->a that
  // ends at a (the one before an outgoing half-edge in its face) is the noted a->x.
  m.twin.assign(size_t(corners), -1);
  m.valence.assign(size_t(vertexCount), 0);
  std::vector<int> noteOwner(static_cast<size_t>(vertexCount), -1);
  std::vector<int> noted(static_cast<size_t>(vertexCount), -1);
  for (int a = 0; a < vertexCount; ++a) {
    for (int k = outStart[size_t(a)]; k < outStart[size_t(a) + 1]; ++k) {
      const int h = out[size_t(k)];
      const int b = m.Head(h);
      if (noteOwner[size_t(b)] == a) {
        r_error = "the edge from " + vertexName(a) + " to " + std::to_string(b + 1) + " is used in one direction by faces " +
                  std::to_string(m.faceOf[size_t(noted[size_t(b)])] + 1) + " and " + std::to_string(m.faceOf[size_t(h)] + 1) +
                  ": more than two faces share it, or their orientations disagree";
        return false;
      }
      noteOwner[size_t(b)] = a;
      noted[size_t(b)] = h;
    }
    m.valence[size_t(a)] = outStart[size_t(a) + 1] - outStart[size_t(a)];
    for (int k = outStart[size_t(a)]; k < outStart[size_t(a) + 1]; ++k) {
      const int h = out[size_t(k)];
      const int f = m.faceOf[size_t(h)];
      const int in = h == faceStart[f] ? faceStart[f + 1] - 1 : h - 1;
      const int x = cornerVertex[in];
      if (noteOwner[size_t(x)] == a) {
        m.twin[size_t(in)] = noted[size_t(x)];
      } else {
        ++m.valence[size_t(a)];  // a neighbour reached only by an edge into a: a boundary edge
      }
    }
  }
  return true;
}
