// The embedded sample for `velomorph demo`: a symmetric head-sized mesh and a sculpt of it, so the
// modifier can be shown working without any input file.
//
// Object space is Z up with the face looking down -Y; the mirror plane is X = 0. The base is exactly
// symmetric: one half is computed and the other mirrored from it, so every vertex off the plane has
// a twin with the same y and z and exactly negated x, and every vertex on the plane has x == 0.
// About 22 units tall, 6146 vertices, 6144 quads, with texture coordinates (map channel 1).
#pragma once

#include "obj_mesh_file.h"

// The symmetric base, as a complete OBJ mesh (its source text can be written out as it is).
ObjMesh BuildSampleHead();

// The same mesh (same vertex order, faces and texture coordinates) with a smooth sculpt on the
// negative-X side only: a cheek bulge and a brow lift. Vertices with x >= 0 keep their base
// positions bit for bit.
ObjMesh BuildSampleHeadSculpt();
