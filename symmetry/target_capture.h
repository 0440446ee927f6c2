// Target capture and partner tables for the triangle and polygon paths: makes sure the node's
// cache holds the undeformed target's positions and the partner of every target vertex for the
// current axis and offset, capturing and pairing only when the cache asks for it.
#pragma once

#include "inode.h"
#include "triobj.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/local_mesh_data.h"

// The target node's evaluated object at t as a triangle mesh. `temporary` tells whether the caller
// must delete it. Null when the node has no object or it cannot be converted.
TriObject* EvalTargetAsTriMesh(INode* target, TimeValue t, bool& temporary);

struct TargetCaptureSettings {
  int keepTarget = 1;  // updateResult
  int axis = 0;
  float offset = 0.0f;
};

// Builds the mirror matrices into `r_matrices`, then captures the target when it is not held (or
// updateResult is off, or targetDirty is set) and pairs after a capture, or pairs against the held
// target when the partners are missing or matchDirty is set. On return `cache->targetVerts` and
// `cache->vertMatch` are the working target and partners, of equal count. False when the target
// could not be converted (the cache's tables are then as they were).
bool PrepareTargetAndPartners(vLocalMeshData* cache, INode* target, TimeValue t,
                              const TargetCaptureSettings& settings, MirrorMatrices& r_matrices);
