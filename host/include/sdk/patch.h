// PatchMesh: the Bezier patch mesh of a PatchObject. Vertices (patch corners) carry a position and a
// flags word; vectors are the Bezier handles, each owned by a vertex, plus the interior points of
// each patch (owned by no vertex); patches are triangles or quads of vertices and vectors.
//
// Patch k's corners are v[0..type-1]; for its edge from corner j to corner j+1, vec[2j] is the handle
// next to corner j and vec[2j+1] the handle next to corner j+1; interior[j] is the interior vector
// next to corner j. An index of -1 (or outside the arrays) means "none" and is skipped by the
// operations below. The arrays are owned by the mesh; the raw pointers stay valid until the next
// setNum* call or assignment.
#pragma once

#include <vector>

#include "bitarray.h"
#include "box3.h"

#define PATCH_TRI 3
#define PATCH_QUAD 4
#define PATCH_OBJECT 0
#define PATCH_VERTEX 1
#define PATCH_EDGE 2
#define PATCH_PATCH 3

class PatchVert {
 public:
  Point3 p;
  // A 32-bit word in the host's file and memory layout: only its low 32 bits are meaningful. What
  // the bits mean is the host's business; plug-ins copy the word whole.
  DWORD flags = 0;
};

class PatchVec {
 public:
  Point3 p;
  int vert = -1;  // owner vertex; -1 for interior vectors
  DWORD flags = 0;
};

class Patch {
 public:
  int type = PATCH_QUAD;
  int v[4] = {-1, -1, -1, -1};
  int vec[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int interior[4] = {-1, -1, -1, -1};
  DWORD flags = 0;
};

class PatchMesh {
 public:
  PatchMesh();
  // Copies geometry, selection and soft selection; the update counters of the copy start at 0.
  PatchMesh(const PatchMesh& from);
  PatchMesh& operator=(const PatchMesh& from);

  int numVerts = 0;
  int numVecs = 0;
  int numPatches = 0;
  PatchVert* verts = nullptr;
  PatchVec* vecs = nullptr;
  Patch* patches = nullptr;
  BitArray vertSel;
  BitArray patchSel;
  int selLevel = PATCH_OBJECT;

  BOOL setNumVerts(int n, BOOL keep = FALSE);
  BOOL setNumVecs(int n, BOOL keep = FALSE);
  BOOL setNumPatches(int n, BOOL keep = FALSE);
  int getNumVerts() const { return numVerts; }
  int getNumVecs() const { return numVecs; }
  PatchVert& getVert(int i) { return verts[i]; }
  PatchVec& getVec(int i) { return vecs[i]; }

  // The vertices implied by the selection level: all at object level, vertSel at vertex level, the
  // corners of selected patches at patch level, none at edge level. numVerts bits.
  BitArray VertexTempSel();

  // Soft selection: null when the mesh has none; otherwise one weight per vertex, then one per
  // vector (numVerts + numVecs in all). The real SDK reaches these weights by another accessor
  // whose exact name is not certain; a plug-in names it in one place only.
  float* GetVSelectionWeights() { return softSelection_ ? weights_.data() : nullptr; }
  // Host side: gives the mesh a soft selection with every weight 0, or (false) removes it.
  void SetSoftSelection(bool on);

  // The update sequence after vertices or vectors moved. Each call is counted for tests.
  void UpdateHooks() { ++updateHooksCalls; }
  void ApplyConstraints(BOOL selOnly = FALSE) { ++applyConstraintsCalls; }
  // Places every interior vector from its corner and that corner's two edge handles.
  void computeInteriors();
  void InvalidateGeomCache() { ++geomCacheInvalidations; }

  // Host bookkeeping, read by tests.
  int updateHooksCalls = 0;
  int applyConstraintsCalls = 0;
  int computeInteriorsCalls = 0;
  int geomCacheInvalidations = 0;

 private:
  std::vector<PatchVert> vertStore_;
  std::vector<PatchVec> vecStore_;
  std::vector<Patch> patchStore_;
  bool softSelection_ = false;
  std::vector<float> weights_;  // one per vertex, then one per vector, while softSelection_
  void syncPointers();
  // Keeps each weight with its vertex or vector after the counts changed from these.
  void relayoutWeights(int oldVerts, int oldVecs);
};
