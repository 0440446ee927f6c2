// The engine's pairing and vertex rules on arrays. What the triangle-mesh path takes from its meshes
// is made here from the arrays: the hard selection is the vertices whose weight is at least 1 (as a
// selection file sets a mesh's bits), the soft selection every weight, and the base mask judges by the
// base's bits and weights alike (the triangle kind's mask).
#include "python/array_symmetry.h"

#include <vector>

#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/engine/vertex_pairing.h"
#include "toolkit/mesh_topology_pairing.h"

namespace {

BitArray selectedBits(const float* weights, int n) {
  BitArray bits(n);
  for (int i = 0; i < n; ++i) {
    if (weights[i] >= 1.0f) bits.Set(i);
  }
  return bits;
}

}  // namespace

void PairPositions(const Point3* positions, int n, int axis, float offset, int* r_partners) {
  BuildPartnerTable(n > 0 ? positions : nullptr, n, BuildMirrorMatrices(axis, offset), r_partners);
}

std::string PairByConnectivity(const Point3* positions, int n, const std::vector<int>& faceStart,
                               const std::vector<int>& cornerVertex, int axis, float offset, int* r_partners,
                               std::vector<int>& r_unsettled) {
  r_unsettled.clear();
  const int faceCount = int(faceStart.size()) - 1;
  if (faceCount <= 0) return "the mesh has no faces: topology pairing needs them";
  TopologyPairingOptions options;
  options.axis = axis;
  options.offset = offset;
  TopologyPairing pairing = PairMeshByTopology(faceStart.data(), cornerVertex.data(), faceCount, n, positions, options);
  if (!pairing.error.empty()) return pairing.error;
  if (!pairing.unsettled.empty()) PairPositions(positions, n, axis, offset, r_partners);
  for (int i = 0; i < n; ++i) {
    if (pairing.partners[size_t(i)] >= 0) r_partners[i] = pairing.partners[size_t(i)];
  }
  r_unsettled = std::move(pairing.unsettled);
  return std::string();
}

void ApplyArrayOperation(const ArrayOperation& operation, const Point3* base, const int* partners, int n,
                         Point3* positions) {
  if (n <= 0) return;
  OperationOptions options;
  options.axis = operation.axis;
  options.offset = operation.offset;
  options.direction = operation.positive ? 1 : 0;
  options.resetCentreVerts = operation.alignCentre;
  options.ignoreSelection = operation.selection == nullptr;
  options.selectionOnly = false;

  BitArray bits;
  VertexSelection selection;
  if (operation.selection != nullptr) {
    bits = selectedBits(operation.selection, n);
    selection.bits = &bits;
    selection.setWeights(operation.selection, n);
  }

  BitArray baseBits;
  BaseSelectionGate gate;
  if (operation.baseSelection != nullptr) {
    baseBits = selectedBits(operation.baseSelection, n);
    gate.enabled = true;
    gate.invert = operation.invertBaseSelection;
    gate.bitsOnly = false;
    gate.bits = &baseBits;
    gate.weights = operation.baseSelection;
    gate.weightCount = n;
  }

  const Matrix3 mirror = BuildMirrorMatrices(operation.axis, operation.offset).mirror;
  if (operation.kind == ArrayOperationKind::kReset) {
    ResetVertices(positions, base, n, options, selection, gate);
    return;
  }
  // The selection each vertex inherits, which the module does not hand back. The rules only write it
  // (it starts at zero for callers that read it back), so one scratch array per thread serves every
  // call, rather than n floats allocated and cleared each time.
  thread_local std::vector<float> record;
  if (record.size() < size_t(n)) record.assign(size_t(n), 0.0f);
  if (operation.kind == ArrayOperationKind::kMirror) {
    MirrorVertices(positions, base, partners, n, mirror, options, selection, gate, record.data());
  } else {
    FlipVertices(positions, base, partners, n, mirror, options, selection, gate, record.data());
  }
}
