// Quads read back from a mesh whose quads were split into triangles (glTF carries only triangles,
// and many exporters split every quad along the same corner-to-corner diagonal).
//
// A split quad's diagonal need not mirror: the mirror image of a quad split a-c is split along the
// other diagonal, so the triangles have no mirror map even where the quads have one. Reading each
// such pair of triangles as its quad again gives the walk back the connectivity the artist made.
//
// Two triangles sharing an edge are read as one quad when each is the other's clear best choice
// among its triangle neighbours: the quad they make must be convex, nearly flat (their normals
// within 30 degrees) and have corners within 45 degrees of right angles, and the better it is in
// that last measure, the better the choice. A choice within 2 degrees of the runner-up is no
// choice: ties are broken by no vertex order, so a mesh whose positions are mirror images of
// each other is read the same way on both sides.
#pragma once

#include <vector>

#include "point3.h"
#include "toolkit/half_edge_mesh.h"

struct RecoveredQuads {
  // The mesh with each pair read as one quad (at its first triangle's place, the second dropped),
  // every other face as it was, vertices in the caller's numbers. Empty when no pair was read.
  std::vector<int> faceStart;
  std::vector<int> cornerVertex;
  int quads = 0;      // pairs read as one quad
  int triangles = 0;  // triangles in the mesh given
};

// `positions`: mesh.vertexCount entries in the caller's numbering. The edge keepA-keepB (caller's
// numbers; -1 for none) is never read as a diagonal: a seed the caller gives stays an edge.
RecoveredQuads RecoverQuads(const HalfEdgeMesh& mesh, const Point3* positions, int keepA = -1, int keepB = -1);
