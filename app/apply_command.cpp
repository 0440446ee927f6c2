// velomorph apply.
#include "apply_command.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>

#include "exit_codes.h"
#include "file_bytes.h"
#include "host_mesh_builder.h"
#include "modstack.h"
#include "obj_mesh_file.h"
#include "parameter_text.h"
#include "run_files.h"
#include "scene_file.h"
#include "selection_file.h"
#include "symmetry_scene.h"

namespace {

struct ApplyOptions {
  std::string target;
  std::vector<std::string> inputs;
  std::string out;
  std::string outDir;
  MeshKind kind = MeshKind::Polygon;
  std::string selection;
  std::string baseSelection;
  std::string selectionOut;
  std::string asymmetry;
  std::string saveScene;
  bool timings = false;
  // Parameter settings in command-line order, so a later one wins.
  std::vector<std::pair<std::string, std::string>> settings;
};

struct UsageError {
  std::string message;
};

// Seconds spent in each phase over the whole batch, printed once at the end in phase order:
// "timing <phase> <seconds>" on standard error.
class PhaseTimes {
 public:
  enum Phase { kRead, kFirstEvaluation, kSecondEvaluation, kReplay, kWrite, kPhases };

  explicit PhaseTimes(bool on) : on_(on) {}
  void Start() { start_ = std::chrono::steady_clock::now(); }
  // Adds the time since Start to `phase`, and starts again.
  void Stop(Phase phase) {
    const auto now = std::chrono::steady_clock::now();
    seconds_[phase] += std::chrono::duration<double>(now - start_).count();
    start_ = now;
  }
  void Print(std::ostream& err) const {
    if (!on_) return;
    static const char* const kNames[kPhases] = {"read", "first-evaluation", "second-evaluation", "replay", "write"};
    for (int phase = 0; phase < kPhases; ++phase) {
      char line[96];
      std::snprintf(line, sizeof(line), "timing %s %.6f\n", kNames[phase], seconds_[phase]);
      err << line;
    }
  }

 private:
  bool on_;
  double seconds_[kPhases] = {};
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::string choice(const std::string& flag, const std::string& value,
                   const std::map<std::string, std::string>& allowed) {
  auto it = allowed.find(value);
  if (it == allowed.end()) {
    std::string names;
    for (const auto& a : allowed) names += (names.empty() ? "" : "|") + a.first;
    throw UsageError{flag + " takes " + names + ", not '" + value + "'"};
  }
  return it->second;
}

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

ApplyOptions parseOptions(const std::vector<std::string>& args) {
  ApplyOptions o;
  auto next = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) throw UsageError{args[i] + " needs a value"};
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--target") o.target = next(i);
    else if (a == "--input") {
      if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) throw UsageError{"--input needs at least one file"};
      while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) o.inputs.push_back(args[++i]);
    } else if (a == "--out") o.out = next(i);
    else if (a == "--out-dir") o.outDir = next(i);
    else if (a == "--operation") o.settings.emplace_back("operation", choice(a, next(i), {{"mirror", "0"}, {"flip", "1"}, {"reset", "2"}}));
    else if (a == "--axis") o.settings.emplace_back("mirrorAxis", choice(a, next(i), {{"x", "0"}, {"y", "1"}, {"z", "2"}}));
    else if (a == "--offset") o.settings.emplace_back("axisOffset", next(i));
    else if (a == "--direction") o.settings.emplace_back("direction", choice(a, next(i), {{"negative", "0"}, {"positive", "1"}}));
    else if (a == "--align-centre") o.settings.emplace_back("resetCentreVerts", choice(a, next(i), {{"on", "1"}, {"off", "0"}}));
    else if (a == "--as") {
      const std::string& v = next(i);
      if (!ParseMeshKind(v, o.kind)) throw UsageError{"--as takes mesh|poly|patch, not '" + v + "'"};
    } else if (a == "--selection") {
      o.selection = next(i);
      o.settings.emplace_back("ignoreSO", "0");
    } else if (a == "--base-selection") {
      o.baseSelection = next(i);
      o.settings.emplace_back("baseSelectionMasks", "1");
    } else if (a == "--invert-base-selection") o.settings.emplace_back("invertBaseSelection", "1");
    else if (a == "--carry-selection") o.settings.emplace_back("OperateOnSelection", "1");
    else if (a == "--selection-only") o.settings.emplace_back("OperateOnlyOnSelection", "1");
    else if (a == "--selection-out") o.selectionOut = next(i);
    else if (a == "--asymmetry") {
      o.asymmetry = next(i);
      o.settings.emplace_back("enableAsymmetry", "1");
    } else if (a == "--asymmetry-type") o.settings.emplace_back("asynType", choice(a, next(i), {{"local", "0"}, {"surface", "1"}}));
    else if (a == "--uv-dominance") o.settings.emplace_back("UVDominance", choice(a, next(i), {{"u", "0"}, {"v", "1"}}));
    else if (a == "--normalize-frames") o.settings.emplace_back("NormXforms", "1");
    else if (a == "--set") {
      const std::string& v = next(i);
      size_t eq = v.find('=');
      if (eq == std::string::npos || eq == 0) throw UsageError{"--set takes NAME=VALUE, not '" + v + "'"};
      o.settings.emplace_back(v.substr(0, eq), v.substr(eq + 1));
    } else if (a == "--timings") o.timings = true;
    else if (a == "--save-scene") o.saveScene = next(i);
    else throw UsageError{"unknown option '" + a + "'"};
  }
  if (o.target.empty()) throw UsageError{"--target BASE.obj is required"};
  if (o.inputs.empty()) throw UsageError{"--input IN.obj is required"};
  if (o.out.empty() == o.outDir.empty()) throw UsageError{"give exactly one of --out OUT.obj and --out-dir DIR"};
  if (!o.out.empty() && o.inputs.size() > 1) throw UsageError{"--out takes one input; use --out-dir DIR for several"};
  if (!o.selectionOut.empty() && o.inputs.size() > 1) throw UsageError{"--selection-out takes one input"};
  if (!o.outDir.empty()) {
    // Results are named after their inputs' file names: two inputs sharing one would overwrite each other.
    std::map<std::string, std::string> byName;
    for (const std::string& input : o.inputs) {
      auto [it, added] = byName.emplace(baseName(input), input);
      if (!added) throw UsageError{it->second + " and " + input + " would both be written as " + o.outDir + "/" + it->first};
    }
  }
  return o;
}

std::string resultPath(const ApplyOptions& options, const std::string& input) {
  return options.out.empty() ? options.outDir + "/" + baseName(input) : options.out;
}

RunFiles filesOf(const ApplyOptions& options) {
  RunFiles files;
  files.AddInput("--target", options.target);
  for (const std::string& input : options.inputs) files.AddInput("--input", input);
  files.AddInput("--selection", options.selection);
  files.AddInput("--base-selection", options.baseSelection);
  files.AddInput("--asymmetry", options.asymmetry);
  for (const std::string& input : options.inputs) {
    files.AddOutput(options.out.empty() ? "--out-dir result" : "--out", resultPath(options, input), input);
  }
  files.AddOutput("--selection-out", options.selectionOut);
  files.AddOutput("--save-scene", options.saveScene);
  return files;
}

std::string countMismatch(const std::string& input, size_t inputCount, const std::string& base, size_t baseCount) {
  return baseName(input) + " has " + std::to_string(inputCount) + " vertices, " + baseName(base) + " has " +
         std::to_string(baseCount) + ": both must share vertex count and order";
}

}  // namespace

int RunApplyCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err) {
  ApplyOptions options;
  try {
    options = parseOptions(args);
  } catch (const UsageError& e) {
    err << "velomorph apply: " << e.message << "\n";
    return kExitUsage;
  }
  if (int refused = filesOf(options).Check("apply", err); refused != kExitOk) return refused;
  PhaseTimes times(options.timings);
  int exitCode = kExitOk;
  auto fail = [&](int code, const std::string& message) {
    err << "velomorph: " << message << "\n";
    if (exitCode == kExitOk) exitCode = code;
  };

  ObjReadResult base = ReadObjFile(options.target);
  if (!base.ok) {
    fail(kExitUnreadable, base.error);
    return exitCode;
  }
  const size_t vertexCount = base.mesh.positions.size();
  std::vector<float> selection, baseSelection;
  for (auto [file, weights] : {std::pair{&options.selection, &selection}, std::pair{&options.baseSelection, &baseSelection}}) {
    if (file->empty()) continue;
    SelectionReadResult r = ReadSelectionFile(*file);
    if (!r.ok) {
      fail(kExitUnreadable, r.error);
      return exitCode;
    }
    if (r.weights.size() != vertexCount) {
      fail(kExitMismatch, baseName(*file) + " has " + std::to_string(r.weights.size()) + " weights, " +
                              baseName(options.target) + " has " + std::to_string(vertexCount) +
                              " vertices: a selection needs one weight per vertex");
      return exitCode;
    }
    *weights = std::move(r.weights);
  }
  ObjMesh asymmetry;
  if (!options.asymmetry.empty()) {
    ObjReadResult r = ReadObjFile(options.asymmetry);
    if (!r.ok) {
      fail(kExitUnreadable, r.error);
      return exitCode;
    }
    // The asymmetry is taken vertex by vertex against the base, so it must share the base's numbering.
    if (r.mesh.positions.size() != vertexCount) {
      fail(kExitMismatch, countMismatch(options.asymmetry, r.mesh.positions.size(), options.target, vertexCount));
      return exitCode;
    }
    asymmetry = std::move(r.mesh);
  }
  times.Stop(PhaseTimes::kRead);

  PluginSession session;
  std::string error;
  if (!OpenPluginSession(pluginPath, session, error)) {
    fail(kExitUnreadable, error);
    return exitCode;
  }
  SymmetryScene scene(session.desc);
  if (!scene.Valid()) {
    fail(kExitUnreadable, "the plug-in could not create its modifier");
    return exitCode;
  }
  Object* targetObject = BuildHostObject(base.mesh, options.kind, error);
  // From here on the host object is the base: its file is let go, as is each input's topology
  // once its object is built (the writer needs only its text and positions).
  base = ObjReadResult();
  if (targetObject == nullptr) {
    fail(kExitUnreadable, baseName(options.target) + ": " + error);
    return exitCode;
  }
  if (!baseSelection.empty()) ApplyVertexSelection(targetObject, baseSelection);
  scene.AddTarget(NodeNameForFile(options.target), targetObject);
  if (!options.asymmetry.empty()) {
    Object* asym = BuildHostObject(asymmetry, MeshKind::Triangle, error);
    asymmetry = ObjMesh();
    INode* asymNodeRef = scene.AddNode(NodeNameForFile(options.asymmetry), asym);
    scene.params()->SetValue(kAsymNodeParam, 0, asymNodeRef);
  }
  for (const auto& [name, value] : options.settings) {
    if (!SetParameterFromText(scene.params(), name, value, error)) {
      err << "velomorph apply: " << error << "\n";
      return kExitUsage;
    }
  }
  if (!options.outDir.empty() && !MakeDirectories(options.outDir, error)) {
    fail(kExitUnreadable, error);
    return exitCode;
  }

  // The inputs run one at a time, each read, evaluated, written and let go before the next, so a
  // batch of dense shapes needs no more memory than one. Without --save-scene they take turns on
  // one node, whose cache keeps the captured target and partners: the target is paired once per
  // batch. A saved scene holds every input as a node of its own.
  const bool keepNodes = !options.saveScene.empty();
  INode* shared = nullptr;
  for (const std::string& path : options.inputs) {
    times.Start();
    ObjReadResult input = ReadObjFile(path);
    times.Stop(PhaseTimes::kRead);
    if (!input.ok) {
      fail(kExitUnreadable, input.error);
      continue;
    }
    if (input.mesh.positions.size() != vertexCount) {
      fail(kExitMismatch, countMismatch(path, input.mesh.positions.size(), options.target, vertexCount));
      continue;
    }
    Object* obj = BuildHostObject(input.mesh, options.kind, error);
    DropTopology(input.mesh);
    if (obj == nullptr) {
      fail(kExitUnreadable, baseName(path) + ": " + error);
      continue;
    }
    if (!selection.empty()) ApplyVertexSelection(obj, selection);
    INode* node = nullptr;
    if (keepNodes || shared == nullptr) {
      node = scene.AddInput(NodeNameForFile(path), obj);
      if (!keepNodes) shared = node;
    } else {
      // The next input under the same stack; its result is computed afresh, not replayed.
      node = shared;
      static_cast<IDerivedObject*>(node->GetObjectRef())->ReferenceObject(obj);
      scene.Call(L"reset");
    }

    times.Start();
    size_t reportsBefore = GetCOREInterface()->Reports().size();
    Object* evaluated = scene.Evaluate(node);
    times.Stop(PhaseTimes::kFirstEvaluation);
    // The host skips a modifier that fails and hands the mesh on unchanged: that is no result.
    if (GetCOREInterface()->Reports().size() != reportsBefore) {
      fail(kExitModifierFailed, baseName(path) + ": " + MSTR(GetCOREInterface()->Reports().back()).ToUTF8());
      continue;
    }
    const std::vector<Point3> result = ObjectPositions(evaluated);
    std::vector<float> resultSelection;
    if (!options.selectionOut.empty()) resultSelection = ObjectSelectionWeights(evaluated);
    if (options.timings) {
      // The same work again with the target and partners held, then the frozen result replayed.
      scene.Call(L"reset");
      times.Start();
      scene.Evaluate(node);
      times.Stop(PhaseTimes::kSecondEvaluation);
      int constant = scene.params()->GetInt(kConstantUpdateParam);
      scene.params()->SetValue(kConstantUpdateParam, 0, 0);
      times.Start();
      scene.Evaluate(node);
      times.Stop(PhaseTimes::kReplay);
      scene.params()->SetValue(kConstantUpdateParam, 0, constant);
    }

    times.Start();
    if (!WriteObjWithPositions(input.mesh, result, resultPath(options, path), error)) {
      fail(kExitUnreadable, error);
    } else if (!options.selectionOut.empty() && !WriteSelectionFile(resultSelection, options.selectionOut, error)) {
      fail(kExitUnreadable, error);
    }
    times.Stop(PhaseTimes::kWrite);
  }
  times.Print(err);
  if (!options.saveScene.empty() && !SaveScene(options.saveScene, &error)) fail(kExitUnreadable, error);
  return exitCode;
}
