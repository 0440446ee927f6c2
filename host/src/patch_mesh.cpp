// Patch mesh storage, selection and the derived interior points.
#include "patch.h"

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
  numVerts = n;
  vertSel.SetSize(n, keep);
  if (!weights_.empty()) weights_.resize(size_t(n), 0.0f);
  syncPointers();
  return TRUE;
}

BOOL PatchMesh::setNumVecs(int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) vecStore_.assign(size_t(n), PatchVec());
  else vecStore_.resize(size_t(n));
  numVecs = n;
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
  } else if (selLevel == PATCH_PATCH) {
    for (int p = 0; p < numPatches; ++p) {
      if (!patchSel[p]) continue;
      for (int k = 0; k < patches[p].type; ++k) sel.Set(patches[p].v[k]);
    }
  } else if (selLevel == PATCH_OBJECT) {
    sel.SetAll();
  }
  return sel;
}

float* PatchMesh::VertexWeights() { return weights_.empty() ? nullptr : weights_.data(); }

void PatchMesh::SetVertexWeightCount(int n) { weights_.assign(size_t(n > 0 ? n : 0), 0.0f); }

void PatchMesh::computeInteriors() {
  ++computeInteriorsCalls;
  // Interior points of a quad follow the corners and their handles: each interior lies at the
  // corner plus the two handle offsets of that corner (the usual "auto interior" rule).
  for (int p = 0; p < numPatches; ++p) {
    Patch& patch = patches[p];
    if (patch.type != PATCH_QUAD) continue;
    for (int k = 0; k < 4; ++k) {
      int in = patch.interior[k];
      int v = patch.v[k];
      int a = patch.vec[2 * k];
      int b = patch.vec[(2 * k + 7) % 8];
      if (in < 0 || in >= numVecs || v < 0 || v >= numVerts || a < 0 || a >= numVecs || b < 0 || b >= numVecs) continue;
      vecs[in].p = vecs[a].p + vecs[b].p - verts[v].p;
    }
  }
}
