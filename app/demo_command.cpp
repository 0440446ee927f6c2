// velomorph demo.
#include "demo_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "host_mesh_builder.h"
#include "printable_text.h"
#ifdef VELOMORPH_WITH_GLTF
#include "gltf_morph_builder.h"
#endif
#include "sample_head.h"
#include "symmetry_report.h"
#include "symmetry_scene.h"

namespace {

double largestChange(const std::vector<Point3>& a, const std::vector<Point3>& b) {
  double most = 0.0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    Point3 d = a[i] - b[i];
    most = std::max(most, std::sqrt(double(d.x) * d.x + double(d.y) * d.y + double(d.z) * d.z));
  }
  return most;
}

#ifdef VELOMORPH_WITH_GLTF
// Area-weighted vertex normals of a triangle list, 3 floats a vertex.
std::vector<float> vertexNormals(const std::vector<Point3>& positions, const std::vector<uint32_t>& triangles) {
  std::vector<Point3> sums(positions.size(), Point3(0, 0, 0));
  for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
    const Point3 a = positions[triangles[t]], b = positions[triangles[t + 1]], c = positions[triangles[t + 2]];
    const Point3 n = (b - a) ^ (c - a);
    for (size_t k = 0; k < 3; ++k) sums[triangles[t + k]] += n;
  }
  std::vector<float> out;
  for (const Point3& n : sums) {
    const float length = std::max(1e-20f, std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z));
    out.insert(out.end(), {n.x / length, n.y / length, n.z / length});
  }
  return out;
}

// The head as a character file: its base, the sculpt of its right (-X) side as a dense target with
// normals, and half of it as a sparse one.
std::string characterFile(const ObjMesh& base, const ObjMesh& sculpt) {
  GltfMeshDescription character;
  character.name = "head";
  character.targetNames = {"sculpt_R", "sculpt_half_R"};
  GltfPrimitiveDescription prim;
  ForEachTriangleInOrder(base, [&](int, int c0, int c1, int c2) {
    for (int c : {c0, c1, c2}) prim.triangles.push_back(uint32_t(base.cornerVertex[size_t(c)]));
  });
  GltfTargetDescription whole, half;
  for (size_t v = 0; v < base.positions.size(); ++v) {
    const Point3 d = sculpt.positions[v] - base.positions[v];
    prim.positions.insert(prim.positions.end(), {base.positions[v].x, base.positions[v].y, base.positions[v].z});
    whole.positions.insert(whole.positions.end(), {d.x, d.y, d.z});
    half.positions.insert(half.positions.end(), {0.5f * d.x, 0.5f * d.y, 0.5f * d.z});
  }
  prim.normals = vertexNormals(base.positions, prim.triangles);
  whole.normals = vertexNormals(sculpt.positions, prim.triangles);
  for (size_t i = 0; i < whole.normals.size(); ++i) whole.normals[i] -= prim.normals[i];
  half.sparse = true;
  prim.targets = {whole, half};
  character.primitives.push_back(std::move(prim));
  return BuildMorphGltf(character);
}
#endif

struct Stage {
  const char* name;
  const char* file;
  int operation;
};

}  // namespace

int RunDemoCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                   std::ostream& err) {
  std::string dir = "velomorph-demo";
  try {
    CommandWords words = ReadCommandWords(args, {{"--out"}});
    if (words.help) {
      out << "usage: velomorph demo [--out DIR]\n"
             "Writes the bundled sample head (base.obj), a sculpt of its negative side (sculpt.obj) and the\n"
             "results of Mirror, Flip and Reset on it into DIR (default velomorph-demo), with a short report,\n"
             "and the head as a glTF character file with two morph targets (character.glb).\n";
      return kExitOk;
    }
    if (!words.options.empty()) dir = words.options.front().value();
  } catch (const UsageError& e) {
    err << "velomorph demo: " << PrintableText(e.message) << "\n";
    return kExitUsage;
  }
  std::string error;
  if (!MakeDirectories(dir, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitWriteFailed;
  }
  ObjMesh base = BuildSampleHead();
  ObjMesh sculpt = BuildSampleHeadSculpt();
  if (!WriteFileBytes(dir + "/base.obj", base.source, error) || !WriteFileBytes(dir + "/sculpt.obj", sculpt.source, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitWriteFailed;
  }

  PluginSession session;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitUnreadable;
  }
  SymmetryScene scene(session.desc);
  scene.AddTarget("base", BuildHostObject(base, MeshKind::Polygon, error));
  INode* node = scene.AddInput("sculpt", BuildHostObject(sculpt, MeshKind::Polygon, error));
  // The sculpt is on the negative side: Mirror writes the positive side from it.
  scene.params()->SetValue(kDirectionParam, 0, 1);

  SymmetryReport report = MeasureSymmetry(base.positions, 0, 0.0f, 1e-4);
  out << "Velomorph demo: a symmetric head with a sculpt on its negative (-X) side\n"
      << "  vertices          " << report.vertices << "\n"
      << "  mirror pairs      " << report.mutualPairs << "\n"
      << "  centre vertices   " << report.centreVertices << "\n"
      << "  sculpted vertices moved up to " << largestChange(base.positions, sculpt.positions) << " units\n";

  const Stage stages[] = {{"mirror", "mirrored.obj", 0}, {"flip", "flipped.obj", 1}, {"reset", "reset.obj", 2}};
  for (const Stage& stage : stages) {
    scene.params()->SetValue(kOperationParam, 0, stage.operation);
    auto start = std::chrono::steady_clock::now();
    Object* result = scene.Evaluate(node);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::vector<Point3> positions = ObjectPositions(result);
    if (!WriteObjWithPositions(sculpt, positions, dir + "/" + stage.file, error)) {
      err << "velomorph: " << PrintableText(error) << "\n";
      return kExitWriteFailed;
    }
    char line[160];
    std::snprintf(line, sizeof(line), "  %-7s %8.2f ms   largest change %.4f   -> %s/%s\n", stage.name, ms,
                  largestChange(sculpt.positions, positions), dir.c_str(), stage.file);
    out << line;
  }
#ifdef VELOMORPH_WITH_GLTF
  if (!WriteFileBytes(dir + "/character.glb", characterFile(base, sculpt), error)) {
    err << "velomorph: " << error << "\n";
    return kExitWriteFailed;
  }
  out << "  character file with morph targets sculpt_R and sculpt_half_R -> " << dir << "/character.glb\n";
#endif
  for (const std::wstring& r : GetCOREInterface()->Reports()) err << "velomorph: " << PrintableText(MSTR(r).ToUTF8()) << "\n";
  return kExitOk;
}
