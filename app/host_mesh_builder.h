// Turns a mesh file into the host object the modifier works on, and reads a result back out:
// a TriObject (faces triangulated in order), a PolyObject (polygons kept) or a PatchObject (one
// patch per face), all with the file's vertex order; texture coordinates become map channel 1.
#pragma once

#include <string>
#include <vector>

#include "obj_mesh_file.h"
#include "object.h"
#include "positions_view.h"

enum class MeshKind { Triangle, Polygon, Patch };

// Parses "mesh", "poly" or "patch".
bool ParseMeshKind(const std::string& text, MeshKind& r_kind);

// A new object of `kind` holding `mesh`; the caller owns it. Null with `r_error` set when the mesh
// cannot be that kind of object (a patch of more than four corners).
Object* BuildHostObject(const ObjMesh& mesh, MeshKind kind, std::string& r_error);

// Vertex positions of a host object (mesh vertices, polygon vertices or patch corners), in order.
std::vector<Point3> ObjectPositions(Object* obj);
// The same read in place: valid while the object lives and keeps its vertex count.
PositionsView ObjectPositionsView(Object* obj);
int ObjectVertexCount(Object* obj);
// Moves the vertices of a TriObject or PolyObject to `positions` (one per vertex) and tells its
// dependents its geometry changed, so the next evaluation starts from them: the same object as
// BuildHostObject would make of the moved mesh, without building its faces again. False, changing
// nothing, for any other object (a patch's handles follow its corners only when built anew) or a
// count that differs.
bool MoveObjectVertices(Object* obj, const std::vector<Point3>& positions);

// Sets the object's vertex selection from one weight per vertex: weight 1 selects the vertex,
// anything above 0 also becomes its soft-selection weight; the selection level becomes vertex.
void ApplyVertexSelection(Object* obj, const std::vector<float>& weights);
// The object's vertex selection as weights: the soft selection where the object has one, else 1
// for a selected vertex and 0 for the others.
std::vector<float> ObjectSelectionWeights(Object* obj);
