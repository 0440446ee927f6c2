// Shared plug-in test support.
#include "support/plugin_fixture.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace testing_support {

PluginLibrary& Plugin() {
  // Kept loaded until the process ends: scene objects made by the plug-in may outlive any static
  // that would unload it.
  static PluginLibrary* library = [] {
    std::string error;
    auto lib = PluginLibrary::Load(std::string(VELOMORPH_BIN_DIR) + "/ambiflex.so", &error);
    if (!lib) throw std::runtime_error(error);
    return lib.release();
  }();
  return *library;
}

ClassDesc2* ModifierDesc() {
  Plugin();
  return dynamic_cast<ClassDesc2*>(ClassDirectory::Get().Find(kModifierSuperClass, kModifierClass));
}

Modifier* NewModifier() {
  Plugin();
  return static_cast<Modifier*>(CreateInstance(kModifierSuperClass, kModifierClass));
}

IParamBlock2* Params(Modifier* mod) { return mod->GetParamBlockByID(0); }

FPInterface* MirrorOps(Modifier* mod) {
  return static_cast<FPInterface*>(mod->GetInterface(kMirrorOpsInterface));
}

TriObject* MakeTriObject(const std::vector<Point3>& positions, const std::vector<int>& triangles) {
  TriObject* obj = CreateNewTriObject();
  Mesh& mesh = obj->GetMesh();
  mesh.setNumVerts(int(positions.size()));
  for (size_t i = 0; i < positions.size(); ++i) mesh.verts[i] = positions[i];
  mesh.setNumFaces(int(triangles.size() / 3));
  for (size_t f = 0; f < triangles.size() / 3; ++f) {
    mesh.faces[f].setVerts(triangles[3 * f], triangles[3 * f + 1], triangles[3 * f + 2]);
  }
  return obj;
}

TriObject* MakeSymmetricGrid(int columns, int rows) {
  std::vector<Point3> positions;
  std::vector<int> triangles;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      // Built from both ends towards the middle so mirrored columns are exact negatives.
      float x = columns == 1 ? 0.0f : -1.0f + 2.0f * float(c) / float(columns - 1);
      if (2 * c + 1 == columns) x = 0.0f;
      if (2 * c + 1 > columns) x = 1.0f - 2.0f * float(columns - 1 - c) / float(columns - 1);
      positions.emplace_back(x, float(r), 0.25f * float((r * 7 + c * 3) % 5));
    }
  }
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      int a = r * columns + c, b = a + 1, d = a + columns, e = d + 1;
      triangles.insert(triangles.end(), {a, b, e, a, e, d});
    }
  }
  // The z relief must itself be symmetric: take it from the mirrored column's pattern.
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; 2 * c + 1 < columns; ++c) {
      positions[size_t(r * columns + (columns - 1 - c))].z = positions[size_t(r * columns + c)].z;
    }
  }
  return MakeTriObject(positions, triangles);
}

std::vector<Point3> Positions(const Mesh& mesh) {
  return std::vector<Point3>(mesh.verts, mesh.verts + mesh.numVerts);
}

void ResetScene() {
  Scene::Get().Clear();
  GetCOREInterface()->ClearReports();
}

}  // namespace testing_support
