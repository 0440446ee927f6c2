// Patch mesh storage, selection and the derived interior points.
#include "patch.h"

#include <algorithm>

PatchMesh::PatchMesh() = default;

PatchMesh::PatchMesh(const PatchMesh& from) { *this = from; }

PatchMesh& PatchMesh::operator=(const PatchMesh& from) {
  if (this == &from) return *this;
  numVerts = from.numVerts;
  numVecs = from.numVecs;
  numPatches = from.numPatches;
  vertStore_ = from.vertStore_;
  vecStore_ = from.vecStore_;
  patchStore_ = from.patchStore_;
  softSelection_ = from.softSelection_;
  weights_ = from.weights_;
  vertSel = from.vertSel;
  patchSel = from.patchSel;
  selLevel = from.selLevel;
  updateHooksCalls = applyConstraintsCalls = computeInteriorsCalls = geomCacheInvalidations = 0;
  syncPointers();
  return *this;
}

void PatchMesh::syncPointers() {
  verts = vertStore_.empty() ? nullptr : vertStore_.data();
  vecs = vecStore_.empty() ? nullptr : vecStore_.data();
  patches = patchStore_.empty() ? nullptr : patchStore_.data();
}

BOOL PatchMesh::setNumVerts(int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) vertStore_.assign(size_t(n), PatchVert());
  else vertStore_.resize(size_t(n));
  const int oldVerts = numVerts;
  numVerts = n;
  vertSel.SetSize(n, keep);
  relayoutWeights(oldVerts, numVecs);
  syncPointers();
  return TRUE;
}

BOOL PatchMesh::setNumVecs(int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) vecStore_.assign(size_t(n), PatchVec());
  else vecStore_.resize(size_t(n));
  const int oldVecs = numVecs;
  numVecs = n;
  relayoutWeights(numVerts, oldVecs);
  syncPointers();
  return TRUE;
}

BOOL PatchMesh::setNumPatches(int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) patchStore_.assign(size_t(n), Patch());
  else patchStore_.resize(size_t(n));
  numPatches = n;
  patchSel.SetSize(n, keep);
  syncPointers();
  return TRUE;
}

BitArray PatchMesh::VertexTempSel() {
  BitArray sel(numVerts);
  if (selLevel == PATCH_VERTEX) {
    sel = vertSel;
    sel.SetSize(numVerts, TRUE);
  } else if (selLevel == PATCH_PATCH) {
    for (int p = 0; p < numPatches; ++p) {
      if (!patchSel[p]) continue;
      const int corners = patches[p].type == PATCH_TRI ? 3 : 4;
      for (int k = 0; k < corners; ++k) sel.Set(patches[p].v[k]);
    }
  } else if (selLevel == PATCH_OBJECT) {
    sel.SetAll();
  }
  return sel;
}

void PatchMesh::SetSoftSelection(bool on) {
  softSelection_ = on;
  weights_.assign(on ? size_t(numVerts) + size_t(numVecs) : 0, 0.0f);
}

void PatchMesh::relayoutWeights(int oldVerts, int oldVecs) {
  if (!softSelection_) return;
  std::vector<float> weights(size_t(numVerts) + size_t(numVecs), 0.0f);
  const size_t verts = size_t(oldVerts < numVerts ? oldVerts : numVerts);
  const size_t vecs = size_t(oldVecs < numVecs ? oldVecs : numVecs);
  std::copy(weights_.begin(), weights_.begin() + std::ptrdiff_t(verts), weights.begin());
  std::copy(weights_.begin() + oldVerts, weights_.begin() + oldVerts + std::ptrdiff_t(vecs),
            weights.begin() + numVerts);
  weights_ = std::move(weights);
}

void PatchMesh::computeInteriors() {
  ++computeInteriorsCalls;
  // Automatic interiors: each interior point lies at its corner plus the offsets of the corner's two
  // edge handles, so a flat patch stays flat and the surface follows the handles.
  auto validVec = [this](int k) { return k >= 0 && k < numVecs; };
  for (int p = 0; p < numPatches; ++p) {
    Patch& patch = patches[p];
    const int corners = patch.type == PATCH_TRI ? 3 : 4;
    const int edgeVecs = 2 * corners;
    for (int k = 0; k < corners; ++k) {
      const int in = patch.interior[k];
      const int v = patch.v[k];
      const int a = patch.vec[2 * k];                            // on the edge leaving corner k
      const int b = patch.vec[(2 * k + edgeVecs - 1) % edgeVecs];  // on the edge arriving at corner k
      if (!validVec(in) || v < 0 || v >= numVerts || !validVec(a) || !validVec(b)) continue;
      vecs[in].p = vecs[a].p + vecs[b].p - verts[v].p;
    }
  }
}
