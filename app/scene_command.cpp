// velomorph scene.
#include "scene_command.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <system_error>

#include "command_options.h"
#include "exit_codes.h"
#include "file_bytes.h"
#include "modstack.h"
#include "patchobj.h"
#include "parameter_options.h"
#include "phase_times.h"
#include "plugin_session.h"
#include "printable_text.h"
#include "progress_line.h"
#include "progress_listener.h"
#include "polyobj.h"
#include "run_files.h"
#include "scene.h"
#include "scene_io.h"
#include "script_bridge.h"
#include "token_text.h"
#include "triobj.h"

namespace {

const char kHelp[] =
    "usage: velomorph scene FILE.vms [options]\n"
    "Loads a saved scene, calls the modifier's published functions and sets parameters on every\n"
    "Velomorph modifier in it, evaluates every node that carries one and writes its mesh as\n"
    "DIR/<node name>.obj. With constant update off the stored results are replayed.\n"
    "\n"
    "  FILE.vms                       the scene (\"-\": standard input)\n"
    "  --call reset|resetTarget|resetMatch   call a published function; repeatable, in order\n"
    "  --operation mirror|flip|reset, --axis x|y|z, --offset F, --direction negative|positive,\n"
    "  --align-center on|off          set the parameter as apply does\n"
    "  --set NAME=VALUE               any parameter by its internal name; node parameters take a node name\n"
    "  --out-dir DIR                  where the meshes go, replacing files of the same names (default: the\n"
    "                                 current folder, where only new files are made: an existing one is refused)\n"
    "  --save FILE.vms                save the scene afterwards, caches included (\"-\": standard output)\n"
    "  --timings                      one line per phase on standard error: timing <phase> <seconds>\n"
    "  --quiet                        no line per mesh written\n"
    "  -h, --help                     this help\n"
    "\n"
    "Exit codes: 0 done, 2 usage (a value out of range too), 3 unreadable or damaged scene, 6 a mesh or\n"
    "the scene could not be written (also: a mesh's file exists in the current folder without --out-dir).\n";

struct SceneOptions {
  std::string scene;
  std::vector<std::string> calls;
  ParameterSettings settings;
  std::string outDir = ".";
  // Only a folder the user named has its files replaced: the default, the current folder, is where
  // the scene's own source meshes often lie (a node is named after the file it was made from).
  bool outDirGiven = false;
  std::string save;
  bool timings = false;
  bool quiet = false;
};

enum Phase { kRead, kCallAndSet, kEvaluate, kWrite, kSave };

std::vector<OptionForm> optionForms() {
  std::vector<OptionForm> forms = {{"--call", OptionForm::kValue, true}, {"--out-dir"}, {"--save"},
                                   {"--timings", OptionForm::kFlag}, {"--quiet", OptionForm::kFlag}};
  for (const OptionForm& s : ParameterOptionForms({"--operation", "--axis", "--offset", "--direction", "--align-center",
                                                   "--align-centre", "--set"})) {
    forms.push_back(s);
  }
  return forms;
}

SceneOptions parseOptions(const CommandWords& words) {
  SceneOptions o;
  for (const GivenOption& given : words.options) {
    const std::string& a = given.name;
    if (o.settings.Take(given)) continue;
    if (a == "--call") {
      const std::string& name = given.value();
      if (name != "reset" && name != "resetTarget" && name != "resetMatch") {
        throw UsageError{"--call takes reset|resetTarget|resetMatch, not '" + name + "'"};
      }
      o.calls.push_back(name);
    } else if (a == "--out-dir") {
      o.outDir = given.value();
      o.outDirGiven = true;
    } else if (a == "--save") {
      o.save = given.value();
    } else if (a == "--timings") {
      o.timings = true;
    } else if (a == "--quiet") {
      o.quiet = true;
    }
  }
  if (words.operands.empty()) throw UsageError{"a scene file FILE.vms is required"};
  o.scene = words.operands.front();
  return o;
}

bool isAmbiflex(Modifier* mod) {
  return mod != nullptr && mod->SuperClassID() == OSM_CLASS_ID && mod->ClassID() == AMBIFLEX_CLASS_ID_FOR_HOST;
}

// The node's stacks, outermost first.
std::vector<IDerivedObject*> stacksOf(INode* node) {
  std::vector<IDerivedObject*> stacks;
  for (Object* obj = node->GetObjectRef(); obj != nullptr && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID;) {
    auto* stack = static_cast<IDerivedObject*>(obj);
    stacks.push_back(stack);
    obj = stack->GetObjRef();
  }
  return stacks;
}

bool carriesModifier(INode* node) {
  for (IDerivedObject* stack : stacksOf(node)) {
    if (stack->NumModifiers() > 0) return true;
  }
  return false;
}

// Every ambiflex modifier of the scene once, in the order the nodes show them.
std::vector<Modifier*> ambiflexModifiers() {
  std::vector<Modifier*> mods;
  std::set<Modifier*> seen;
  for (int i = 0; i < Scene::Get().NodeCount(); ++i) {
    for (IDerivedObject* stack : stacksOf(Scene::Get().GetNode(i))) {
      for (int m = 0; m < stack->NumModifiers(); ++m) {
        Modifier* mod = stack->GetModifier(m);
        if (isAmbiflex(mod) && seen.insert(mod).second) mods.push_back(mod);
      }
    }
  }
  return mods;
}

// A node name is used as a file name only when it cannot reach outside the output folder.
bool usableFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == '/' || c == '\\') return false;
  }
  return true;
}

bool appendPoint(std::string& text, const char* tag, const Point3& p, int components) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  text += tag;
  for (int k = 0; k < components; ++k) {
    text += ' ';
    AppendFloat(text, p[k]);
  }
  text += '\n';
  return true;
}

void appendFace(std::string& text, const std::vector<int>& corners, const std::vector<int>& texCorners) {
  text += 'f';
  for (size_t k = 0; k < corners.size(); ++k) {
    text += ' ' + std::to_string(corners[k] + 1);
    if (!texCorners.empty()) text += '/' + std::to_string(texCorners[k] + 1);
  }
  text += '\n';
}

// The evaluated object as OBJ text, vertex numbering kept; a face naming a vertex outside the mesh
// (a patch corner of none) is left out. False with `r_error` for an object that is no mesh or a
// position that is not a finite number.
bool objText(Object* obj, std::string& r_text, std::string& r_error) {
  r_text.clear();
  std::vector<Point3> positions, uvs;
  std::vector<std::vector<int>> faces, texFaces;
  if (auto* tri = dynamic_cast<TriObject*>(obj)) {
    Mesh& mesh = tri->GetMesh();
    positions.assign(mesh.verts, mesh.verts + mesh.numVerts);
    const TVFace* tf = mesh.mapSupport(1) ? mesh.mapFaces(1) : nullptr;
    if (tf != nullptr && mesh.mapVerts(1) != nullptr) uvs.assign(mesh.mapVerts(1), mesh.mapVerts(1) + mesh.getNumMapVerts(1));
    for (int f = 0; f < mesh.numFaces; ++f) {
      const Face& face = mesh.faces[f];
      faces.push_back({int(face.v[0]), int(face.v[1]), int(face.v[2])});
      texFaces.push_back(uvs.empty() ? std::vector<int>() : std::vector<int>{int(tf[f].t[0]), int(tf[f].t[1]), int(tf[f].t[2])});
    }
  } else if (auto* poly = dynamic_cast<PolyObject*>(obj)) {
    MNMesh& mm = poly->GetMesh();
    for (int i = 0; i < mm.numv; ++i) positions.push_back(mm.P(i));
    const MNMap* map = mm.M(1);
    if (map != nullptr && map->numv > 0) uvs = map->v;
    for (int f = 0; f < mm.numf; ++f) {
      const MNFace* face = mm.F(f);
      if (face->GetFlag(MN_DEAD) || face->deg < 3 || size_t(face->deg) > face->vtx.size()) continue;
      faces.emplace_back(face->vtx.begin(), face->vtx.begin() + face->deg);
      bool mapped = !uvs.empty() && size_t(f) < map->f.size() && map->f[size_t(f)].deg == face->deg &&
                    map->f[size_t(f)].tv.size() >= size_t(face->deg);
      texFaces.push_back(mapped ? std::vector<int>(map->f[size_t(f)].tv.begin(), map->f[size_t(f)].tv.begin() + face->deg)
                                : std::vector<int>());
    }
  } else if (auto* patchObj = dynamic_cast<PatchObject*>(obj)) {
    PatchMesh& pm = patchObj->patch;
    for (int i = 0; i < pm.numVerts; ++i) positions.push_back(pm.verts[i].p);
    for (int p = 0; p < pm.numPatches; ++p) {
      const Patch& patch = pm.patches[p];
      faces.emplace_back(patch.v, patch.v + (patch.type == PATCH_TRI ? 3 : 4));
      texFaces.emplace_back();
    }
  } else {
    r_error = "its evaluated object is not a mesh";
    return false;
  }
  for (size_t i = 0; i < positions.size(); ++i) {
    if (!appendPoint(r_text, "v", positions[i], 3)) {
      r_error = "vertex " + std::to_string(i + 1) + " is not a finite position";
      return false;
    }
  }
  for (const Point3& uv : uvs) {
    if (!appendPoint(r_text, "vt", uv, uv.z != 0.0f ? 3 : 2)) {
      r_error = "a texture coordinate is not a finite number";
      return false;
    }
  }
  for (size_t f = 0; f < faces.size(); ++f) {
    bool inside = true;
    for (int c : faces[f]) inside = inside && c >= 0 && size_t(c) < positions.size();
    if (!inside) continue;
    for (size_t k = 0; k < texFaces[f].size(); ++k) {
      if (texFaces[f][k] < 0 || size_t(texFaces[f][k]) >= uvs.size()) texFaces[f].clear();
    }
    appendFace(r_text, faces[f], texFaces[f]);
  }
  return true;
}

// Scene objects made by the plug-in must go before the plug-in is unloaded.
struct SceneCleaner {
  ~SceneCleaner() { Scene::Get().Clear(); }
};

}  // namespace

int RunSceneCommand(const std::vector<std::string>& args, const std::string& pluginPath, std::ostream& out,
                    std::ostream& err) {
  SceneOptions options;
  if (int stop = ReadCommandOptions("scene", args, optionForms(), 1, kHelp,
                                     [&](const CommandWords& words) { options = parseOptions(words); }, out, err);
      stop != kCarryOn)
    return stop;
  // Saving over the scene that was loaded is how a scene is updated; any other clash is refused.
  RunFiles files;
  files.AddInput("scene", options.scene);
  files.AddOutput("--save", options.save, options.scene);
  if (int refused = files.Check("scene", err); refused != kExitOk) return refused;

  PluginSession session;
  std::string error;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << PrintableText(error) << "\n";
    return kExitUnreadable;
  }
  SceneCleaner cleaner;
  PhaseTimes times(options.timings, {"read", "call-and-set", "evaluate", "write", "save"});
  ProgressLine progress(err, !options.quiet);
  const std::string sceneName = StreamName(options.scene, true);
  progress.Show("reading " + sceneName);
  if (!LoadSceneFile(options.scene, error)) {
    progress.Say("velomorph: " + error);
    return kExitUnreadable;
  }
  times.Stop(kRead);

  std::vector<Modifier*> mods = ambiflexModifiers();
  for (const std::string& call : options.calls) {
    for (Modifier* mod : mods) {
      if (CallPublishedFunction(mod, call, &error) != FPS_OK) {
        progress.Say("velomorph: " + pluginPath + ": " + error);
        return kExitUnreadable;
      }
    }
  }
  // The same range check as every other command: a value the host would clamp silently is refused.
  for (Modifier* mod : mods) {
    if (!options.settings.ApplyTo(mod->GetParamBlockByID(0), error)) {
      progress.Say("velomorph scene: " + error);
      return kExitUsage;
    }
  }
  times.Stop(kCallAndSet);

  std::vector<INode*> written;
  std::set<std::string> names;
  for (int i = 0; i < Scene::Get().NodeCount(); ++i) {
    INode* node = Scene::Get().GetNode(i);
    if (!carriesModifier(node)) continue;
    std::string name = MSTR(node->GetName()).ToUTF8();
    if (!usableFileName(name) || !names.insert(name).second) {
      progress.Say("velomorph: " + sceneName + ": node '" + name + "' " +
                   (usableFileName(name) ? "shares its name with another node" : "cannot be a file name") +
                   ", so its mesh has no file to go to");
      return kExitUnreadable;
    }
    written.push_back(node);
    files.AddOutput("node '" + name + "' as", InFolder(options.outDir, name + ".obj"));
  }
  // The meshes' file names come from the scene, so they are checked once it is loaded.
  if (int refused = files.Check("scene", err); refused != kExitOk) return refused;
  if (!options.outDirGiven) {
    for (INode* node : written) {
      const std::string path = InFolder(options.outDir, MSTR(node->GetName()).ToUTF8() + ".obj");
      std::error_code ec;
      if (std::filesystem::symlink_status(FilePath(path), ec).type() != std::filesystem::file_type::not_found) {
        progress.Say("velomorph: " + StreamName(path, false) +
                     ": exists already; scene replaces files only in a folder given with --out-dir (--out-dir " +
                     options.outDir + " to replace it)");
        return kExitWriteFailed;
      }
    }
  }
  if (written.empty() && options.save.empty()) {
    progress.Say("velomorph scene: " + sceneName + " has no node with a Velomorph modifier: nothing to evaluate or write");
    return kExitOk;
  }
  if (!written.empty() && !MakeDirectories(options.outDir, error)) {
    progress.Say("velomorph: " + error);
    return kExitWriteFailed;
  }
  int exitCode = kExitOk;
  for (INode* node : written) {
    const std::string name = MSTR(node->GetName()).ToUTF8();
    const std::string path = InFolder(options.outDir, name + ".obj");
    const std::string status = "node '" + name + "': evaluating";
    progress.Show(status);
    times.Start();
    Object* evaluated = nullptr;
    {
      // A node whose cache must pair again reports how far the pairing has got.
      const ScopedProgressListener pairing([&](int percent, const std::wstring&) {
        progress.Show(status + (percent < 100 ? ", pairing " + std::to_string(percent) + "%" : ""));
      });
      evaluated = node->EvalWorldState(0).obj;
    }
    times.Stop(kEvaluate);
    progress.Show("node '" + name + "': writing " + path);
    std::string text;
    if (!objText(evaluated, text, error)) {
      progress.Say("velomorph: " + path + ": node '" + name + "': " + error);
      exitCode = std::max(exitCode, kExitUnreadable);
      continue;
    }
    // Without --out-dir even a file made since the check above is not replaced.
    if (!WriteFileBytes(path, text, error, options.outDirGiven)) {
      progress.Say("velomorph: " + error);
      exitCode = kExitWriteFailed;
      continue;
    }
    times.Stop(kWrite);
    if (!options.quiet) progress.Say("velomorph: node '" + name + "' -> " + path);
  }
  for (const std::wstring& report : GetCOREInterface()->Reports()) progress.Say("velomorph: " + MSTR(report).ToUTF8());

  if (!options.save.empty()) {
    times.Start();
    if (!SaveSceneFile(options.save, error)) {
      progress.Say("velomorph: " + error);
      return kExitWriteFailed;
    }
    times.Stop(kSave);
    if (!options.quiet) progress.Say("velomorph: scene saved to " + StreamName(options.save, false));
  }
  progress.Finish();
  times.Print(err);
  return exitCode;
}
