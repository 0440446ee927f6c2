// The asymmetry of the polygon path: a third object, the asymmetry node, holds the differences an
// artist wants back on top of the symmetric result. The offset of each of its vertices from the
// target vertex of the same index is added to the polygon mesh, either as it is (Local) or carried
// from the target's surface frame into the result's (Surface).
//
// Both forms change the polygon mesh's positions in place and never more vertices than the
// asymmetry mesh, the mesh and the reference table all have. Nothing is kept between calls.
#pragma once

#include "inode.h"
#include "mnmesh.h"
#include "tab.h"
#include "triobj.h"

struct AsymmetrySettings {
  AsymmetrySettings() : node(nullptr), enabled(0), type(0), uvDominance(0), normXforms(0) {}

  INode* node;      // asymNode; null: no asymmetry
  int enabled;      // enableAsymmetry; only exactly 1 turns it on
  int type;         // asynType: 0 Local, anything else Surface
  int uvDominance;  // 0: the U direction is each frame's tangent, else the V direction
  int normXforms;   // not 0: orthonormal frames

  bool Active() const { return node != nullptr && enabled == 1; }
};

// The replay form: adds (A[i] - stored[i]) to vertex i, where A is the asymmetry mesh at t and
// `stored` the replayed result. The type is not consulted.
void ApplyReplayAsymmetry(MNMesh& mesh, const Tab<Point3>& stored, const AsymmetrySettings& settings,
                          TimeValue t);

// The full form: adds (A[i] - target[i]) to vertex i, Local or carried across the surface. Surface
// reads the target node's current mesh at t and `result`, the triangle-mesh copy of the polygon
// mesh holding the symmetric result (its triangles and map channel 1); `result` may be null.
// Where a frame cannot be built (no map channel 1 on either mesh, no result copy, a target
// node that cannot be converted, a singular target frame) the plain offset is added.
void ApplyFullAsymmetry(MNMesh& mesh, const Tab<Point3>& target, TriObject* result, INode* targetNode,
                        const AsymmetrySettings& settings, TimeValue t);
