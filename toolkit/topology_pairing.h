// Mirror partners from a mesh's connectivity, for bases whose positions are not exactly symmetric
// (a hand-cleaned scan, a posed or re-sculpted base, halves that drifted apart).
//
// A mirror map reverses orientation: the half-edge a->b of face f maps to M(b)->M(a) in the face
// M(f). From a seed (a face and its image) the walk crosses every edge: the twin of a mapped
// half-edge maps to the twin of its image, which fixes the neighbouring face's image and turn. Where
// the map holds everywhere the order of crossing cannot change it, and the walk takes the faces in
// the order they are stored (its reads then run nearly in sequence); where it meets contradictions
// it goes breadth-first from the seed. The walk alone decides which vertex mirrors which; positions
// only choose among the maps the connectivity allows (a box or a UV sphere allows many): the one
// whose partners lie nearest each other's mirror images.
//
// Every shell (connected set of faces) is paired: to the shell whose centroid lies nearest its
// mirrored centroid among those of the same shape (same counts and faces alike), which may be
// itself. Seeds are faces of the rarest kinds (size, corner valences, boundary edges) and their
// like-shaped counterparts nearest the mirror image, or the edge the caller gives: an edge that is
// its own mirror image, lying on the plane or crossing it.
//
// Where no map covers a shell without contradiction (a quad split along an unmirrored diagonal, a
// missing face), the walk goes around each contradiction, and a vertex is settled only when every
// face around it agrees on its partner, the partner names it back, and the partner is the vertex
// nearest its mirror image and within half an edge of it; every other vertex of the shell is named
// unsettled, never guessed. A shell whose best map puts partners farther from their mirror images
// than the shell's own size (a lone eye with no counterpart) is not mirrored at all: its vertices
// are unsettled.
//
// Cost O(faces) for a mesh with few symmetries of its own; each further candidate map stops as soon
// as it is worse than the best so far. Passes that do not depend on each other run on two threads.
#pragma once

#include <string>
#include <vector>

#include "point3.h"
#include "toolkit/half_edge_mesh.h"

struct TopologyPairingOptions {
  int axis = 0;  // 0 x, 1 y, 2 z: the plane on which this coordinate equals offset
  float offset = 0.0f;
  // A seed edge (0-based vertices) for the shell holding it, or -1 for seeds found automatically.
  int seedA = -1;
  int seedB = -1;
};

struct TopologyPairing {
  // Per vertex: its partner (itself for a vertex the map fixes, on the plane), -1 when unsettled.
  std::vector<int> partners;
  std::vector<int> unsettled;  // ascending
  int shells = 0;
  int mirroredShellPairs = 0;  // two shells mirroring each other
  int selfMirroredShells = 0;  // shells mirrored within themselves
  int faultyShells = 0;        // shells whose connectivity no map covers without contradiction
  int unmatchedShells = 0;     // shells with no mirror image (their vertices unsettled)
  int quadsRead = 0;           // triangle pairs read as one quad each (PairMeshByTopology)
  // Not empty when the mesh cannot be paired at all (a shell with no seed, a seed edge that is not
  // an edge; from PairMeshByTopology also a mesh BuildHalfEdgeMesh refuses): one line naming the
  // vertex or face, 1-based.
  std::string error;
};

// `positions`: mesh.vertexCount entries, object space. Positions, seed and result all use the
// caller's vertex numbers (not the half-edge mesh's own).
TopologyPairing PairByTopology(const HalfEdgeMesh& mesh, const Point3* positions, const TopologyPairingOptions& options);
