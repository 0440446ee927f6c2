// velomorph scene, run as a user runs it, on scene files this test saves through the host with the
// plug-in loaded: meshes written per modified node, the frozen result replayed, published functions
// and parameter settings applied, and files that are not whole scenes refused.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "cli_fixture.h"
#include "host_mesh_builder.h"
#include "obj_mesh_file.h"
#include "plugin_session.h"
#include "polyobj.h"
#include "scene_file.h"
#include "symmetry_scene.h"

namespace {

// The plug-in, loaded once for the test program so that scenes can be built and saved here.
ClassDesc2* modifierClass() {
  static PluginSession* session = [] {
    auto* s = new PluginSession();
    std::string error;
    if (!OpenPluginSession(VELOMORPH_PLUGIN_PATH, *s, error)) ADD_FAILURE() << error;
    return s;
  }();
  return session->desc;
}

// The grid's faces with one texture coordinate per vertex ("f a/a b/b ...").
std::string withTexCoords(const std::string& obj, size_t vertices) {
  std::istringstream in(obj);
  std::string text;
  for (size_t i = 0; i < vertices; ++i) text += "vt " + std::to_string(0.1 * double(i)) + " 0.5\n";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("f ", 0) != 0) {
      text += line + "\n";
      continue;
    }
    std::istringstream corners(line.substr(2));
    text += "f";
    for (std::string c; corners >> c;) text += " " + c + "/" + c;
    text += "\n";
  }
  return text;
}

Object* objectFrom(const std::string& text, MeshKind kind) {
  ObjReadResult r = ParseObjText(text, "grid");
  EXPECT_TRUE(r.ok) << r.error;
  std::string error;
  return BuildHostObject(r.mesh, kind, error);
}

class SceneCommand : public CliTest {
 protected:
  // Saves `name`: "base" (the target), "head" (a textured polygon mesh) and "tail" (a triangle
  // mesh), both carrying one instanced modifier, evaluated once; `before` runs on the scene first
  // and `after` once the evaluated results are recorded in `frozen`, just before saving.
  void saveScene(const std::string& name, const std::function<void(SymmetryScene&)>& before,
                 const std::function<void(SymmetryScene&)>& after = nullptr, const std::string& headName = "head") {
    SymmetryScene scene(modifierClass());
    ASSERT_TRUE(scene.Valid());
    scene.AddTarget("base", objectFrom(grid.ObjText(grid.Base()), MeshKind::Polygon));
    INode* head = scene.AddInput(headName, objectFrom(withTexCoords(grid.ObjText(grid.Sculpt()), 15), MeshKind::Polygon));
    INode* tail = scene.AddInput("tail", objectFrom(grid.ObjText(grid.Sculpt()), MeshKind::Triangle));
    if (before) before(scene);
    frozenHead = ObjectPositions(scene.Evaluate(head));
    frozenTail = ObjectPositions(scene.Evaluate(tail));
    if (after) after(scene);
    std::string error;
    ASSERT_TRUE(SaveScene(Path(name), &error)) << error;
    if (after) {
      // What a full evaluation makes of the scene as saved.
      scene.Call(L"resetTarget");
      scene.Call(L"reset");
      rebuiltHead = ObjectPositions(scene.Evaluate(head));
    }
  }
  // The base moved along the mirror axis after the evaluation: a new capture puts the centre
  // vertices somewhere else.
  static void moveTarget(SymmetryScene& scene) {
    MNMesh& mm = static_cast<PolyObject*>(Scene::Get().FindNode(L"base")->GetObjectRef())->GetMesh();
    for (int i = 0; i < mm.numv; ++i) mm.P(i).x += 0.125f;
    Scene::Get().FindNode(L"base")->SetObjectRef(Scene::Get().FindNode(L"base")->GetObjectRef());
  }
  static void freeze(SymmetryScene& scene) { scene.params()->SetValue(5, 0, 0); }

  MirrorGrid grid{0};
  std::vector<Point3> frozenHead, frozenTail, rebuiltHead;
};

TEST_F(SceneCommand, WritesEveryNodeThatCarriesAModifier) {
  saveScene("s.vms", nullptr);
  RunResult r = Run({"scene", "s.vms", "--out-dir", "out"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "velomorph: node 'head' -> out/head.obj\nvelomorph: node 'tail' -> out/tail.obj\n");
  EXPECT_EQ(Entries("out"), (std::vector<std::string>{"head.obj", "tail.obj"}));
  ExpectPositions(ReadPositions("out/head.obj"), frozenHead, 0.0f);
  ExpectPositions(ReadPositions("out/tail.obj"), frozenTail, 0.0f);
  ObjReadResult head = ReadObjFile(Path("out/head.obj"));
  ASSERT_TRUE(head.ok) << head.error;
  EXPECT_EQ(head.mesh.NumFaces(), 8);
  EXPECT_EQ(head.mesh.texCoords.size(), 15u);
  EXPECT_TRUE(head.mesh.FaceHasTexCoords(0));
  ObjReadResult tail = ReadObjFile(Path("out/tail.obj"));
  ASSERT_TRUE(tail.ok) << tail.error;
  EXPECT_EQ(tail.mesh.NumFaces(), 16);
  EXPECT_TRUE(tail.mesh.texCoords.empty());
}

TEST_F(SceneCommand, ReplaysTheStoredResultUntilAFunctionOrSettingAsksForMore) {
  saveScene("s.vms", freeze, moveTarget);
  ASSERT_NE(rebuiltHead, frozenHead);

  RunResult r = Run({"scene", "s.vms"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ExpectPositions(ReadPositions("head.obj"), frozenHead, 0.0f);
  ExpectPositions(ReadPositions("tail.obj"), frozenTail, 0.0f);

  r = Run({"scene", "s.vms", "--call", "resetTarget", "--call", "reset", "--out-dir", "called"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ExpectPositions(ReadPositions("called/head.obj"), rebuiltHead, 0.0f);

  // Setting updateResult asks every cache for a new capture, as a script setting it would.
  r = Run({"scene", "s.vms", "--set", "updateResult=on", "--out-dir", "set"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ExpectPositions(ReadPositions("set/head.obj"), rebuiltHead, 0.0f);
}

TEST_F(SceneCommand, SavedSceneReplaysWhatThisRunMade) {
  saveScene("s.vms", freeze, moveTarget);
  RunResult r = Run({"scene", "s.vms", "--call", "resetTarget", "--call", "reset", "--out-dir", "a", "--save", "again.vms"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = Run({"scene", "again.vms", "--out-dir", "b"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ExpectPositions(ReadPositions("b/head.obj"), rebuiltHead, 0.0f);
  EXPECT_EQ(Read("a/tail.obj"), Read("b/tail.obj"));
}

TEST_F(SceneCommand, UsageErrors) {
  saveScene("s.vms", nullptr);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"scene"},
           {"scene", "s.vms", "--call", "flip"},
           {"scene", "s.vms", "--set", "mirrorAxis"},
           {"scene", "s.vms", "--frobnicate"},
           {"scene", "s.vms", "t.vms"},
           {"scene", "s.vms", "--set", "mirrorAxis=sideways"},
           {"scene", "s.vms", "--set", "UndefObject=nobody"},
           {"scene", "s.vms", "--set", "noSuchParameter=1"}}) {
    RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    ASSERT_EQ(r.ErrLines().size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("velomorph scene: ", 0), 0u) << r.err;
  }
  EXPECT_FALSE(Exists("head.obj"));
}

TEST_F(SceneCommand, FilesThatAreNotWholeScenesAreRefused) {
  saveScene("s.vms", nullptr);
  std::string whole = Read("s.vms");
  Write("cut.vms", whole.substr(0, whole.size() / 2));
  Write("mesh.vms", grid.ObjText(grid.Base()));
  for (const auto& [file, why] : std::vector<std::pair<std::string, std::string>>{
           {"missing.vms", "cannot open"}, {"cut.vms", "damaged"}, {"mesh.vms", "not a Velomorph scene file"}}) {
    RunResult r = Run({"scene", file, "--out-dir", "out"});
    EXPECT_EQ(r.exitCode, 3) << file;
    ASSERT_EQ(r.ErrLines().size(), 1u) << r.err;
    EXPECT_NE(r.err.find(file + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
  }
  EXPECT_FALSE(Exists("out"));
}

TEST_F(SceneCommand, NodeNameThatLeavesTheFolderIsRefused) {
  saveScene("s.vms", nullptr, nullptr, "../head");
  RunResult r = Run({"scene", "s.vms", "--out-dir", "out"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("'../head' cannot be a file name"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists("head.obj"));
  EXPECT_FALSE(Exists("out"));
}

}  // namespace

namespace {

// apply --save-scene keeps what the run made: loading the scene with constant update off hands
// back the very result apply wrote, without the base file.
TEST_F(SceneCommand, ApplySavesASceneThatReplaysItsResult) {
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", grid.ObjText(grid.Sculpt()));
  RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "applied.obj", "--set",
                     "constantUpdate=0", "--save-scene", "saved.vms"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = Run({"scene", "saved.vms", "--out-dir", "replayed"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ExpectPositions(ReadPositions("replayed/sculpt.obj"), ReadPositions("applied.obj"), 0.0f);
}

}  // namespace
