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

// Clears the scene and the core interface's reports between tests.
void ResetScene();

}  // namespace testing_support
