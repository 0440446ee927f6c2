// Topology pairing of a polygon mesh given as plain arrays, what the command line and the Python
// module call: the half-edges built and checked, and where triangles may be split quads, the
// pairing made on the quads read back as well (see quad_recovery.h), keeping the better result.
//
// The quads are paired first where half the triangles or more read back (a mesh of split quads),
// the mesh as given first otherwise; a first result that pairs every vertex without contradiction,
// each partner within half its shortest edge of its mirror image, is kept. Else both are paired and,
// per group of shells the readings pair with each other:
//   - both whole: the one whose partners lie nearer their mirror images (the quads allow every map
//     the triangles allow, and more);
//   - only the triangles' map whole: kept, except where the quads settle partners and most of them
//     disagree with it (on a mesh of split quads), or where they do not back most of it (on a mesh
//     whose triangles are stored as split quads): a box or a sphere split one way keeps a complete
//     map turned against the mirror, every partner wrong;
//   - otherwise, on a mesh of split quads, the quads' partners (those positions confirm); elsewhere
//     the reading leaving fewer unsettled, the mesh as given on a tie.
// The counts of shells are then made again from the partners kept.
#pragma once

#include "point3.h"
#include "toolkit/topology_pairing.h"

// faceStart: faceCount + 1 entries; cornerVertex: faceStart[faceCount] vertex numbers (0-based);
// positions: vertexCount entries. Refusals and failures come back in `error`; quadsRead says how
// many triangle pairs the kept result read as quads (0: the mesh as given).
TopologyPairing PairMeshByTopology(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                                   const Point3* positions, const TopologyPairingOptions& options);
