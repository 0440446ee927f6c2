// PatchMesh: the Bezier patch mesh of a PatchObject. Vertices (patch corners) carry a position and a
// flags word; vectors are the Bezier handles, each owned by a vertex; patches are triangles or quads
// of vertices and vectors. Interior points are derived by computeInteriors.
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
  DWORD flags = 0;
};

class PatchVec {
 public:
  Point3 p;
  int vert = -1;  // owner vertex
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

  BitArray VertexTempSel();

  // Soft selection: one weight per vertex, or null when the mesh has none.
  float* VertexWeights();
  void SetVertexWeightCount(int n);  // 0 removes the soft selection

  void UpdateHooks() { ++updateHooksCalls; }
  void ApplyConstraints(BOOL selOnly = FALSE) { ++applyConstraintsCalls; }
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
  std::vector<float> weights_;
  void syncPointers();
};
