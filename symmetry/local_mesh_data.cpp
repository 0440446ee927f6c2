// Per-node symmetry cache.
#include "symmetry/local_mesh_data.h"

// The tables free their own storage, last field first (members are destroyed in reverse order).
vLocalMeshData::~vLocalMeshData() {}

LocalModData* vLocalMeshData::Clone() {
  auto* copy = new vLocalMeshData();
  copy->resultValid = resultValid;
  copy->resultVerts = resultVerts;
  copy->resultVecs = resultVecs;
  copy->targetVerts = targetVerts;
  copy->targetVecs = targetVecs;
  copy->targetVertFlags = targetVertFlags;
  copy->resultVertFlags = resultVertFlags;
  copy->vertMatch = vertMatch;
  copy->vecMatch = vecMatch;
  copy->vecOwner = vecOwner;
  return copy;
}

vLocalMeshData* vLocalMeshData::FetchOrCreate(ModContext& mc) {
  if (mc.localData == nullptr) mc.localData = new vLocalMeshData();
  return static_cast<vLocalMeshData*>(mc.localData);
}

void vLocalMeshData::reset() {
  clearResultVerts();
  clearResultVecs();
  clearResultVertFlags();
  needsUpdate = 1;
}

void vLocalMeshData::resetTarget() {
  targetDirty = 1;
  matchDirty = 1;
  clearTargetVerts();
  clearTargetVecs();
  clearTargetVertFlags();
  clearVertMatch();
  clearVecMatch();
}

void vLocalMeshData::resetMatch() {
  clearVertMatch();
  clearVecMatch();
  matchDirty = 1;
}
