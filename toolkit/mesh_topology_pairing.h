// Topology pairing of a polygon mesh given as plain arrays, what the command line and the Python
// module call: the half-edges built and checked, and where triangles may be split quads, the
// pairing made on the quads read back as well (see quad_recovery.h), keeping the better result.
//
// On a mesh of split quads (half its triangles or more read back) the quads are paired first, and a
// map of them without contradiction is kept as it is: whatever map the triangles allow, the quads
// allow too, and positions have chosen among those. Otherwise the mesh as given is paired first and
// kept when its map is whole and every partner lies within half its shortest edge of its mirror image. Else
// both are paired and, per group of shells the readings pair with each other:
//   - both whole: the one whose partners lie nearer their mirror images;
//   - one whole: that one; except on a mesh of split quads, where a whole map of the triangles that
//     disagrees with most of what the quads settle (a box or sphere split one way keeps a turned
//     map) keeps only the partners both readings agree on;
//   - neither whole: on a mesh of split quads, the partners both agree on; otherwise the reading
//     leaving fewer unsettled.
// The counts of shells are then made again from the partners kept.
#pragma once

#include "point3.h"
#include "toolkit/topology_pairing.h"

// faceStart: faceCount + 1 entries; cornerVertex: faceStart[faceCount] vertex numbers (0-based);
// positions: vertexCount entries. Refusals and failures come back in `error`; quadsRead says how
// many triangle pairs the kept result read as quads (0: the mesh as given).
TopologyPairing PairMeshByTopology(const int* faceStart, const int* cornerVertex, int faceCount, int vertexCount,
                                   const Point3* positions, const TopologyPairingOptions& options);
