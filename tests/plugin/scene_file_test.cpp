// Scene files with the plug-in in them: a scene saved and loaded comes back whole (meshes with
// their selections, instanced modifiers, parameters, node references, per-node caches), a frozen
// result replays after loading without the target, and a file that is not a whole, valid scene is
// refused with the scene left as it was.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chunk_stream.h"
#include "scene_file.h"
#include "standin_objects.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

std::string sceneBytes() {
  std::string bytes, error;
  EXPECT_TRUE(SaveSceneToBytes(Scene::Get(), bytes, &error)) << error;
  return bytes;
}

// Header offsets of every chunk with this id, anywhere in the file.
void findChunks(ChunkLoader& in, unsigned short id, std::vector<size_t>& r_offsets) {
  while (in.OpenChunk() == IO_OK) {
    if (in.CurChunkID() == id) r_offsets.push_back(in.CurChunkOffset());
    if (in.CurChunkHasSubChunks()) findChunks(in, id, r_offsets);
    in.CloseChunk();
  }
}
std::vector<size_t> chunksWithId(const std::string& bytes, unsigned short id) {
  std::vector<size_t> offsets;
  ChunkLoader in(bytes, 12);
  findChunks(in, id, offsets);
  return offsets;
}
void putI32(std::string& bytes, size_t at, int v) { std::memcpy(&bytes[at], &v, 4); }

// Ids from the layout in scene_file.h.
constexpr unsigned short kModifierClassChunk = 0x5111;
constexpr unsigned short kParamChunk = 0x5122;
constexpr unsigned short kNodeObjectChunk = 0x5313;
constexpr unsigned short kLocalDataChunk = 0x5254;

class SceneFile : public ::testing::Test {
 protected:
  // base: the target, with selections, soft selection and map channel 1. a, b: sculpts carrying
  // one instanced modifier with constant update off. poly: a polygon mesh carrying a second
  // modifier twice, never evaluated. patch: a patch mesh. shared1, shared2: one object.
  void SetUp() override {
    ResetScene();
    TriObject* baseObj = MakeSymmetricGrid(5, 3);
    Mesh& m = baseObj->GetMesh();
    m.selLevel = MESH_VERTEX;
    m.vertSel.Set(2);
    m.faceSel.Set(1);
    m.edgeSel.Set(5);
    m.setVDataSupport(VDATA_SELECT, TRUE);
    m.vertexFloat(VDATA_SELECT)[4] = 0.25f;
    m.setMapSupport(1, TRUE);
    m.setNumMapVerts(1, 3);
    m.mapVerts(1)[2] = Point3(0.5f, 0.75f, 0.0f);
    m.mapFaces(1)[1].setTVerts(0, 1, 2);
    base = Scene::Get().CreateNode(L"base", baseObj);
    base->SetObjectTM(TransMatrix(Point3(1.0f, 2.0f, 3.0f)));

    a = Scene::Get().CreateNode(L"a", MakeSymmetricGrid(5, 3));
    b = Scene::Get().CreateNode(L"b", MakeSymmetricGrid(5, 3));
    mod = NewModifier();
    Scene::Get().ApplyModifier(a, mod);
    Scene::Get().ApplyModifier(b, mod);
    Params(mod)->SetValue(kUndefObject, 0, base);
    Params(mod)->SetValue(kConstantUpdate, 0, 0);
    Params(mod)->SetValue(kAxisOffset, 0, 0.125f);
    BaseMeshOf(a).verts[3].z += 1.0f;
    BaseMeshOf(b).verts[4].y -= 0.5f;
    frozenA = Positions(EvaluatedMeshOf(a));
    frozenB = Positions(EvaluatedMeshOf(b));

    PolyObject* polyObj = MakeSymmetricPolyGrid(5, 3, true);
    polyObj->GetMesh().V(1)->SetFlag(MN_SEL);
    polyObj->GetMesh().F(0)->SetFlag(MN_DEAD);
    INode* poly = Scene::Get().CreateNode(L"poly", polyObj);
    Modifier* second = NewModifier();
    Scene::Get().ApplyModifier(poly, second);
    Scene::Get().ApplyModifier(poly, second);
    Params(second)->SetValue(kMirrorAxis, 0, 2);

    PatchObject* patchObj = MakeSymmetricPatchGrid(3, 2);
    patchObj->patch.SetSoftSelection(true);
    patchObj->patch.GetVSelectionWeights()[1] = 0.5f;
    patchObj->patch.vertSel.Set(0);
    Scene::Get().CreateNode(L"patch", patchObj);

    TriObject* shared = MakeSymmetricGrid(3, 2);
    Scene::Get().CreateNode(L"shared1", shared);
    Scene::Get().CreateNode(L"shared2", shared);
  }
  void TearDown() override { ResetScene(); }

  // Saves, empties the scene, loads.
  std::string reload() {
    std::string bytes = sceneBytes(), error;
    ResetScene();
    EXPECT_EQ(Scene::Get().NodeCount(), 0);
    EXPECT_TRUE(LoadSceneFromBytes(Scene::Get(), bytes, "test.vms", &error)) << error;
    return bytes;
  }
  INode* node(const MCHAR* name) { return Scene::Get().FindNode(name); }

  INode* base = nullptr;
  INode* a = nullptr;
  INode* b = nullptr;
  Modifier* mod = nullptr;
  std::vector<Point3> frozenA, frozenB;
};

// Where two files first differ, for a readable failure.
std::string firstDifference(const std::string& x, const std::string& y) {
  size_t n = 0;
  while (n < x.size() && n < y.size() && x[n] == y[n]) ++n;
  if (n == x.size() && n == y.size()) return "identical";
  return "first difference at byte " + std::to_string(n) + " of " + std::to_string(x.size()) + " and " +
         std::to_string(y.size());
}

TEST_F(SceneFile, ReloadedSceneSavesToTheSameBytes) {
  std::string first = reload();
  std::string second = sceneBytes();
  // A loaded cache starts with its own resultValid at 0 (the saved value goes to the modifier), so
  // chunk 0x1130 is the only difference after one reload.
  for (size_t at : chunksWithId(first, 0x1130)) putI32(first, at + 6, 0);
  EXPECT_EQ(firstDifference(second, first), "identical");
  reload();
  EXPECT_EQ(firstDifference(sceneBytes(), second), "identical");
}

TEST_F(SceneFile, ReloadKeepsMeshesSelectionsAndTransforms) {
  Mesh before = BaseMeshOf(base);
  std::vector<Point3> polyBefore = Positions(static_cast<PolyObject*>(BaseObjectOf(node(L"poly")))->GetMesh());
  PatchMesh patchBefore = static_cast<PatchObject*>(BaseObjectOf(node(L"patch")))->patch;
  reload();
  ASSERT_EQ(Scene::Get().NodeCount(), 7);
  Mesh& after = BaseMeshOf(node(L"base"));
  EXPECT_EQ(Positions(after), Positions(before));
  EXPECT_EQ(after.numFaces, before.numFaces);
  EXPECT_EQ(after.faces[7].v[2], before.faces[7].v[2]);
  EXPECT_TRUE(after.vertSel == before.vertSel);
  EXPECT_TRUE(after.faceSel == before.faceSel);
  EXPECT_TRUE(after.edgeSel == before.edgeSel);
  EXPECT_EQ(after.selLevel, DWORD(MESH_VERTEX));
  ASSERT_TRUE(after.vDataSupport(VDATA_SELECT));
  EXPECT_EQ(after.vertexFloat(VDATA_SELECT)[4], 0.25f);
  ASSERT_TRUE(after.mapSupport(1));
  EXPECT_EQ(after.mapVerts(1)[2], Point3(0.5f, 0.75f, 0.0f));
  EXPECT_EQ(after.mapFaces(1)[1].t[2], 2u);
  EXPECT_TRUE(node(L"base")->GetObjectTM(0) == TransMatrix(Point3(1.0f, 2.0f, 3.0f)));

  MNMesh& poly = static_cast<PolyObject*>(BaseObjectOf(node(L"poly")))->GetMesh();
  EXPECT_EQ(Positions(poly), polyBefore);
  EXPECT_TRUE(poly.V(1)->GetFlag(MN_SEL));
  EXPECT_TRUE(poly.F(0)->GetFlag(MN_DEAD));
  ASSERT_NE(poly.M(1), nullptr);
  EXPECT_EQ(poly.M(1)->f.size(), size_t(poly.numf));

  PatchMesh& patch = static_cast<PatchObject*>(BaseObjectOf(node(L"patch")))->patch;
  EXPECT_EQ(patch.numVecs, patchBefore.numVecs);
  EXPECT_EQ(patch.patches[1].vec[3], patchBefore.patches[1].vec[3]);
  EXPECT_EQ(patch.vecs[5].vert, patchBefore.vecs[5].vert);
  ASSERT_NE(patch.GetVSelectionWeights(), nullptr);
  EXPECT_EQ(patch.GetVSelectionWeights()[1], 0.5f);
  EXPECT_TRUE(patch.vertSel == patchBefore.vertSel);

  EXPECT_EQ(BaseObjectOf(node(L"shared1")), BaseObjectOf(node(L"shared2")));
}

TEST_F(SceneFile, ReloadKeepsInstancingParametersAndCaches) {
  std::vector<Point3> targetBefore = Elements(CacheOf(a)->targetVerts);
  std::vector<int> partnersBefore = Elements(CacheOf(a)->vertMatch);
  reload();
  Modifier* loaded = StackOf(node(L"a"))->GetModifier(0);
  EXPECT_EQ(StackOf(node(L"b"))->GetModifier(0), loaded);
  EXPECT_EQ(Params(loaded)->GetINode(kUndefObject), node(L"base"));
  EXPECT_EQ(Params(loaded)->GetInt(kConstantUpdate), 0);
  EXPECT_EQ(Params(loaded)->GetFloat(kAxisOffset), 0.125f);
  EXPECT_EQ(Elements(CacheOf(node(L"a"))->resultVerts), frozenA);
  EXPECT_EQ(Elements(CacheOf(node(L"b"))->resultVerts), frozenB);
  EXPECT_EQ(Elements(CacheOf(node(L"a"))->targetVerts), targetBefore);
  EXPECT_EQ(Elements(CacheOf(node(L"a"))->vertMatch), partnersBefore);

  IDerivedObject* polyStack = StackOf(node(L"poly"));
  ASSERT_EQ(polyStack->NumModifiers(), 2);
  EXPECT_EQ(polyStack->GetModifier(0), polyStack->GetModifier(1));
  EXPECT_NE(polyStack->GetModifier(0), loaded);
  EXPECT_EQ(Params(polyStack->GetModifier(0))->GetInt(kMirrorAxis), 2);
  EXPECT_EQ(polyStack->GetModContext(0)->localData, nullptr);
}

TEST_F(SceneFile, FrozenResultReplaysWithoutTheTarget) {
  reload();
  INode* target = node(L"base");
  target->SetObjectRef(nullptr);     // the target's mesh is gone: a capture could not happen
  BaseMeshOf(node(L"a")).verts[8].z += 3.0f;  // and the input moves: the replay ignores it
  EXPECT_EQ(Positions(EvaluatedMeshOf(node(L"a"))), frozenA);
  EXPECT_EQ(Positions(EvaluatedMeshOf(node(L"b"))), frozenB);
  EXPECT_EQ(target->evaluations, 0);
  EXPECT_TRUE(GetCOREInterface()->Reports().empty());
}

TEST_F(SceneFile, RefusedFilesLeaveTheSceneAsItWas) {
  const std::string good = sceneBytes();
  std::vector<INode*> nodes;
  for (int i = 0; i < Scene::Get().NodeCount(); ++i) nodes.push_back(Scene::Get().GetNode(i));
  auto expectRefused = [&](const std::string& bytes, const std::string& why, const char* label) {
    std::string error;
    EXPECT_FALSE(LoadSceneFromBytes(Scene::Get(), bytes, "bad.vms", &error)) << label;
    EXPECT_EQ(error.rfind("bad.vms: ", 0), 0u) << label << ": " << error;
    EXPECT_NE(error.find(why), std::string::npos) << label << ": " << error;
    ASSERT_EQ(Scene::Get().NodeCount(), int(nodes.size())) << label;
    for (size_t i = 0; i < nodes.size(); ++i) EXPECT_EQ(Scene::Get().GetNode(int(i)), nodes[i]) << label;
  };

  expectRefused("", "not a Velomorph scene file", "empty");
  expectRefused("v 1 2 3\nf 1 2 3\n", "not a Velomorph scene file", "a mesh file");
  std::string newer = good;
  newer[8] = 2;
  expectRefused(newer, "version 2", "newer version");
  expectRefused(good + "x", "follows the scene", "trailing byte");

  std::string objectIndex = good;
  putI32(objectIndex, chunksWithId(good, kNodeObjectChunk).at(1) + 6, 99);
  expectRefused(objectIndex, "refers to object 99", "object index");

  std::string unknownClass = good;
  putI32(unknownClass, chunksWithId(good, kModifierClassChunk).at(0) + 10, 0x1234);
  expectRefused(unknownClass, "is not loaded", "modifier class");

  // UndefObject (parameter 0, the first parameter chunk) pointed at node a, which carries the
  // modifier: a reference loop.
  std::string loop = good;
  putI32(loop, chunksWithId(good, kParamChunk).at(0) + 6 + 5, 1);
  expectRefused(loop, "loop", "reference loop");

  std::string damagedLocalData = good;
  size_t local = chunksWithId(good, kLocalDataChunk).at(0);
  putI32(damagedLocalData, local + 6 + 2, 0x7ffffff0);  // its first chunk's length
  expectRefused(damagedLocalData, "damaged", "local data framing");

  for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 7)) {
    std::string cut(good.begin(), good.begin() + long(n));
    std::string error;
    EXPECT_FALSE(LoadSceneFromBytes(Scene::Get(), cut, "cut.vms", &error)) << n;
    ASSERT_EQ(Scene::Get().NodeCount(), int(nodes.size())) << n;
  }
}

TEST_F(SceneFile, MeshIndexOutsideItsMeshIsRefused) {
  ResetScene();
  TriObject* broken = MakeSymmetricGrid(3, 2);
  broken->GetMesh().faces[1].v[2] = 99;
  Scene::Get().CreateNode(L"broken", broken);
  std::string bytes = sceneBytes(), error;
  EXPECT_FALSE(LoadSceneFromBytes(Scene::Get(), bytes, "broken.vms", &error));
  EXPECT_NE(error.find("face 1 names index 99 of 6"), std::string::npos) << error;
}

TEST_F(SceneFile, SaveRefusesObjectsItCannotStore) {
  Scene::Get().CreateNode(L"cloud", new PointCloudObject());
  std::string bytes, error;
  EXPECT_FALSE(SaveSceneToBytes(Scene::Get(), bytes, &error));
  EXPECT_NE(error.find("node 'cloud'"), std::string::npos) << error;
}

TEST_F(SceneFile, FilesOnDisk) {
  std::string dir = ::testing::TempDir();
  std::string path = dir + "/scene_file_test.vms";
  std::string error;
  ASSERT_TRUE(SaveScene(path, &error)) << error;
  ResetScene();
  ASSERT_TRUE(LoadScene(path, &error)) << error;
  EXPECT_EQ(Scene::Get().NodeCount(), 7);
  std::remove(path.c_str());

  EXPECT_FALSE(LoadScene(path, &error));
  EXPECT_EQ(error, path + ": cannot open: No such file or directory");
  std::string nowhere = dir + "/no such folder/scene.vms";
  EXPECT_FALSE(SaveScene(nowhere, &error));
  EXPECT_EQ(error.rfind(nowhere + ": cannot create", 0), 0u) << error;
}

}  // namespace
