// Shared plug-in test support.
#include "support/plugin_fixture.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "patch_builder.h"

namespace testing_support {

PluginLibrary& Plugin() {
  // Kept loaded until the process ends: scene objects made by the plug-in may outlive any static
  // that would unload it.
  static PluginLibrary* library = [] {
    std::string error;
    auto lib = PluginLibrary::Load(VELOMORPH_PLUGIN_PATH, &error);
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

void Sculpt(Mesh& mesh, unsigned seed, float amount) {
  std::uint32_t state = 0x9E3779B9u ^ (seed * 0x85EBCA6Bu);
  auto next = [&] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return float(state % 2001u) / 1000.0f - 1.0f;  // in [-1, 1]
  };
  for (int i = 0; i < mesh.numVerts; ++i) {
    float dx = next(), dy = next(), dz = next();
    mesh.verts[i] += Point3(dx, dy, dz) * amount;
  }
}

IDerivedObject* StackOf(INode* node) {
  Object* obj = node->GetObjectRef();
  return obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID ? static_cast<IDerivedObject*>(obj) : nullptr;
}

ModContext* ContextOf(INode* node, int stackIndex) {
  IDerivedObject* stack = StackOf(node);
  return stack ? stack->GetModContext(stackIndex) : nullptr;
}

Object* BaseObjectOf(INode* node) {
  Object* obj = node->GetObjectRef();
  while (obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) obj = static_cast<IDerivedObject*>(obj)->GetObjRef();
  return obj;
}

Mesh& BaseMeshOf(INode* node) { return static_cast<TriObject*>(BaseObjectOf(node))->GetMesh(); }

const Mesh& EvaluatedMeshOf(INode* node) {
  Object* obj = node->EvalWorldState(0).obj;
  if (obj == nullptr || !obj->IsSubClassOf(triObjectClassID)) throw std::runtime_error("not a triangle mesh");
  return static_cast<TriObject*>(obj)->GetMesh();
}

PatchObject* MakeSymmetricPatchGrid(int columns, int rows) {
  std::unique_ptr<TriObject> grid(MakeSymmetricGrid(columns, rows));
  std::vector<Point3> positions = Positions(grid->GetMesh());
  for (Point3& p : positions) p.z *= 0.2f;  // the same factor on both halves keeps them mirror images
  std::vector<std::vector<int>> quads;
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      const int a = r * columns + c;
      quads.push_back({a, a + 1, a + 1 + columns, a + columns});
    }
  }
  return BuildPatchObject(positions, quads);
}

void ResetScene() {
  Scene::Get().Clear();
  GetCOREInterface()->ClearReports();
}

PolyObject* MakePolyObject(const std::vector<Point3>& positions, const std::vector<std::vector<int>>& faces,
                           const std::vector<Point3>& uvs) {
  auto* obj = new PolyObject();
  MNMesh& mm = obj->GetMesh();
  for (const Point3& p : positions) mm.NewVert(p);
  for (const std::vector<int>& corners : faces) mm.NewFace(corners);
  if (!uvs.empty()) {
    mm.SetMapNum(2);
    MNMap* map = mm.M(1);
    map->v = uvs;
    map->numv = int(uvs.size());
    for (const std::vector<int>& corners : faces) {
      MNMapFace mf;
      mf.deg = int(corners.size());
      mf.tv = corners;
      map->f.push_back(mf);
    }
    map->numf = int(faces.size());
  }
  return obj;
}

PolyObject* MakeSymmetricPolyGrid(int columns, int rows, bool mapped) {
  std::vector<Point3> positions, uvs;
  std::vector<std::vector<int>> faces;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      // Built from both ends towards the middle so mirrored columns are exact negatives.
      float x = columns == 1 ? 0.0f : -1.0f + 2.0f * float(c) / float(columns - 1);
      if (2 * c + 1 == columns) x = 0.0f;
      if (2 * c + 1 > columns) x = 1.0f - 2.0f * float(columns - 1 - c) / float(columns - 1);
      positions.emplace_back(x, float(r), 0.0f);
      uvs.emplace_back((x + 1.0f) * 0.5f, rows == 1 ? 0.0f : float(r) / float(rows - 1), 0.0f);
    }
  }
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      int a = r * columns + c;
      faces.push_back({a, a + 1, a + 1 + columns, a + columns});
    }
  }
  return MakePolyObject(positions, faces, mapped ? uvs : std::vector<Point3>());
}

std::vector<Point3> Positions(MNMesh& mesh) {
  std::vector<Point3> positions;
  for (int i = 0; i < mesh.numv; ++i) positions.push_back(mesh.P(i));
  return positions;
}

}  // namespace testing_support
