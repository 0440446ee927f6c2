// velomorph scene.
#include "scene_command.h"

#include <cmath>
#include <set>

#include "exit_codes.h"
#include "file_bytes.h"
#include "modstack.h"
#include "patchobj.h"
#include "plugin_session.h"
#include "polyobj.h"
#include "run_files.h"
#include "scene.h"
#include "scene_file.h"
#include "script_bridge.h"
#include "token_text.h"
#include "triobj.h"

namespace {

struct SceneOptions {
  std::string scene;
  std::vector<std::string> calls;
  std::vector<std::string> settings;
  std::string outDir = ".";
  std::string save;
};

struct UsageError {
  std::string message;
};

SceneOptions parseOptions(const std::vector<std::string>& args) {
  SceneOptions o;
  auto next = [&](size_t& i) -> const std::string& {
    if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) throw UsageError{args[i] + " needs a value"};
    return args[++i];
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--call") {
      const std::string& name = next(i);
      if (name != "reset" && name != "resetTarget" && name != "resetMatch") {
        throw UsageError{"--call takes reset|resetTarget|resetMatch, not '" + name + "'"};
      }
      o.calls.push_back(name);
    } else if (a == "--set") {
      const std::string& v = next(i);
      if (v.find('=') == std::string::npos || v[0] == '=') throw UsageError{"--set takes NAME=VALUE, not '" + v + "'"};
      o.settings.push_back(v);
    } else if (a == "--out-dir") {
      o.outDir = next(i);
    } else if (a == "--save") {
      o.save = next(i);
    } else if (a.rfind("--", 0) == 0) {
      throw UsageError{"unknown option '" + a + "'"};
    } else if (o.scene.empty()) {
      o.scene = a;
    } else {
      throw UsageError{"one scene file only, not also '" + a + "'"};
    }
  }
  if (o.scene.empty()) throw UsageError{"a scene file FILE.vms is required"};
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
  try {
    options = parseOptions(args);
  } catch (const UsageError& e) {
    err << "velomorph scene: " << e.message << "\n";
    return kExitUsage;
  }
  // Saving over the scene that was loaded is how a scene is updated; any other clash is refused.
  RunFiles files;
  files.AddInput("scene", options.scene);
  files.AddOutput("--save", options.save, options.scene);
  if (int refused = files.Check("scene", err); refused != kExitOk) return refused;

  PluginSession session;
  std::string error;
  if (!OpenPluginSession(pluginPath, session, error)) {
    err << "velomorph: " << error << "\n";
    return kExitUnreadable;
  }
  SceneCleaner cleaner;
  if (!LoadScene(options.scene, &error)) {
    err << "velomorph: " << error << "\n";
    return kExitUnreadable;
  }

  std::vector<Modifier*> mods = ambiflexModifiers();
  for (const std::string& call : options.calls) {
    for (Modifier* mod : mods) {
      if (CallPublishedFunction(mod, call, &error) != FPS_OK) {
        err << "velomorph: " << pluginPath << ": " << error << "\n";
        return kExitUnreadable;
      }
    }
  }
  for (const std::string& setting : options.settings) {
    for (Modifier* mod : mods) {
      if (!SetParameterAssignment(mod, setting, &error)) {
        err << "velomorph scene: " << error << "\n";
        return kExitUsage;
      }
    }
  }

  std::vector<INode*> written;
  std::set<std::string> names;
  for (int i = 0; i < Scene::Get().NodeCount(); ++i) {
    INode* node = Scene::Get().GetNode(i);
    if (!carriesModifier(node)) continue;
    std::string name = MSTR(node->GetName()).ToUTF8();
    if (!usableFileName(name) || !names.insert(name).second) {
      err << "velomorph: " << options.scene << ": node '" << name << "' "
          << (usableFileName(name) ? "shares its name with another node" : "cannot be a file name")
          << ", so its mesh has no file to go to\n";
      return kExitUnreadable;
    }
    written.push_back(node);
    files.AddOutput("node '" + name + "' as", options.outDir + "/" + name + ".obj");
  }
  // The meshes' file names come from the scene, so they are checked once it is loaded.
  if (int refused = files.Check("scene", err); refused != kExitOk) return refused;
  if (!written.empty() && !MakeDirectories(options.outDir, error)) {
    err << "velomorph: " << error << "\n";
    return kExitUnreadable;
  }
  int exitCode = kExitOk;
  for (INode* node : written) {
    const std::string name = MSTR(node->GetName()).ToUTF8();
    const std::string path = options.outDir + "/" + name + ".obj";
    std::string text;
    if (!objText(node->EvalWorldState(0).obj, text, error)) {
      err << "velomorph: " << path << ": node '" << name << "': " << error << "\n";
      exitCode = kExitUnreadable;
      continue;
    }
    if (!WriteFileBytes(path, text, error)) {
      err << "velomorph: " << error << "\n";
      exitCode = kExitUnreadable;
    }
  }
  for (const std::wstring& report : GetCOREInterface()->Reports()) err << "velomorph: " << MSTR(report).ToUTF8() << "\n";

  if (!options.save.empty() && !SaveScene(options.save, &error)) {
    err << "velomorph: " << error << "\n";
    return kExitUnreadable;
  }
  return exitCode;
}
