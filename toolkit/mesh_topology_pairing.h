// Topology pairing of a polygon mesh given as plain arrays, what the command line and the Python
// module call: the half-edges built and checked, and where triangles may be split quads, the
// pairing made on the quads read back as well (see quad_recovery.h), keeping the better result.
//
// Which reading is tried first: the quads, when they cover nearly every triangle (a mesh of split
// quads); the mesh as given otherwise. A result that pairs every vertex within half an edge of its
// mirror image is kept without trying the other. Otherwise both are made, and the one that places
// more of the vertices they disagree on within half an edge of their mirror images wins; then the one
// leaving fewer unsettled; then the one whose partners lie nearer their mirror images. A posed base
// (whose partners lie far from their mirror images on either reading) is thereby paired as its quads
// allow, whose maps include every map its triangles allow.
#pragma once

#include "point3.h"
#include "toolkit/topology_pairing.h"

// faceStart: faceCount + 1 entries; cornerVertex: faceStart[faceCount] vertex numbers (0-based);
// positions: vertexCount entries. Refusals and failures come back in `error`; quadsRead says how
// many triangle pairs the kept result read as quads (0: the mesh as given).
TopologyPairing PairMeshByTopology(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                                   const Point3* positions, const TopologyPairingOptions& options);
