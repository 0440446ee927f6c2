// The half-edge structure of a polygon mesh given as plain arrays, checked for what topology
// pairing cannot work on.
//
// Half-edge h is corner h of the mesh: it runs from cornerVertex[h] to the next corner of its face
// (the first after the last). Its twin runs the other way along the same edge in the neighbouring
// face, or is -1 on a boundary. Built in O(corners) memory and time (O(k log k) more around a vertex
// of k edges, past a few dozen).
//
// Refused, with one line naming the face or vertices (1-based, as OBJ numbers them):
//   - a face using one vertex twice (degenerate);
//   - an edge used twice in one direction: three or more faces on one edge (non-manifold), or two
//     faces on it whose orientations disagree;
//   - a vertex no face uses (isolated).
#pragma once

#include <string>
#include <vector>

struct HalfEdgeMesh {
  int vertexCount = 0;
  int faceCount = 0;
  // Borrowed from the caller, who keeps them alive: face f's corners are faceStart[f] ..
  // faceStart[f + 1] - 1, each an index into the vertices.
  const int* faceStart = nullptr;
  const int* cornerVertex = nullptr;
  std::vector<int> twin;     // per half-edge, -1 on a boundary
  std::vector<int> faceOf;   // per half-edge
  std::vector<int> valence;  // per vertex: how many vertices share an edge with it

  int FaceSize(int f) const { return faceStart[f + 1] - faceStart[f]; }
  // The half-edge at corner j of face f, j taken modulo the face's size; j must lie in [-k, 2k) for
  // a face of k corners (no division on the walk's hot path).
  int HalfEdge(int f, int j) const {
    const int k = FaceSize(f);
    return faceStart[f] + (j < 0 ? j + k : j >= k ? j - k : j);
  }
  int Tail(int h) const { return cornerVertex[h]; }
  int Head(int h) const {
    const int f = faceOf[size_t(h)];
    return cornerVertex[h + 1 == faceStart[f + 1] ? faceStart[f] : h + 1];
  }
};

// False with r_error set (and r_mesh unusable) when the mesh is refused as above.
bool BuildHalfEdgeMesh(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                       HalfEdgeMesh& r_mesh, std::string& r_error);
