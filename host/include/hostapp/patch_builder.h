// Builds a patch object from a polygon mesh's vertices and faces, for host programs (tests, the
// command line) that want to run the patch path on an ordinary mesh file.
//
// Vertex i of the patch is vertices[i], so the patch's vertex order is the mesh's. Each face of 3 or
// 4 corners becomes one triangular or quadrilateral patch with the same corners. Every edge gets two
// handle vectors, shared by all patches on that edge, each owned by the edge end it starts from and
// placed a third of the way along the edge; they are numbered in the order their edges first appear
// (face by face, corner by corner), the handle at the corner the edge leaves in that first face before
// the one at the corner it reaches. Then come the interior
// vectors of patch 0, 1, ..., one per corner, owned by no vertex (-1) and placed by
// PatchMesh::computeInteriors. Flags words start at 0; the selection level is object.
#pragma once

#include <string>
#include <vector>

#include "patchobj.h"

// A new patch object owned by the caller, or null when a face has fewer than 3 or more than 4
// corners, names a vertex outside `vertices`, or names one vertex twice; then `r_error` (may be null)
// tells which face ("face 12 has 5 corners; a patch has 3 or 4"), counting faces from 1.
PatchObject* BuildPatchObject(const std::vector<Point3>& vertices, const std::vector<std::vector<int>>& faces,
                              std::string* r_error = nullptr);
