// velomorph apply on glTF character files.
#include "gltf_apply.h"

#include <fnmatch.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>

#include "apply_summary.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "gltf_morph_file.h"
#include "modstack.h"
#include "partner_handover.h"
#include "phase_times.h"
#include "plugin_session.h"
#include "progress_line.h"
#include "run_files.h"
#include "selection_file.h"
#include "symmetry_scene.h"
#include "symmetry/engine/vertex_pairing.h"

namespace {

// A character file holds every target of every mesh: larger than an OBJ may be.
constexpr size_t kMaxGltfFileBytes = size_t(2) << 30;

enum Phase { kRead, kPairAndApply, kApply, kWrite };
const std::vector<std::string> kPhaseNames = {"read", "pair-and-apply", "apply", "write"};

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string inFolderOf(const std::string& file, const std::string& uri) {
  const std::string folder = folderOf(file);
  return folder.empty() ? uri : (folder == "/" ? "/" : folder + "/") + uri;
}

// The displacement that puts `base` on `result` exactly when added in float, as readers add it; the
// nearest difference otherwise (a result far from a base of much larger magnitude).
float exactDisplacement(float result, float base) {
  float d = result - base;
  for (int step = 0; step < 4 && base + d != result; ++step) {
    d = std::nextafter(d, (base + d < result) ? INFINITY : -INFINITY);
  }
  return base + d == result ? d : result - base;
}

// One job: the input is base + `source`'s displacement, the result goes to `destination`.
struct TargetJob {
  int source = -1;
  int destination = -1;
};

// Normals (stride 3) or tangents (stride 4, w untouched) of a target after its positions moved.
std::vector<float> followPositions(const std::vector<float>& base, size_t stride, const std::vector<float>& source,
                                   const std::vector<char>& moved, const std::vector<int>& partners, int axis,
                                   int operation) {
  std::vector<float> out = source;
  for (size_t v = 0; v < moved.size(); ++v) {
    if (!moved[v]) continue;
    for (size_t c = 0; c < 3; ++c) {
      if (operation == 2) {
        out[v * 3 + c] = 0.0f;
        continue;
      }
      const size_t q = size_t(partners[v]);
      float total = base[q * stride + c] + source[q * 3 + c];
      if (int(c) == axis) total = -total;
      out[v * 3 + c] = total - base[v * stride + c];
    }
  }
  return out;
}

bool nameMatches(const std::string& pattern, const std::string& name) {
  return pattern.empty() || fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
}

class GltfRun {
 public:
  GltfRun(const GltfApplyOptions& options, ProgressLine& progress, PhaseTimes& times)
      : o_(options), progress_(progress), times_(times) {}

  int Run(const std::string& pluginPath);

 private:
  int fail(int code, const std::string& message) {
    progress_.Say("velomorph: " + message);
    return code;
  }
  std::vector<TargetJob> jobsOf(int mesh);
  int runPrimitive(int mesh, int primitive, const std::vector<TargetJob>& jobs, PluginSession& session);

  const GltfApplyOptions& o_;
  ProgressLine& progress_;
  PhaseTimes& times_;
  GltfMorphFile file_;
  std::vector<float> selection_, baseSelection_;
  ObjMesh asymmetry_;
};

std::vector<TargetJob> GltfRun::jobsOf(int mesh) {
  std::vector<TargetJob> jobs;
  const int count = file_.TargetCount(mesh);
  for (int t = 0; t < count; ++t) {
    const std::string name = file_.TargetName(mesh, t);
    if (o_.deriveFrom.empty() && o_.deriveTo.empty()) {
      if (o_.targets.empty() || (!name.empty() && nameMatches(o_.targets, name))) jobs.push_back({t, t});
      continue;
    }
    if (name.size() < o_.deriveFrom.size() || name.compare(name.size() - o_.deriveFrom.size(), std::string::npos, o_.deriveFrom) != 0 ||
        !nameMatches(o_.targets, name)) {
      continue;
    }
    const std::string derived = name.substr(0, name.size() - o_.deriveFrom.size()) + o_.deriveTo;
    int destination = -1;
    for (int u = 0; u < file_.TargetCount(mesh) && destination < 0; ++u) {
      if (file_.TargetName(mesh, u) == derived) destination = u;
    }
    if (destination < 0) destination = file_.AddTarget(mesh, derived, t);
    jobs.push_back({t, destination});
  }
  return jobs;
}

int GltfRun::runPrimitive(int mesh, int primitive, const std::vector<TargetJob>& jobs, PluginSession& session) {
  const size_t n = file_.VertexCount(mesh, primitive);
  const std::vector<float> base = file_.Base(mesh, primitive, MorphAttribute::Position);
  const std::vector<int> triangles = file_.Triangles(mesh, primitive);
  std::string label = o_.target;
  if (const std::string meshName = file_.MeshName(mesh); !meshName.empty()) label += ": " + meshName;
  else label += ": mesh " + std::to_string(mesh);
  if (file_.PrimitiveCount(mesh) > 1) label += " primitive " + std::to_string(primitive);
  if (!selection_.empty() && selection_.size() != n) {
    return fail(kExitMismatch, StreamName(o_.selection, true) + " has " + std::to_string(selection_.size()) +
                                   " weights, " + label + " has " + std::to_string(n) + " vertices");
  }
  if (!baseSelection_.empty() && baseSelection_.size() != n) {
    return fail(kExitMismatch, StreamName(o_.baseSelection, true) + " has " + std::to_string(baseSelection_.size()) +
                                   " weights, " + label + " has " + std::to_string(n) + " vertices");
  }
  if (!o_.asymmetry.empty() && asymmetry_.positions.size() != n) {
    return fail(kExitMismatch, StreamName(o_.asymmetry, true) + " has " + std::to_string(asymmetry_.positions.size()) +
                                   " vertices, " + label + " has " + std::to_string(n));
  }

  // The mesh as apply reads it from an OBJ file: positions and triangles, no texture coordinates.
  ObjMesh mesh3;
  mesh3.positions.resize(n);
  for (size_t v = 0; v < n; ++v) mesh3.positions[v] = Point3(base[v * 3], base[v * 3 + 1], base[v * 3 + 2]);
  mesh3.cornerVertex = triangles;
  mesh3.cornerTexCoord.assign(triangles.size(), -1);
  mesh3.faceStart.resize(triangles.size() / 3 + 1);
  for (size_t f = 0; f < mesh3.faceStart.size(); ++f) mesh3.faceStart[f] = int(f * 3);

  std::string error;
  SymmetryScene scene(session.desc);
  if (!scene.Valid()) return fail(kExitUnreadable, "the plug-in could not create its modifier");
  const MeshKind targetKind = o_.kind == MeshKind::Patch ? MeshKind::Patch : MeshKind::Triangle;
  Object* targetObject = BuildHostObject(mesh3, targetKind, error);
  if (targetObject == nullptr) return fail(kExitUnreadable, label + ": " + error);
  if (!baseSelection_.empty()) ApplyVertexSelection(targetObject, baseSelection_);
  const PositionsView basePositions = ObjectPositionsView(targetObject);
  scene.AddTarget("base", targetObject);
  if (!o_.asymmetry.empty()) {
    INode* asymNode = scene.AddNode(NodeNameForFile(o_.asymmetry), BuildHostObject(asymmetry_, MeshKind::Triangle, error));
    scene.params()->SetValue(kAsymNodeParam, 0, asymNode);
  }
  if (!o_.settings->ApplyTo(scene.params(), error)) return fail(kExitUsage, "apply: " + error);
  if (!o_.deriveFrom.empty() || !o_.deriveTo.empty()) scene.params()->SetValue(kOperationParam, 0, 1);
  MirrorSetup setup;
  setup.operation = scene.params()->GetInt(kOperationParam);
  setup.axis = std::clamp(scene.params()->GetInt(kMirrorAxisParam), 0, 2);
  setup.offset = scene.params()->GetFloat(kAxisOffsetParam);
  setup.direction = scene.params()->GetInt(kDirectionParam);

  const std::vector<float> baseNormals = file_.Base(mesh, primitive, MorphAttribute::Normal);
  const std::vector<float> baseTangents = file_.Base(mesh, primitive, MorphAttribute::Tangent);
  std::vector<int> partners;  // by position when normals or tangents first need them, unless by topology
  if (o_.pairing == PairingKind::kTopology) {
    const std::string refusal = WhyHandedPartnersWouldNotBeKept(scene.params());
    if (!refusal.empty()) return fail(kExitUsage, refusal);
    PairingRequest request;
    request.kind = PairingKind::kTopology;
    request.axis = setup.axis;
    request.offset = setup.offset;
    progress_.Show("pairing " + label + " by topology");
    std::string warning;
    MeshPartners found = FindPartnersToHand(mesh3, request, label, warning);
    if (!found.ok) return fail(kExitUnreadable, found.error);
    if (!warning.empty()) progress_.Say("velomorph: warning: " + warning);
    partners = std::move(found.partners);
  }
  INode* node = nullptr;
  Object* obj = nullptr;
  for (const TargetJob& job : jobs) {
    const std::string name = file_.TargetName(mesh, job.source);
    const std::string status = label + " target " + (name.empty() ? std::to_string(job.source) : "'" + name + "'");
    progress_.Show(status);
    times_.Start();
    const std::vector<float> displacement = file_.Displacement(mesh, primitive, job.source, MorphAttribute::Position);
    for (size_t v = 0; v < n; ++v) {
      mesh3.positions[v] = Point3(base[v * 3] + displacement[v * 3], base[v * 3 + 1] + displacement[v * 3 + 1],
                                  base[v * 3 + 2] + displacement[v * 3 + 2]);
    }
    // The input object of the first target is built, and moved to each next target's positions.
    if (obj == nullptr || !MoveObjectVertices(obj, mesh3.positions)) {
      obj = BuildHostObject(mesh3, o_.kind, error);
      if (obj == nullptr) return fail(kExitUnreadable, label + ": " + error);
      if (!selection_.empty()) ApplyVertexSelection(obj, selection_);
      if (node == nullptr) {
        node = scene.AddInput("input", obj);
        if (o_.pairing == PairingKind::kTopology &&
            !HandPartnersToModifier(scene.modifier(), node, basePositions, partners, setup.axis, error)) {
          return fail(kExitModifierFailed, label + ": " + error);
        }
      } else {
        static_cast<IDerivedObject*>(node->GetObjectRef())->ReferenceObject(obj);
      }
    }
    if (&job != &jobs.front()) scene.Call(L"reset");
    const size_t reportsBefore = GetCOREInterface()->Reports().size();
    Object* evaluated = scene.Evaluate(node);
    times_.Stop(&job == &jobs.front() ? kPairAndApply : kApply);
    if (GetCOREInterface()->Reports().size() != reportsBefore) {
      return fail(kExitModifierFailed, status + ": " + MSTR(GetCOREInterface()->Reports().back()).ToUTF8());
    }
    const PositionsView result = ObjectPositionsView(evaluated);
    const PositionsView input = ObjectPositionsView(obj);
    std::vector<float> written(n * 3);
    std::vector<char> moved(n, 0);
    for (size_t v = 0; v < n; ++v) {
      const Point3 r = result[v];
      const Point3 in = input[v];
      moved[v] = std::memcmp(&r, &in, sizeof(Point3)) != 0;
      for (size_t c = 0; c < 3; ++c) {
        written[v * 3 + c] = moved[v] ? exactDisplacement(r[int(c)], base[v * 3 + c]) : displacement[v * 3 + c];
      }
    }
    if (!o_.quiet) {
      const ApplySummary summary = SummarizeApply(basePositions, input, result, setup);
      progress_.Say("velomorph: " + status + " -> " +
                    (job.destination != job.source ? "'" + file_.TargetName(mesh, job.destination) + "' in " : std::string()) +
                    StreamName(o_.out, false) + ": " + summary.line);
      if (!summary.warning.empty()) progress_.Say("velomorph: warning: " + status + ": " + summary.warning);
    }
    file_.SetDisplacement(mesh, primitive, job.destination, MorphAttribute::Position, std::move(written));

    for (MorphAttribute attribute : {MorphAttribute::Normal, MorphAttribute::Tangent}) {
      const std::vector<float>& baseValues = attribute == MorphAttribute::Normal ? baseNormals : baseTangents;
      if (baseValues.empty() || !file_.HasTarget(mesh, primitive, job.source, attribute)) continue;
      if (partners.empty()) {
        partners.resize(n);
        BuildPartnerTable(reinterpret_cast<const Point3*>(base.data()), int(n),
                          BuildMirrorMatrices(setup.axis, setup.offset), partners.data());
      }
      file_.SetDisplacement(mesh, primitive, job.destination, attribute,
                            followPositions(baseValues, attribute == MorphAttribute::Normal ? 3 : 4,
                                            file_.Displacement(mesh, primitive, job.source, attribute), moved,
                                            partners, setup.axis, setup.operation));
    }
  }
  return kExitOk;
}

int GltfRun::Run(const std::string& pluginPath) {
  progress_.Show("reading " + StreamName(o_.target, true));
  std::string bytes, error;
  if (!ReadFileBytes(o_.target, kMaxGltfFileBytes, bytes, error)) return fail(kExitUnreadable, error);
  std::vector<std::string> externalFiles;
  const GltfExternalReader readExternal = [&](const std::string& uri, std::string& r_bytes, std::string& r_error) {
    const std::string path = inFolderOf(o_.target, uri);
    externalFiles.push_back(path);
    return ReadFileBytes(path, kMaxGltfFileBytes, r_bytes, r_error);
  };
  if (!file_.Load(std::move(bytes), StreamName(o_.target, true), readExternal, error)) return fail(kExitUnreadable, error);
  {
    // The files the glTF file names are inputs too: the result must not replace one of them.
    RunFiles files;
    files.AddInput("--target", o_.target);
    for (const std::string& path : externalFiles) files.AddInput(o_.target + "'s file", path);
    files.AddOutput("--out", o_.out, o_.target);
    if (const std::string clash = files.Clash(); !clash.empty()) return fail(kExitUsage, "apply: " + clash);
  }
  int primitives = 0;
  for (int m = 0; m < file_.MeshCount(); ++m) primitives += file_.PrimitiveCount(m);
  if (primitives != 1) {
    for (const std::string* option : {&o_.selection, &o_.baseSelection, &o_.asymmetry}) {
      if (option->empty()) continue;
      return fail(kExitUsage, "apply: " + *option + " gives one value per vertex of one mesh, and " + o_.target +
                                  " holds " + std::to_string(primitives) +
                                  " mesh primitives: selections and an asymmetry mesh go with a file of one primitive");
    }
  }
  for (auto [path, weights] : {std::pair{&o_.selection, &selection_}, std::pair{&o_.baseSelection, &baseSelection_}}) {
    if (path->empty()) continue;
    SelectionReadResult r = ReadSelectionFile(*path);
    if (!r.ok) return fail(kExitUnreadable, r.error);
    *weights = std::move(r.weights);
  }
  if (!o_.asymmetry.empty()) {
    ObjReadResult r = ReadObjFile(o_.asymmetry);
    if (!r.ok) return fail(kExitUnreadable, r.error);
    asymmetry_ = std::move(r.mesh);
  }
  times_.Stop(kRead);

  PluginSession session;
  if (!OpenPluginSession(pluginPath, session, error)) return fail(kExitUnreadable, error);
  size_t jobCount = 0;
  for (int m = 0; m < file_.MeshCount(); ++m) {
    const std::vector<TargetJob> jobs = jobsOf(m);
    if (file_.PrimitiveCount(m) > 0) jobCount += jobs.size();
    for (int p = 0; p < file_.PrimitiveCount(m) && !jobs.empty(); ++p) {
      if (int code = runPrimitive(m, p, jobs, session); code != kExitOk) return code;
    }
  }
  if (jobCount == 0) {
    std::string what = "no morph target";
    if (!o_.deriveFrom.empty() || !o_.deriveTo.empty()) what += " named *" + o_.deriveFrom;
    if (!o_.targets.empty()) what += " matching '" + o_.targets + "'";
    return fail(kExitMismatch, o_.target + " has " + what + "; nothing was written");
  }

  if (!IsStandardStream(o_.out) && !file_.ExternalReferences().empty()) {
    std::error_code ec;
    const std::string from = folderOf(o_.target).empty() ? "." : folderOf(o_.target);
    const std::string to = folderOf(o_.out).empty() ? "." : folderOf(o_.out);
    if (!std::filesystem::equivalent(FilePath(from), FilePath(to), ec)) {
      return fail(kExitUsage, "apply: " + o_.target + " refers to " + file_.ExternalReferences().front() +
                                  " beside it, which " + o_.out +
                                  " could not find from its folder: write the result beside its source");
    }
  }
  progress_.Show("writing " + StreamName(o_.out, false));
  times_.Start();
  const bool written = WriteFilePieces(o_.out, [&](const auto& put) { return file_.Write(put); }, error);
  times_.Stop(kWrite);
  if (!written) return fail(kExitWriteFailed, error);
  if (!o_.quiet) {
    progress_.Say("velomorph: " + StreamName(o_.out, false) + ": " + std::to_string(jobCount) +
                  (jobCount == 1 ? " target" : " targets") +
                  (file_.Restructured() ? " written, with new accessors appended where the old ones could not take the results"
                                        : " written in place"));
  }
  return kExitOk;
}

}  // namespace

int RunGltfApply(const GltfApplyOptions& options, const std::string& pluginPath, std::ostream& err) {
  ProgressLine progress(err, !options.quiet);
  PhaseTimes times(options.timings, kPhaseNames);
  GltfRun run(options, progress, times);
  const int code = run.Run(pluginPath);
  progress.Finish();
  times.Print(err);
  return code;
}
