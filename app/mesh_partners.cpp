// Partners by position (the engine) or by connectivity (the topology toolkit).
#include "mesh_partners.h"

#include <cstdlib>

#include "symmetry/engine/vertex_pairing.h"
#include "toolkit/mesh_topology_pairing.h"

bool ParsePairingKind(const std::string& text, PairingKind& r_kind) {
  if (text == "position") r_kind = PairingKind::kPosition;
  else if (text == "topology") r_kind = PairingKind::kTopology;
  else return false;
  return true;
}

bool ParseSeedEdge(const std::string& text, int& r_a, int& r_b) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  auto number = [](const std::string& part, int& r_value) {
    if (part.empty() || part.size() > 9 || part.find_first_not_of("0123456789") != std::string::npos) return false;
    r_value = std::atoi(part.c_str()) - 1;
    return r_value >= 0;
  };
  return number(text.substr(0, comma), r_a) && number(text.substr(comma + 1), r_b);
}

std::string VertexListText(const std::vector<int>& vertices, size_t shown) {
  std::string text;
  for (size_t i = 0; i < vertices.size() && i < shown; ++i) {
    if (i > 0) text += i + 1 == vertices.size() ? " and " : ", ";
    text += std::to_string(vertices[i] + 1);
  }
  if (vertices.size() > shown) text += " and " + std::to_string(vertices.size() - shown) + " more";
  return text;
}

MeshPartners FindMeshPartners(const ObjMesh& mesh, const PairingRequest& request, const std::string& name,
                              PairingProgress* progress) {
  MeshPartners r;
  const int count = int(mesh.positions.size());
  if (request.kind == PairingKind::kPosition) {
    r.partners.assign(size_t(count), 0);
    if (count > 0) BuildPartnerTable(mesh.positions.data(), count, BuildMirrorMatrices(request.axis, request.offset), r.partners.data(),
                                   progress);
    r.ok = true;
    return r;
  }
  if (mesh.NumFaces() == 0) {
    r.error = name + ": has no faces: topology pairing needs the mesh's faces";
    return r;
  }
  TopologyPairingOptions options;
  options.axis = request.axis;
  options.offset = request.offset;
  options.seedA = request.seedA;
  options.seedB = request.seedB;
  TopologyPairing pairing = PairMeshByTopology(mesh.faceStart.data(), mesh.cornerVertex.data(), mesh.NumFaces(), count,
                                               mesh.positions.data(), options);
  if (!pairing.error.empty()) {
    r.error = name + ": " + pairing.error;
    return r;
  }
  r.partners = std::move(pairing.partners);
  r.unpaired = std::move(pairing.unsettled);
  r.shells = std::to_string(pairing.shells) + (pairing.shells == 1 ? " shell" : " shells") + ": " +
             std::to_string(pairing.selfMirroredShells) + " mirrored within itself, " + std::to_string(pairing.mirroredShellPairs) +
             (pairing.mirroredShellPairs == 1 ? " pair" : " pairs") + " mirroring each other";
  if (pairing.faultyShells > 0) r.shells += ", " + std::to_string(pairing.faultyShells) + " with asymmetric connectivity";
  if (pairing.unmatchedShells > 0) r.shells += ", " + std::to_string(pairing.unmatchedShells) + " with no mirror image";
  if (pairing.quadsRead > 0) r.shells += "; paired on its quads, " + std::to_string(pairing.quadsRead) + " read from triangle pairs";
  r.ok = true;
  return r;
}

MeshPartners FindPartnersToHand(const ObjMesh& mesh, const PairingRequest& request, const std::string& name,
                                std::string& r_warning) {
  r_warning.clear();
  MeshPartners found = FindMeshPartners(mesh, request, name);
  if (!found.ok || found.unpaired.empty()) return found;
  std::vector<int> nearest(found.partners.size(), 0);
  BuildPartnerTable(mesh.positions.data(), int(nearest.size()), BuildMirrorMatrices(request.axis, request.offset), nearest.data());
  for (int v : found.unpaired) found.partners[size_t(v)] = nearest[size_t(v)];
  r_warning = name + ": " + std::to_string(found.unpaired.size()) +
              " vertices could not be paired by topology and keep the partner nearest their mirror image: " +
              VertexListText(found.unpaired);
  return found;
}
