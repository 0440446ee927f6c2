// Target capture and partner tables: the undeformed target's positions taken into the node's cache,
// and the partner of every target vertex (and, on patches, of every target vector) for one mirror
// plane. Which of these an evaluation needs is decided by the evaluation flow from the cache's flags.
#pragma once

#include "inode.h"
#include "triobj.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/local_mesh_data.h"

// The target node's evaluated object at t as a triangle mesh. `temporary` tells whether the caller
// must delete it. Null when the node has no object or it cannot be converted.
TriObject* EvalTargetAsTriMesh(INode* target, TimeValue t, bool& temporary);

// Captures the target node's mesh at t into targetVerts and clears targetDirty. False, with the
// cache unchanged, when the node's object cannot be converted to a triangle mesh.
bool CaptureTriMeshTarget(vLocalMeshData& cache, INode* target, TimeValue t);

// vertMatch from targetVerts (each vertex's partner across the plane), then matchDirty = 0.
void PairVertices(vLocalMeshData& cache, const MirrorMatrices& matrices);
// Patches: vecMatch from targetVecs (the same reflection search over the vectors, a vector without a
// candidate being its own partner) and vecOwner (the target vertex nearest to each vector).
void PairVectors(vLocalMeshData& cache, const MirrorMatrices& matrices);
