// Mirror partners of a base mesh as the command line finds them: by position, exactly as the
// modifier does (the vertex nearest each vertex's mirror image), or by the mesh's connectivity
// (toolkit/topology_pairing.h), for bases whose positions are not exactly symmetric.
#pragma once

#include <string>
#include <vector>

#include "obj_mesh_file.h"
#include "symmetry/engine/pairing_progress.h"

enum class PairingKind { kPosition, kTopology };

// "position" or "topology"; false for anything else.
bool ParsePairingKind(const std::string& text, PairingKind& r_kind);
// "A,B": two 1-based vertex numbers, given back 0-based; false when the text is not two positive
// whole numbers.
bool ParseSeedEdge(const std::string& text, int& r_a, int& r_b);

struct PairingRequest {
  PairingKind kind = PairingKind::kPosition;
  int axis = 0;
  float offset = 0.0f;
  int seedA = -1;  // a topology seed edge, 0-based, or -1
  int seedB = -1;
};

struct MeshPartners {
  bool ok = false;
  // When !ok: one line naming the file and the face or vertex at fault (exit 3).
  std::string error;
  // Per vertex: its partner (itself on the plane), or -1 where topology pairing could not settle one.
  std::vector<int> partners;
  std::vector<int> unpaired;  // ascending; always empty by position
  // Topology only: the shells found and how they were paired, for the report ("3 shells: ...").
  std::string shells;
};

// `name` stands for the file in messages. `progress`, when not null, hears how far a pairing by
// position has got.
MeshPartners FindMeshPartners(const ObjMesh& mesh, const PairingRequest& request, const std::string& name,
                              PairingProgress* progress = nullptr);

// Partners by topology for the modifier to hold, which needs one for every vertex: a vertex the
// connectivity could not settle keeps the one nearest its mirror image, and r_warning (otherwise
// empty) names them. Not ok as FindMeshPartners.
MeshPartners FindPartnersToHand(const ObjMesh& mesh, const PairingRequest& request, const std::string& name,
                                std::string& r_warning);

// The first few of `vertices` (0-based) as 1-based numbers, "12, 40, 41 and 7 more".
std::string VertexListText(const std::vector<int>& vertices, size_t shown = 10);
