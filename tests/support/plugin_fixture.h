// What plug-in tests share: the built plug-in loaded once per test program through the host's
// library loader (never linked in), modifiers created through its class descriptor, and small
// scenes built and evaluated by the host.
#pragma once

#include <string>
#include <vector>

#include "iFnPub.h"
#include "iparamb2.h"
#include "max.h"
#include "plugin_library.h"
#include "scene.h"
#include "support/point_sets.h"  // test failures print Point3 coordinates

namespace testing_support {

constexpr SClass_ID kModifierSuperClass = OSM_CLASS_ID;
const Class_ID kModifierClass(0x7E3D7747, 0xBA5FB623);
const Interface_ID kMirrorOpsInterface(0xae24a34f, 0x8e23a9d1);

// The plug-in library, loaded on first use from the build's output folder, kept for the program.
PluginLibrary& Plugin();
ClassDesc2* ModifierDesc();

// A new modifier created through the class directory, as the host creates one.
Modifier* NewModifier();
IParamBlock2* Params(Modifier* mod);
// The modifier's vMirrorOps interface.
FPInterface* MirrorOps(Modifier* mod);

// Parameter ids of the modifier's block, as scripts see them.
enum Param {
  kUndefObject = 0, kMirrorAxis, kUpdateResult, kOperation, kDirection, kConstantUpdate, kIgnoreSO,
  kDisplayAxis, kAxisOffset, kDisplaySize, kResetCentreVerts, kBaseSelectionMasks,
  kInvertBaseSelection, kEnableAsymmetry, kAsymNode, kAsynType, kUVDominance, kNormXforms,
  kOperateOnSelection, kOperateOnlyOnSelection
};

// A triangle mesh object of the given positions and triangles (three indices each).
TriObject* MakeTriObject(const std::vector<Point3>& positions, const std::vector<int>& triangles = {});
// A symmetric grid about X = 0: `columns` columns of vertices across x in [-1, 1] (an odd count
// puts a column on the plane), `rows` rows along y, triangulated.
TriObject* MakeSymmetricGrid(int columns, int rows);
std::vector<Point3> Positions(const Mesh& mesh);
// Moves every vertex of `mesh` by a deterministic pseudo-random offset of up to `amount` along each
// axis, different for each `seed`: a sculpt that breaks the symmetry everywhere.
void Sculpt(Mesh& mesh, unsigned seed, float amount = 0.125f);
// A patch object symmetric about X = 0 over the vertices of MakeSymmetricGrid(columns, rows), with its
// relief flattened to a fifth so every edge handle lies nearest its owner: one quad patch per grid
// cell, vertex index = row * columns + column.
PatchObject* MakeSymmetricPatchGrid(int columns, int rows);

// A node's modifier stack (null when the node has none), the modifier context at `stackIndex` of it
// (0 is the top), and the base object under every stack.
IDerivedObject* StackOf(INode* node);
ModContext* ContextOf(INode* node, int stackIndex = 0);
Object* BaseObjectOf(INode* node);
// The node's base object as a triangle mesh object; the test built it as one.
Mesh& BaseMeshOf(INode* node);
// The node's evaluated triangle mesh at time 0.
const Mesh& EvaluatedMeshOf(INode* node);

// Clears the scene and the core interface's reports between tests.
void ResetScene();

// A polygon mesh object of the given positions and faces (each a list of corners). With `uvs` (one
// per vertex) it gets map channel 1 whose map faces repeat the faces' corners.
PolyObject* MakePolyObject(const std::vector<Point3>& positions, const std::vector<std::vector<int>>& faces,
                           const std::vector<Point3>& uvs = {});
// A flat quad grid on z = 0, symmetric about X = 0: `columns` columns across x in [-1, 1] (an odd
// count puts a column on the plane), `rows` rows at y = 0, 1, ...; vertex index = row * columns +
// column, quads wound counter-clockwise seen from +z. With `mapped`, map channel 1 holds
// u = (x + 1) / 2, v = row / (rows - 1).
PolyObject* MakeSymmetricPolyGrid(int columns, int rows, bool mapped = true);
std::vector<Point3> Positions(MNMesh& mesh);

}  // namespace testing_support
