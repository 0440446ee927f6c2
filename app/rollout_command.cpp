// velomorph rollout.
#include "rollout_command.h"

#include <memory>
#include <utility>

#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "host_mesh_builder.h"
#include "iparamm2.h"
#include "obj_mesh_file.h"
#include "parameter_options.h"
#include "printable_text.h"
#include "rollout_svg.h"
#include "run_files.h"
#include "scene_io.h"
#include "symmetry_scene.h"
#include "token_text.h"
#include "window_model.h"

namespace {

const char kHelp[] =
    "usage: velomorph rollout --svg FILE [--scene FILE.vms [--node NAME] | --target BASE.obj --input IN.obj] [options]\n"
    "Draws the modifier's rollout as the host shows it: captions, checked and greyed states, the target\n"
    "on its button, after the node is evaluated with the rollout open.\n"
    "\n"
    "  --svg FILE                     where the picture goes (\"-\": standard output)\n"
    "  --scene FILE.vms               the top Velomorph modifier of a saved scene (\"-\": standard input)\n"
    "  --node NAME                    ... of this node of the scene (default: the first that has one)\n"
    "  --target BASE.obj --input IN.obj  a modifier on IN with BASE as its target\n"
    "  --as mesh|poly|patch           the object type of BASE and IN (default poly)\n"
    "  --operation mirror|flip|reset, --axis x|y|z, --offset F, --direction negative|positive,\n"
    "  --align-center on|off          set the parameter as apply does\n"
    "  --set NAME=VALUE               any parameter by its internal name (velomorph info lists them)\n"
    "  --scale N                      pixels per dialog unit, 0.5 to 16 (default 2)\n"
    "  -h, --help                     this help\n"
    "\n"
    "With neither --scene nor --target the rollout is that of a fresh modifier on no node.\n";

struct RolloutOptions {
  std::string scene;
  std::string node;
  std::string target;
  std::string input;
  MeshKind kind = MeshKind::Polygon;
  ParameterSettings settings;
  double scale = 2.0;
  std::string svg;
};

std::vector<OptionForm> optionForms() {
  std::vector<OptionForm> forms = {{"--scene"}, {"--node"}, {"--target"}, {"--input"}, {"--as"}, {"--scale"}, {"--svg"}};
  for (const OptionForm& s : ParameterOptionForms({"--operation", "--axis", "--offset", "--direction", "--align-center",
                                                   "--align-centre", "--set"})) {
    forms.push_back(s);
  }
  return forms;
}

RolloutOptions parseOptions(const CommandWords& words) {
  RolloutOptions o;
  for (const GivenOption& given : words.options) {
    const std::string& a = given.name;
    if (o.settings.Take(given)) continue;
    if (a == "--scene") o.scene = given.value();
    else if (a == "--node") o.node = given.value();
    else if (a == "--target") o.target = given.value();
    else if (a == "--input") o.input = given.value();
    else if (a == "--as") {
      if (!ParseMeshKind(given.value(), o.kind)) throw UsageError{"--as takes mesh|poly|patch, not '" + given.value() + "'"};
    } else if (a == "--scale") {
      float f = 0.0f;
      if (ParseFloatToken(given.value(), f) != FloatTokenStatus::kOk || f < 0.5f || f > 16.0f)
        throw UsageError{"--scale takes a number from 0.5 to 16, not '" + given.value() + "'"};
      o.scale = f;
    } else if (a == "--svg") o.svg = given.value();
  }
  if (o.svg.empty()) throw UsageError{"--svg FILE is required"};
  if (!o.scene.empty() && (!o.target.empty() || !o.input.empty()))
    throw UsageError{"--scene cannot be combined with --target or --input"};
  if (o.target.empty() != o.input.empty()) throw UsageError{"--target and --input go together"};
  if (!o.node.empty() && o.scene.empty()) throw UsageError{"--node names a node of --scene"};
  return o;
}

bool isAmbiflex(Modifier* mod) {
  return mod != nullptr && mod->SuperClassID() == OSM_CLASS_ID && mod->ClassID() == AMBIFLEX_CLASS_ID_FOR_HOST;
}

// The top ambiflex modifier of `node`'s stacks, or null.
Modifier* ambiflexOf(INode* node) {
  Object* obj = node->GetObjectRef();
  while (obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* stack = static_cast<IDerivedObject*>(obj);
    for (int i = 0; i < stack->NumModifiers(); ++i) {
      if (isAmbiflex(stack->GetModifier(i))) return stack->GetModifier(i);
    }
    obj = stack->GetObjRef();
  }
  return nullptr;
}

// What the rollout is drawn for: the modifier, and the node it is evaluated on (null for none).
struct Subject {
  Modifier* modifier = nullptr;
  INode* node = nullptr;
};

// The rollout open for `mod` while the object lives.
class EditSession {
 public:
  explicit EditSession(Modifier* mod) : mod_(mod) { mod_->BeginEditParams(ip(), 0, nullptr); }
  ~EditSession() { mod_->EndEditParams(ip(), 0, nullptr); }
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;
  static IObjParam* ip() { return static_cast<IObjParam*>(GetCOREInterface()); }

 private:
  Modifier* mod_;
};

struct SceneCleanup {
  ~SceneCleanup() { Scene::Get().Clear(); }
};

int countDisabled(HWND dialog) {
  int n = 0;
  for (HWND control : DialogControls(dialog)) {
    std::optional<WindowState> s = DescribeWindow(control);
    if (s && !s->enabled) ++n;
  }
  return n;
}

}  // namespace

int RunRolloutCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                      std::ostream& err) {
  RolloutOptions options;
  if (int stop = ReadCommandOptions("rollout", args, optionForms(), 0, kHelp,
                                     [&](const CommandWords& words) { options = parseOptions(words); }, out, err);
      stop != kCarryOn)
    return stop;
  RunFiles files;
  files.AddInput("--scene", options.scene);
  files.AddInput("--target", options.target);
  files.AddInput("--input", options.input);
  files.AddOutput("--svg", options.svg);
  if (int refused = files.Check("rollout", err); refused != kExitOk) return refused;
  std::string error;
  PluginSession session;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitUnreadable;
  }

  // The scene the rollout is drawn from: a loaded file, a target and an input, or a bare modifier.
  // Either way it is emptied before the plug-in is unloaded.
  SceneCleanup cleanup;
  std::unique_ptr<SymmetryScene> built;
  Subject subject;
  if (!options.scene.empty()) {
    if (!LoadSceneFile(options.scene, error)) {
      err << "velomorph: " << PrintableText(error) << "\n";
      return kExitUnreadable;
    }
    Scene& scene = Scene::Get();
    for (int i = 0; i < scene.NodeCount() && subject.node == nullptr; ++i) {
      INode* node = scene.GetNode(i);
      if (!options.node.empty() && MSTR(node->GetName()).ToUTF8() != options.node) continue;
      if (Modifier* mod = ambiflexOf(node)) subject = {mod, node};
      else if (!options.node.empty()) {
        err << "velomorph: " << PrintableText("node '" + options.node + "' of " + options.scene) << " carries no Velomorph modifier\n";
        return kExitMismatch;
      }
    }
    if (subject.node == nullptr) {
      err << "velomorph: "
          << PrintableText(options.scene + (options.node.empty() ? " has no node with a Velomorph modifier"
                                                                 : " has no node '" + options.node + "'"))
          << "\n";
      return kExitMismatch;
    }
  } else {
    built = std::make_unique<SymmetryScene>(session.desc);
    if (!built->Valid()) {
      err << "velomorph: the plug-in made no modifier\n";
      return kExitUnreadable;
    }
    if (!options.target.empty()) {
      ObjReadResult base = ReadObjFile(options.target);
      ObjReadResult input = base.ok ? ReadObjFile(options.input) : ObjReadResult{};
      if (!base.ok || !input.ok) {
        err << "velomorph: " << PrintableText((base.ok ? input.error : base.error)) << "\n";
        return kExitUnreadable;
      }
      Object* baseObject = BuildHostObject(base.mesh, options.kind, error);
      Object* inputObject = baseObject ? BuildHostObject(input.mesh, options.kind, error) : nullptr;
      if (inputObject == nullptr) {
        if (baseObject != nullptr) baseObject->DeleteThis();
        err << "velomorph: " << PrintableText(error) << "\n";
        return kExitUnreadable;
      }
      built->AddTarget(NodeNameForFile(options.target), baseObject);
      subject.node = built->AddInput(NodeNameForFile(options.input), inputObject);
    }
    subject.modifier = built->modifier();
  }

  IParamBlock2* params = subject.modifier->GetParamBlockByID(0);
  if (!options.settings.ApplyTo(params, error)) {
    err << "velomorph rollout: " << PrintableText(error) << "\n";
    return kExitUsage;
  }

  std::string svg, summary;
  {
    EditSession editing(subject.modifier);
    if (subject.node != nullptr) subject.node->EvalWorldState(GetCOREInterface()->GetTime());
    ClassDesc2* desc = session.desc;
    IParamMap2* map = desc->GetParamMap(desc->GetParamBlockDesc(0));
    HWND dialog = map != nullptr ? map->GetHWnd() : nullptr;
    if (dialog == nullptr) {
      err << "velomorph: the host could not build the rollout";
      for (const std::wstring& report : GetCOREInterface()->Reports()) err << ": " << PrintableText(MSTR(report).ToUTF8());
      err << "\n";
      return kExitUnreadable;
    }
    svg = DrawDialogSvg(dialog, options.scale);
    INode* target = params->GetINode(kTargetParam);
    summary = "rollout \"" + MSTR(DescribeWindow(dialog)->text).ToUTF8() + "\" for " +
              (subject.node ? "node " + MSTR(subject.node->GetName()).ToUTF8() : std::string("a modifier on no node")) +
              ": " + std::to_string(DialogControls(dialog).size()) + " controls, " +
              std::to_string(countDisabled(dialog)) + " disabled, target " +
              (target ? MSTR(target->GetName()).ToUTF8() : std::string("none"));
  }
  if (!WriteFileBytes(options.svg, svg, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitWriteFailed;
  }
  // The picture may have taken standard output.
  (IsStandardStream(options.svg) ? err : out) << summary << "; written to " << StreamName(options.svg, false) << "\n";
  return kExitOk;
}
