// Quads read back from a mesh whose quads were split into triangles (glTF carries only triangles,
// and many exporters split every quad along the same corner-to-corner diagonal).
//
// A split quad's diagonal need not mirror: the mirror image of a quad split a-c is split along the
// other diagonal, so the triangles have no mirror map even where the quads have one. Reading each
// such pair of triangles as its quad again gives the walk back the connectivity the artist made.
//
// Two triangles sharing an edge are read as one quad in either of two ways:
//   - Stored as exporters store a split quad a b c d: a b c, then a c d next to it (and not part of
//     a longer fan so stored, such as a polygon split from one corner or a cap around a pole). The
//     order says which triangles make a quad, whatever the positions: on a sheared mesh half of one
//     quad and half of the next can make a squarer quad than either, and noise can make a true quad
//     look like none.
//   - Otherwise, when each is the other's clear best choice among its triangle neighbours by the
//     squareness of the quad they make: convex, not folded (normals within 60 degrees), every
//     corner within 30 degrees of a right angle (15 in a mesh whose triangles are three in four
//     stored as split quads, where the rest were mostly triangles before), 2 degrees squarer than
//     the runner-up. Ties are broken by no vertex order, so a mesh whose halves are mirror images of
//     each other is read alike on both sides.
// Either way the quad has four distinct corners, and the edge the caller keeps is never a diagonal.
#pragma once

#include "point3.h"
#include "toolkit/half_edge_mesh.h"

struct RecoveredQuads {
  // The mesh with each pair read as one quad (at its first triangle's place, the second dropped),
  // every other face as it was, vertices in the caller's numbers. Empty when no pair was read.
  LargeArray<int> faceStart;
  LargeArray<int> cornerVertex;
  int quads = 0;      // pairs read as one quad
  int triangles = 0;  // triangles in the mesh given
  int storedAsSplit = 0;  // of those, the ones stored as a split quad's two halves
};

// `positions`: mesh.vertexCount entries in the caller's numbering. The edge keepA-keepB (caller's
// numbers; -1 for none) is never read as a diagonal: a seed the caller gives stays an edge.
RecoveredQuads RecoverQuads(const HalfEdgeMesh& mesh, const Point3* positions, int keepA = -1, int keepB = -1);
