// The half-edge structure of a polygon mesh given as plain arrays, checked for what topology
// pairing cannot work on.
//
// Half-edge h is corner h of the mesh: it runs from cornerVertex[h] to the next corner of its face
// (the first after the last). Its twin runs the other way along the same edge in the neighbouring
// face, or is -1 on a boundary. Built in O(corners) memory and time (O(k log k) more around a vertex
// of k edges, past a few dozen).
//
// Vertices are numbered anew, in order of first use corner by corner (isolated ones last): exported
// meshes often list their vertices in an order unrelated to their faces', and every table indexed by
// vertex is then read nearly in sequence instead of all over. originalVertex maps back.
//
// Refused, with one line naming the face or vertices (1-based, as OBJ numbers them):
//   - a face using one vertex twice (degenerate);
//   - an edge used twice in one direction: three or more faces on one edge (non-manifold), or two
//     faces on it whose orientations disagree;
//   - a vertex no face uses (isolated).
#pragma once

#include <string>

#include "toolkit/large_array.h"

struct HalfEdgeMesh {
  int vertexCount = 0;
  int faceCount = 0;
  // Borrowed from the caller, who keeps it alive: face f's corners are faceStart[f] ..
  // faceStart[f + 1] - 1.
  const int* faceStart = nullptr;
  LargeArray<int> cornerVertex;  // per corner, its vertex in the new numbering
  LargeArray<int> originalVertex;  // per vertex in the new numbering, the caller's number
  LargeArray<int> twin;     // per half-edge, -1 on a boundary
  LargeArray<int> faceOf;   // per half-edge
  LargeArray<int> valence;  // per vertex (new numbering): how many vertices share an edge with it

  int FaceSize(int f) const { return faceStart[f + 1] - faceStart[f]; }
  // The half-edge at corner j of face f, j taken modulo the face's size; j must lie in [-k, 2k) for
  // a face of k corners (no division on the walk's hot path).
  int HalfEdge(int f, int j) const {
    const int k = FaceSize(f);
    return faceStart[f] + (j < 0 ? j + k : j >= k ? j - k : j);
  }
  int Tail(int h) const { return cornerVertex[size_t(h)]; }
  int Head(int h) const {
    const int f = faceOf[size_t(h)];
    return cornerVertex[size_t(h + 1 == faceStart[f + 1] ? faceStart[f] : h + 1)];
  }
};

// False with r_error set (and r_mesh unusable) when the mesh is refused as above; messages use the
// caller's numbers.
bool BuildHalfEdgeMesh(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                       HalfEdgeMesh& r_mesh, std::string& r_error);
