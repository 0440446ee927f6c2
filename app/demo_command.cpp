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
             "results of Mirror, Flip and Reset on it into DIR (default velomorph-demo), with a short report.\n";
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
  for (const std::wstring& r : GetCOREInterface()->Reports()) err << "velomorph: " << PrintableText(MSTR(r).ToUTF8()) << "\n";
  return kExitOk;
}
