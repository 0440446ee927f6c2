// The selection record written back as a mesh's vertex selection, after Mirror or Flip with
// OperateOnSelection on. The mesh goes to vertex selection level; when the record has one entry per
// vertex, the old selection and soft-selection weights are discarded, a vertex is hard-selected when
// its entry is above kSelectedWeight, and every entry becomes its vertex's soft-selection weight
// (vertex-data channel 0). A record of another length changes the selection level only.
#pragma once

#include <vector>

#include "mesh.h"
#include "mnmesh.h"

void WriteSelectionBack(Mesh& mesh, const std::vector<float>& record);
// Polygon meshes: the selection is the MN_SEL vertex flag; faces and edges stop showing theirs.
void WriteSelectionBack(MNMesh& mesh, const std::vector<float>& record);
