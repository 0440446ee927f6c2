// velomorph apply.
#include "apply_command.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <future>
#include <map>
#include <system_error>

#include "apply_summary.h"
#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "gltf_apply.h"
#include "host_mesh_builder.h"
#include "mesh_partners.h"
#include "modstack.h"
#include "obj_mesh_file.h"
#include "parameter_options.h"
#include "partner_handover.h"
#include "phase_times.h"
#include "progress_line.h"
#include "progress_listener.h"
#include "run_files.h"
#include "scene_io.h"
#include "selection_file.h"
#include "symmetry_scene.h"

namespace {

const char kHelp[] =
    "usage: velomorph apply --target BASE.obj --input IN.obj [IN2.obj ...] (--out OUT.obj | --out-dir DIR) [options]\n"
    "Runs the modifier on each input with BASE as its target and writes the result: the input file with\n"
    "only the coordinates of its vertices replaced.\n"
    "\n"
    "  --target BASE.obj              the symmetrical, undeformed base (\"-\": standard input)\n"
    "  --target CHARACTER.glb|.gltf   a glTF 2.0 file: each mesh primitive's POSITION is the base, its morph\n"
    "                                 targets the inputs, written back into --out (no --input)\n"
    "  --targets GLOB                 glTF: only the morph targets whose names match (\"smile_*\")\n"
    "  --derive FROM=TO               glTF: each target X<FROM> flipped into X<TO>, created where missing\n"
    "                                 (--derive _L=_R)\n"
    "  --input IN.obj ...             the meshes to work on, sharing BASE's vertex order (\"-\": standard input)\n"
    "  --out OUT.obj                  the result of the one input (\"-\": standard output)\n"
    "  --out-dir DIR                  each result as DIR/<input's file name>\n"
    "  --operation mirror|flip|reset  Mirror writes one side from the other, Flip swaps them, Reset returns to BASE\n"
    "  --axis x|y|z, --offset F       the mirror plane: axis = F, in object units (default x = 0)\n"
    "  --direction negative|positive  the side Mirror writes, judged by BASE (default negative)\n"
    "  --align-center on|off          put vertices on the plane back onto it (default on; also --align-centre)\n"
    "  --as mesh|poly|patch           the object type the inputs become (default poly)\n"
    "  --selection FILE               one weight per vertex (1 selected, 0 not, between: soft)\n"
    "  --base-selection FILE          mask the work with a selection of BASE\n"
    "  --invert-base-selection        work where the base selection is not (needs --base-selection)\n"
    "  --carry-selection              carry the selection across the plane too\n"
    "  --selection-only               carry only the selection, move no vertex\n"
    "  --selection-out FILE           write the resulting selection (one input)\n"
    "  --asymmetry ASYM.obj           add back the differences between ASYM and BASE (--as poly only)\n"
    "  --asymmetry-type local|surface, --uv-dominance u|v, --normalize-frames\n"
    "                                 how the asymmetry is carried (with --asymmetry)\n"
    "  --set NAME=VALUE               any parameter by its internal name (velomorph info lists them)\n"
    "  --pairing position|topology    how the modifier pairs BASE's vertices: nearest the mirror images, its\n"
    "                                 own way (default), or from BASE's connectivity, handed to it (--as mesh|poly)\n"
    "  --seed-edge A,B                topology: start from the edge A-B (1-based), one that is its own mirror image\n"
    "  --save-scene FILE.vms          save the evaluated scene, caches included\n"
    "  --timings                      one line per phase on standard error: timing <phase> <seconds>\n"
    "  --quiet                        no summary line per input\n"
    "  -h, --help                     this help\n"
    "\n"
    "Options take their value as --name VALUE or --name=VALUE.\n"
    "Exit codes: 0 done, 2 usage, 3 unreadable file, 4 meshes that do not match, 5 the modifier failed,\n"
    "6 a result could not be written; a batch ends with the highest code of its failures.\n";

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
  PairingKind pairing = PairingKind::kPosition;
  int seedA = -1, seedB = -1;
  bool timings = false;
  bool quiet = false;
  ParameterSettings settings;
  std::string targets;  // glTF: a glob over morph target names
  std::string derive;   // glTF: FROM=TO
};

// The phases --timings reports, in order.
enum Phase { kRead, kPairAndApply, kApplyAgain, kReplay, kWrite };
const std::vector<std::string> kPhaseNames = {"read", "pair-and-apply", "apply-again", "replay", "write"};

std::vector<OptionForm> optionForms() {
  std::vector<OptionForm> forms = {
      {"--target"}, {"--input", OptionForm::kList, true}, {"--out"}, {"--out-dir"}, {"--as"}, {"--selection"},
      {"--pairing"}, {"--seed-edge"},
      {"--base-selection"}, {"--selection-out"}, {"--asymmetry"}, {"--save-scene"},
      {"--timings", OptionForm::kFlag}, {"--quiet", OptionForm::kFlag}, {"--targets"}, {"--derive"}};
  for (const OptionForm& s : ParameterOptionForms({"--operation", "--axis", "--offset", "--direction", "--align-center",
                                                   "--align-centre", "--invert-base-selection", "--carry-selection",
                                                   "--selection-only", "--asymmetry-type", "--uv-dominance",
                                                   "--normalize-frames", "--set"})) {
    forms.push_back(s);
  }
  return forms;
}

std::string baseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Options that would be silently ignored are refused, saying why.
void refuseIgnoredOptions(const ApplyOptions& o) {
  const ParameterSettings::Setting* asymmetry = nullptr;
  for (const ParameterSettings::Setting& s : o.settings.settings()) {
    if (s.name == "enableAsymmetry" || s.name == "asynType" || s.name == "UVDominance" || s.name == "NormXforms") {
      asymmetry = &s;
      break;
    }
  }
  if (asymmetry != nullptr && o.kind != MeshKind::Polygon) {
    throw UsageError{"'" + asymmetry->origin + "' works on polygon meshes only (--as poly): with --as " +
                     (o.kind == MeshKind::Triangle ? "mesh" : "patch") + " it would be ignored"};
  }
  if (asymmetry != nullptr && o.asymmetry.empty() && asymmetry->origin.rfind("--set", 0) != 0) {
    throw UsageError{"'" + asymmetry->origin + "' shapes an asymmetry mesh: give --asymmetry ASYM.obj as well"};
  }
  if (o.settings.Sets("invertBaseSelection") && o.baseSelection.empty()) {
    throw UsageError{"--invert-base-selection inverts a base selection: give --base-selection FILE as well"};
  }
}

// A glTF target is its own input and output: what only OBJ inputs take is refused.
void checkGltfOptions(const ApplyOptions& o) {
  if (!o.inputs.empty()) {
    throw UsageError{"--input does not go with a glTF --target: the morph targets of " + o.target + " are the inputs"};
  }
  if (!o.outDir.empty()) throw UsageError{"a glTF --target is written to one file: give --out, not --out-dir"};
  if (o.out.empty()) throw UsageError{"--out OUT.glb (or .gltf) is required"};
  // Each primitive is seeded on its own: one edge cannot name a vertex of every primitive.
  if (o.seedA >= 0) throw UsageError{"--seed-edge names an OBJ base's edge: a glTF --target's primitives are seeded automatically"};
  const auto binary = [](std::string p) {
    for (char& c : p) c = char(std::tolower(static_cast<unsigned char>(c)));
    return p.size() >= 4 && p.compare(p.size() - 4, 4, ".glb") == 0;
  };
  if (!IsStandardStream(o.out) && (!IsGltfPath(o.out) || binary(o.out) != binary(o.target))) {
    throw UsageError{"--out " + o.out + " must be a " + (binary(o.target) ? ".glb" : ".gltf") + " file like --target " +
                     o.target};
  }
  if (!o.selectionOut.empty()) throw UsageError{"--selection-out takes one OBJ input, not a glTF file"};
  if (!o.saveScene.empty()) throw UsageError{"--save-scene takes OBJ inputs, not a glTF file"};
  if (!o.derive.empty()) {
    const size_t eq = o.derive.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == o.derive.size() || o.derive.substr(0, eq) == o.derive.substr(eq + 1)) {
      throw UsageError{"--derive takes FROM=TO, two different name endings (--derive _L=_R), not '" + o.derive + "'"};
    }
    if (o.settings.Sets("operation")) throw UsageError{"--derive always flips: leave out --operation"};
  }
  refuseIgnoredOptions(o);
}

ApplyOptions parseOptions(const CommandWords& words) {
  ApplyOptions o;
  for (const GivenOption& given : words.options) {
    const std::string& a = given.name;
    if (o.settings.Take(given)) continue;
    if (a == "--target") o.target = given.value();
    else if (a == "--input") o.inputs.insert(o.inputs.end(), given.values.begin(), given.values.end());
    else if (a == "--out") o.out = given.value();
    else if (a == "--out-dir") o.outDir = given.value();
    else if (a == "--as") {
      if (!ParseMeshKind(given.value(), o.kind)) throw UsageError{"--as takes mesh|poly|patch, not '" + given.value() + "'"};
    } else if (a == "--selection") {
      o.selection = given.value();
      o.settings.Imply(given.Text(), "ignoreSO", "0");
    } else if (a == "--base-selection") {
      o.baseSelection = given.value();
      o.settings.Imply(given.Text(), "baseSelectionMasks", "1");
    } else if (a == "--selection-out") o.selectionOut = given.value();
    else if (a == "--asymmetry") {
      o.asymmetry = given.value();
      o.settings.Imply(given.Text(), "enableAsymmetry", "1");
    } else if (a == "--timings") o.timings = true;
    else if (a == "--quiet") o.quiet = true;
    else if (a == "--save-scene") o.saveScene = given.value();
    else if (a == "--pairing") {
      if (!ParsePairingKind(given.value(), o.pairing)) throw UsageError{"--pairing takes position|topology, not '" + given.value() + "'"};
    } else if (a == "--seed-edge") {
      if (!ParseSeedEdge(given.value(), o.seedA, o.seedB))
        throw UsageError{"--seed-edge takes two vertex numbers A,B (from 1), not '" + given.value() + "'"};
    }
    else if (a == "--targets") o.targets = given.value();
    else if (a == "--derive") o.derive = given.value();
  }
  if (o.seedA >= 0 && o.pairing != PairingKind::kTopology) throw UsageError{"--seed-edge starts topology pairing: give --pairing topology as well"};
  // A patch's tangent vectors are paired with its vertices by position, in the modifier alone.
  if (o.pairing == PairingKind::kTopology && o.kind == MeshKind::Patch) throw UsageError{"--pairing topology pairs mesh vertices: use --as mesh or --as poly"};
  if (o.target.empty()) throw UsageError{"--target BASE.obj is required"};
  if (IsGltfPath(o.target)) {
    checkGltfOptions(o);
    return o;
  }
  if (!o.targets.empty() || !o.derive.empty()) {
    throw UsageError{std::string(o.targets.empty() ? "--derive" : "--targets") +
                     " picks morph targets of a glTF character file: give --target FILE.glb or FILE.gltf"};
  }
  if (o.inputs.empty()) throw UsageError{"--input IN.obj is required"};
  if (o.out.empty() == o.outDir.empty()) throw UsageError{"give exactly one of --out OUT.obj and --out-dir DIR"};
  if (!o.out.empty() && o.inputs.size() > 1) throw UsageError{"--out takes one input; use --out-dir DIR for several"};
  if (!o.selectionOut.empty() && o.inputs.size() > 1) throw UsageError{"--selection-out takes one input"};
  refuseIgnoredOptions(o);
  if (!o.outDir.empty()) {
    // Results are named after their inputs' file names: two inputs sharing one would overwrite each other.
    std::map<std::string, std::string> byName;
    for (const std::string& input : o.inputs) {
      if (IsStandardStream(input)) throw UsageError{"--input - has no file name to write under --out-dir: give --out"};
      auto [it, added] = byName.emplace(baseName(input), input);
      if (!added) throw UsageError{it->second + " and " + input + " would both be written as " + InFolder(o.outDir, it->first)};
    }
  }
  return o;
}

std::string resultPath(const ApplyOptions& options, const std::string& input) {
  return options.out.empty() ? InFolder(options.outDir, baseName(input)) : options.out;
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

// Files are named as the user gave them, folder and all, so the right one of several is found.
std::string countMismatch(const std::string& input, size_t inputCount, const std::string& base, size_t baseCount) {
  return StreamName(input, true) + " has " + std::to_string(inputCount) + " vertices, " + StreamName(base, true) +
         " has " + std::to_string(baseCount) + ": both must share vertex count and order";
}

// What every input of the run shares: the base mesh, the selections and the asymmetry mesh.
struct SharedInputs {
  ObjMesh base;  // until the target object is built
  size_t baseVertexCount = 0;
  PositionsView basePositions;  // the target object's, for each input's summary
  std::vector<int> partners;    // --pairing topology: what the modifier is handed for each node
  std::vector<float> selection;
  std::vector<float> baseSelection;
  ObjMesh asymmetry;
};

// The batch's outcome: every failure is reported as it happens, and the run ends with the highest
// exit code among them.
class Outcome {
 public:
  explicit Outcome(ProgressLine& progress) : progress_(progress) {}
  void Fail(int code, const std::string& message) {
    progress_.Say("velomorph: " + message);
    exitCode_ = std::max(exitCode_, code);
    ++failures_;
  }
  int exitCode() const { return exitCode_; }
  size_t failures() const { return failures_; }

 private:
  ProgressLine& progress_;
  int exitCode_ = kExitOk;
  size_t failures_ = 0;
};

bool readSharedInputs(const ApplyOptions& options, SharedInputs& r_shared, Outcome& outcome) {
  ObjReadResult base = ReadObjFile(options.target);
  if (!base.ok) {
    outcome.Fail(kExitUnreadable, base.error);
    return false;
  }
  // The base is never written: its bytes go as soon as it is parsed.
  r_shared.base = std::move(base.mesh);
  LetGoOfSource(r_shared.base);
  const size_t vertices = r_shared.base.positions.size();
  for (auto [file, weights] : {std::pair{&options.selection, &r_shared.selection},
                               std::pair{&options.baseSelection, &r_shared.baseSelection}}) {
    if (file->empty()) continue;
    SelectionReadResult r = ReadSelectionFile(*file);
    if (!r.ok) {
      outcome.Fail(kExitUnreadable, r.error);
      return false;
    }
    if (r.weights.size() != vertices) {
      outcome.Fail(kExitMismatch, StreamName(*file, true) + " has " + std::to_string(r.weights.size()) + " weights, " +
                                      StreamName(options.target, true) + " has " + std::to_string(vertices) +
                                      " vertices: a selection needs one weight per vertex");
      return false;
    }
    *weights = std::move(r.weights);
  }
  if (!options.asymmetry.empty()) {
    ObjReadResult r = ReadObjFile(options.asymmetry);
    if (!r.ok) {
      outcome.Fail(kExitUnreadable, r.error);
      return false;
    }
    // The asymmetry is taken vertex by vertex against the base, so it must share the base's numbering.
    if (r.mesh.positions.size() != vertices) {
      outcome.Fail(kExitMismatch, countMismatch(options.asymmetry, r.mesh.positions.size(), options.target, vertices));
      return false;
    }
    r_shared.asymmetry = std::move(r.mesh);
    LetGoOfSource(r_shared.asymmetry);
  }
  return true;
}

// The partners the modifier is handed for --pairing topology, for the plane the parameters name. A
// vertex the connectivity could not settle keeps the modifier's own partner, and the run says which.
int pairByTopology(const ApplyOptions& options, SharedInputs& shared, IParamBlock2* params, ProgressLine& progress,
                   Outcome& outcome) {
  const std::string refusal = WhyHandedPartnersWouldNotBeKept(params);
  if (!refusal.empty()) {
    progress.Say("velomorph apply: " + refusal);
    return kExitUsage;
  }
  PairingRequest request;
  request.kind = PairingKind::kTopology;
  request.axis = params->GetInt(kMirrorAxisParam);
  request.offset = params->GetFloat(kAxisOffsetParam);
  request.seedA = options.seedA;
  request.seedB = options.seedB;
  progress.Show("pairing " + StreamName(options.target, true) + " by topology");
  std::string warning;
  MeshPartners found = FindPartnersToHand(shared.base, request, StreamName(options.target, true), warning);
  if (!found.ok) {
    outcome.Fail(kExitUnreadable, found.error);
    return outcome.exitCode();
  }
  if (!warning.empty()) progress.Say("velomorph: warning: " + warning);
  shared.partners = std::move(found.partners);
  return kExitOk;
}

// The target node, the asymmetry node and the parameters. Returns the exit code to stop with, or kExitOk.
int setUpScene(const ApplyOptions& options, SharedInputs& shared, SymmetryScene& scene, ProgressLine& progress,
               Outcome& outcome) {
  std::string error;
  // The modifier reads a polygon target through its triangle-mesh conversion (the same fan of each
  // polygon, selection and texture coordinates carried over), so the base is built as a triangle
  // mesh straight away: smaller, and no conversion of a dense mesh at capture. A patch target's
  // tangent vectors are read as a patch.
  const MeshKind targetKind = options.kind == MeshKind::Patch ? MeshKind::Patch : MeshKind::Triangle;
  Object* targetObject = BuildHostObject(shared.base, targetKind, error);
  if (targetObject == nullptr) {
    outcome.Fail(kExitUnreadable, StreamName(options.target, true) + ": " + error);
    return outcome.exitCode();
  }
  shared.baseVertexCount = size_t(ObjectVertexCount(targetObject));
  if (!shared.baseSelection.empty()) ApplyVertexSelection(targetObject, shared.baseSelection);
  shared.basePositions = ObjectPositionsView(targetObject);
  scene.AddTarget(NodeNameForFile(options.target), targetObject);
  if (!options.asymmetry.empty()) {
    Object* asym = BuildHostObject(shared.asymmetry, MeshKind::Triangle, error);
    INode* asymNodeRef = scene.AddNode(NodeNameForFile(options.asymmetry), asym);
    scene.params()->SetValue(kAsymNodeParam, 0, asymNodeRef);
    { ObjMesh done = std::move(shared.asymmetry); }
  }
  if (!options.settings.ApplyTo(scene.params(), error)) {
    progress.Say("velomorph apply: " + error);
    return kExitUsage;
  }
  if (options.pairing == PairingKind::kTopology) {
    if (int stop = pairByTopology(options, shared, scene.params(), progress, outcome); stop != kExitOk) return stop;
  }
  // From here on the host object is the base. (Moved out, not assigned over: assigning would keep
  // the file's bytes.)
  { ObjMesh done = std::move(shared.base); }
  return kExitOk;
}

// Input `index`, read. Its bytes are let go (and read again when its result is written) unless the
// result goes straight to standard output, a pipe or a device: a stream cannot take back what it
// was sent if the input changed in between.
ObjReadResult readInput(const ApplyOptions& options, size_t index) {
  const std::string& path = options.inputs[index];
  ObjReadResult input = ReadObjFile(path);
  if (!WritesStraight(resultPath(options, path))) LetGoOfSource(input.mesh);
  return input;
}

// readInput on a thread of its own; an invalid future (read it in turn) for standard input, which
// stays with the reader that reads everything else, or when no thread can be had.
std::future<ObjReadResult> readInBackground(const ApplyOptions& options, size_t index) {
  if (IsStandardStream(options.inputs[index])) return {};
  try {
    // The reader never takes a stop signal: those are for this thread, which writes the files.
    StopSignalsHeld held;
    return std::async(std::launch::async, [&options, index] { return readInput(options, index); });
  } catch (const std::system_error&) {
    return {};
  }
}

// Reading the next input ahead holds two inputs at once: worth it for the small shapes of a batch,
// where reading is much of the work, not for dense ones, whose memory is what counts.
bool smallEnoughToReadAhead(const std::string& path) {
  constexpr std::uintmax_t kReadAheadBytes = std::uintmax_t(16) << 20;
  std::error_code ec;
  const std::uintmax_t bytes = std::filesystem::file_size(FilePath(path), ec);
  return !ec && bytes <= kReadAheadBytes;
}

MirrorSetup mirrorSetupOf(IParamBlock2* params) {
  MirrorSetup setup;
  setup.operation = params->GetInt(kOperationParam);
  setup.axis = params->GetInt(kMirrorAxisParam);
  setup.offset = params->GetFloat(kAxisOffsetParam);
  setup.direction = params->GetInt(kDirectionParam);
  return setup;
}

}  // namespace

int RunApplyCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err) {
  ApplyOptions options;
  if (int stop = ReadCommandOptions("apply", args, optionForms(), 0, kHelp,
                                     [&](const CommandWords& words) { options = parseOptions(words); }, out, err);
      stop != kCarryOn)
    return stop;
  if (IsGltfPath(options.target)) {
    RunFiles files;
    files.AddInput("--target", options.target);
    files.AddInput("--selection", options.selection);
    files.AddInput("--base-selection", options.baseSelection);
    files.AddInput("--asymmetry", options.asymmetry);
    files.AddOutput("--out", options.out, options.target);
    if (int refused = files.Check("apply", err); refused != kExitOk) return refused;
    GltfApplyOptions gltf;
    gltf.target = options.target;
    gltf.out = options.out;
    gltf.targets = options.targets;
    if (const size_t eq = options.derive.find('='); eq != std::string::npos) {
      gltf.deriveFrom = options.derive.substr(0, eq);
      gltf.deriveTo = options.derive.substr(eq + 1);
    }
    gltf.kind = options.kind;
    gltf.pairing = options.pairing;
    gltf.selection = options.selection;
    gltf.baseSelection = options.baseSelection;
    gltf.asymmetry = options.asymmetry;
    gltf.timings = options.timings;
    gltf.quiet = options.quiet;
    gltf.settings = &options.settings;
#ifdef VELOMORPH_WITH_GLTF
    return RunGltfApply(gltf, pluginPath, err);
#else
    err << "velomorph apply: this build reads no glTF files (it was built without tinygltf)\n";
    return kExitUnreadable;
#endif
  }
  if (int refused = filesOf(options).Check("apply", err); refused != kExitOk) return refused;
  ProgressLine progress(err, !options.quiet);
  Outcome outcome(progress);
  PhaseTimes times(options.timings, kPhaseNames);

  progress.Show("reading " + StreamName(options.target, true));
  SharedInputs shared;
  // The first input is read alongside the base and the other shared files, one file a core.
  std::future<ObjReadResult> nextInput = readInBackground(options, 0);
  if (!readSharedInputs(options, shared, outcome)) return outcome.exitCode();
  times.Stop(kRead);

  PluginSession session;
  std::string error;
  if (!OpenPluginSession(pluginPath, session, error)) {
    outcome.Fail(kExitUnreadable, error);
    return outcome.exitCode();
  }
  SymmetryScene scene(session.desc);
  if (!scene.Valid()) {
    outcome.Fail(kExitUnreadable, "the plug-in could not create its modifier");
    return outcome.exitCode();
  }
  if (int stop = setUpScene(options, shared, scene, progress, outcome); stop != kExitOk) return stop;
  if (!options.outDir.empty() && !MakeDirectories(options.outDir, error)) {
    outcome.Fail(kExitWriteFailed, error);
    return outcome.exitCode();
  }
  const MirrorSetup setup = mirrorSetupOf(scene.params());

  // The inputs run one at a time, each read, evaluated, written and let go before the next, so a
  // batch of dense shapes needs no more memory than one. Without --save-scene they take turns on
  // one node, whose cache keeps the captured target and partners: the target is paired once per
  // batch. A saved scene holds every input as a node of its own.
  const bool keepNodes = !options.saveScene.empty();
  INode* sharedNode = nullptr;
  for (size_t index = 0; index < options.inputs.size(); ++index) {
    const std::string& path = options.inputs[index];
    const std::string name = StreamName(path, true);
    const std::string status = options.inputs.size() > 1
                                   ? name + " (" + std::to_string(index + 1) + " of " + std::to_string(options.inputs.size()) + ")"
                                   : name;
    progress.Show(status + ": reading");
    times.Start();
    ObjReadResult input = nextInput.valid() ? nextInput.get() : readInput(options, index);
    times.Stop(kRead);
    // A small next input is read on the other core while this one is evaluated and written.
    if (index + 1 < options.inputs.size() && smallEnoughToReadAhead(options.inputs[index + 1])) {
      nextInput = readInBackground(options, index + 1);
    }
    if (!input.ok) {
      outcome.Fail(kExitUnreadable, input.error);
      continue;
    }
    if (input.mesh.positions.size() != shared.baseVertexCount) {
      outcome.Fail(kExitMismatch,
                   countMismatch(path, input.mesh.positions.size(), options.target, shared.baseVertexCount));
      continue;
    }
    Object* obj = BuildHostObject(input.mesh, options.kind, error);
    // From here on the host object holds the input's geometry; the writer reads the positions there.
    KeepOnlyWhatRewritingNeeds(input.mesh);
    if (obj == nullptr) {
      outcome.Fail(kExitUnreadable, name + ": " + error);
      continue;
    }
    if (!shared.selection.empty()) ApplyVertexSelection(obj, shared.selection);
    INode* node = nullptr;
    if (keepNodes || sharedNode == nullptr) {
      node = scene.AddInput(NodeNameForFile(path), obj);
      if (!keepNodes) sharedNode = node;
      if (!shared.partners.empty() &&
          !HandPartnersToModifier(scene.modifier(), node, shared.basePositions, shared.partners,
                                  scene.params()->GetInt(kMirrorAxisParam), error)) {
        outcome.Fail(kExitModifierFailed, name + ": " + error);
        continue;
      }
    } else {
      // The next input under the same stack; its result is computed afresh, not replayed.
      node = sharedNode;
      static_cast<IDerivedObject*>(node->GetObjectRef())->ReferenceObject(obj);
      scene.Call(L"reset");
    }

    progress.Show(status + (index == 0 ? ": pairing and applying" : ": applying"));
    times.Start();
    size_t reportsBefore = GetCOREInterface()->Reports().size();
    Object* evaluated = nullptr;
    {
      // The modifier reports how far its pairing has got; once it is done, the rest is applying.
      const ScopedProgressListener pairing([&](int percent, const std::wstring&) {
        progress.Show(status + (percent < 100 ? ": pairing " + std::to_string(percent) + "%" : ": applying"));
      });
      evaluated = scene.Evaluate(node);
    }
    times.Stop(kPairAndApply);
    // The host skips a modifier that fails and hands the mesh on unchanged: that is no result.
    if (GetCOREInterface()->Reports().size() != reportsBefore) {
      outcome.Fail(kExitModifierFailed, name + ": " + MSTR(GetCOREInterface()->Reports().back()).ToUTF8());
      continue;
    }
    // Read in place: nothing evaluates the node again until the result is written.
    const PositionsView result = ObjectPositionsView(evaluated);
    const PositionsView asRead = ObjectPositionsView(obj);
    std::vector<float> resultSelection;
    if (!options.selectionOut.empty()) resultSelection = ObjectSelectionWeights(evaluated);

    const std::string destination = resultPath(options, path);
    progress.Show(status + ": writing " + StreamName(destination, false));
    times.Start();
    const bool written = WriteObjWithPositions(input.mesh, asRead, result, destination, error);
    if (!written) {
      outcome.Fail(kExitWriteFailed, error);
    } else if (!options.selectionOut.empty() && !WriteSelectionFile(resultSelection, options.selectionOut, error)) {
      outcome.Fail(kExitWriteFailed, error);
    }
    times.Stop(kWrite);
    if (written && !options.quiet) {
      const ApplySummary summary = SummarizeApply(shared.basePositions, asRead, result, setup);
      progress.Say("velomorph: " + name + " -> " + StreamName(destination, false) + ": " + summary.line);
      if (!summary.warning.empty()) progress.Say("velomorph: warning: " + name + ": " + summary.warning);
    }
    if (options.timings) {
      // The same work again with the target and partners held, then the frozen result replayed.
      scene.Call(L"reset");
      times.Start();
      scene.Evaluate(node);
      times.Stop(kApplyAgain);
      int constant = scene.params()->GetInt(kConstantUpdateParam);
      scene.params()->SetValue(kConstantUpdateParam, 0, 0);
      times.Start();
      scene.Evaluate(node);
      times.Stop(kReplay);
      scene.params()->SetValue(kConstantUpdateParam, 0, constant);
    }
  }
  const size_t failedInputs = outcome.failures();
  if (!options.saveScene.empty()) {
    progress.Show("saving " + StreamName(options.saveScene, false));
    if (!SaveSceneFile(options.saveScene, error)) outcome.Fail(kExitWriteFailed, error);
  }
  if (options.inputs.size() > 1 && failedInputs > 0) {
    progress.Say("velomorph apply: " + std::to_string(failedInputs) + " of " + std::to_string(options.inputs.size()) +
                 " inputs failed");
  }
  progress.Finish();
  times.Print(err);
  return outcome.exitCode();
}
