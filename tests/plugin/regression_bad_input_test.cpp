// Bad input reaching the modifier from scenes and scripts, as listed in docs/bad_input.md: coordinates
// that are not finite, empty and one-vertex meshes, targets that are not meshes, and parameter
// values outside their ranges. The modifier never fails an evaluation over them: it works on what it
// can and hands the rest on as it came, with its result flag cleared when nothing could be done.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "light_object.h"
#include "maxapi.h"
#include "../../plugin/resource.h"
#include "scene_file.h"
#include "script_bridge.h"
#include "support/node_cache.h"
#include "support/open_rollout.h"
#include "support/plugin_fixture.h"
#include "windows/window_display.h"

using namespace testing_support;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

bool sameBits(const Point3& a, const Point3& b) { return std::memcmp(&a, &b, sizeof(Point3)) == 0; }

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_WINDOWS();
    ResetScene();
  }
  void TearDown() override { ResetScene(); }

  // A node carrying a new modifier with `target` as its target (null: none).
  INode* carrier(Object* input, INode* target) {
    INode* node = Scene::Get().CreateNode(L"sculpt", input);
    mod = NewModifier();
    Scene::Get().ApplyModifier(node, mod);
    Params(mod)->SetValue(kUndefObject, 0, target);
    return node;
  }
  std::vector<Point3> evaluate(INode* node) {
    GetCOREInterface()->ClearReports();
    std::vector<Point3> out = Positions(EvaluatedMeshOf(node));
    EXPECT_TRUE(GetCOREInterface()->Reports().empty());
    return out;
  }
  // The modifier's result flag as the host shows it: the rollout offers the operations only while the
  // last evaluation produced a result (every test here gives the modifier a target).
  int modifierFlag() {
    OpenRollout rollout(mod);
    return rollout.enabled(IDC_OP_MIRROR) ? 1 : 0;
  }
  // The scene saves, and loads back whole.
  void expectSavesAndLoads() {
    std::string bytes, error;
    ASSERT_TRUE(SaveSceneToBytes(Scene::Get(), bytes, &error)) << error;
    int nodes = Scene::Get().NodeCount();
    ResetScene();
    ASSERT_TRUE(LoadSceneFromBytes(Scene::Get(), bytes, "bad_input.vms", &error)) << error;
    EXPECT_EQ(Scene::Get().NodeCount(), nodes);
  }

  Modifier* mod = nullptr;
};

TEST_F(BadInput, NotFiniteInputCoordinatesReachOnlyTheirOwnPairs) {
  INode* target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
  TriObject* input = MakeSymmetricGrid(5, 3);
  Sculpt(input->GetMesh(), 3);
  INode* node = carrier(input, target);
  for (int op : {0, 1, 2}) {
    Params(mod)->SetValue(kOperation, 0, op);
    Mesh& mesh = BaseMeshOf(node);
    const std::vector<Point3> clean = Positions(mesh);
    const std::vector<Point3> cleanResult = evaluate(node);
    const std::vector<int> partners = Elements(CacheOf(node)->vertMatch);
    ASSERT_EQ(partners.size(), clean.size());

    const std::vector<int> bad = {1, 7};
    mesh.verts[1] = Point3(kNaN, 0.0f, 0.0f);
    mesh.verts[7] = Point3(0.0f, -kInf, 0.0f);
    MirrorOps(mod)->Invoke(0);  // reset, so the changed input is evaluated
    const std::vector<Point3> result = evaluate(node);
    ASSERT_EQ(result.size(), clean.size());
    EXPECT_EQ(modifierFlag(), 1);
    for (size_t i = 0; i < result.size(); ++i) {
      bool touched = false;
      for (int b : bad) touched = touched || int(i) == b || partners[i] == b;
      if (!touched) {
        EXPECT_TRUE(sameBits(result[i], cleanResult[i])) << "operation " << op << ", vertex " << i;
      }
    }
    for (size_t i = 0; i < clean.size(); ++i) mesh.verts[i] = clean[i];
    MirrorOps(mod)->Invoke(0);
  }
}

TEST_F(BadInput, NotFiniteTargetCoordinatesPairWithThemselvesAndSaveAndLoad) {
  INode* target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
  TriObject* input = MakeSymmetricGrid(5, 3);
  Sculpt(input->GetMesh(), 4);
  INode* node = carrier(input, target);
  const std::vector<Point3> cleanResult = evaluate(node);
  const std::vector<int> cleanPartners = Elements(CacheOf(node)->vertMatch);

  const int bad = 3;
  BaseMeshOf(target).verts[bad] = Point3(kInf, kNaN, 0.0f);
  MirrorOps(mod)->Invoke(1);  // resetTarget: capture the damaged target
  const std::vector<Point3> result = evaluate(node);
  const std::vector<int> partners = Elements(CacheOf(node)->vertMatch);
  ASSERT_EQ(result.size(), cleanResult.size());
  EXPECT_EQ(partners[bad], bad);
  for (size_t i = 0; i < result.size(); ++i) {
    if (int(i) == bad || cleanPartners[i] == bad) continue;
    EXPECT_EQ(partners[i], cleanPartners[i]) << i;
    EXPECT_TRUE(sameBits(result[i], cleanResult[i])) << i;
  }
  expectSavesAndLoads();
}

TEST_F(BadInput, EmptyMeshesPassThroughUnchanged) {
  // Empty input and empty target; an empty input against a full target; a full input against an
  // empty target.
  INode* empty = Scene::Get().CreateNode(L"empty base", MakeTriObject({}));
  INode* full = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(3, 2));
  INode* node = carrier(MakeTriObject({}), empty);
  EXPECT_TRUE(evaluate(node).empty());
  Params(mod)->SetValue(kUndefObject, 0, full);
  MirrorOps(mod)->Invoke(1);
  EXPECT_TRUE(evaluate(node).empty());
  EXPECT_EQ(modifierFlag(), 0);
  expectSavesAndLoads();

  ResetScene();
  empty = Scene::Get().CreateNode(L"empty base", MakeTriObject({}));
  TriObject* input = MakeSymmetricGrid(3, 2);
  Sculpt(input->GetMesh(), 5);
  const std::vector<Point3> positions = Positions(input->GetMesh());
  node = carrier(input, empty);
  EXPECT_EQ(evaluate(node), positions);
  EXPECT_EQ(modifierFlag(), 0);
  expectSavesAndLoads();
}

TEST_F(BadInput, OneVertexMeshesEvaluateAndResetToTheTarget) {
  for (const Point3& base : {Point3(0.5f, 0.25f, 0.0f), Point3(0.0f, 1.0f, 2.0f)}) {
    ResetScene();
    INode* target = Scene::Get().CreateNode(L"base", MakeTriObject({base}));
    const Point3 sculpted = base + Point3(0.125f, -0.5f, 0.25f);
    INode* node = carrier(MakeTriObject({sculpted}), target);
    for (int op : {0, 1}) {
      Params(mod)->SetValue(kOperation, 0, op);
      MirrorOps(mod)->Invoke(0);
      std::vector<Point3> result = evaluate(node);
      ASSERT_EQ(result.size(), 1u);
      EXPECT_TRUE(std::isfinite(result[0].x) && std::isfinite(result[0].y) && std::isfinite(result[0].z));
      EXPECT_EQ(modifierFlag(), 1);
    }
    Params(mod)->SetValue(kOperation, 0, 2);
    MirrorOps(mod)->Invoke(0);
    EXPECT_EQ(evaluate(node), std::vector<Point3>{base});
    expectSavesAndLoads();
  }
}

TEST_F(BadInput, TargetsThatAreNotMeshesLeaveTheInputUnchanged) {
  TriObject* input = MakeSymmetricGrid(5, 3);
  Sculpt(input->GetMesh(), 6);
  const std::vector<Point3> positions = Positions(input->GetMesh());
  INode* mesh = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
  INode* node = carrier(input, mesh);
  ASSERT_NE(evaluate(node), positions);
  ASSERT_EQ(modifierFlag(), 1);

  INode* nothing = Scene::Get().CreateNode(L"no object", nullptr);
  INode* lamp = Scene::Get().CreateNode(L"lamp", new LightObject());
  for (INode* notAMesh : {nothing, lamp}) {
    ASSERT_TRUE(Params(mod)->SetValue(kUndefObject, 0, notAMesh));
    MirrorOps(mod)->Invoke(1);  // resetTarget, as picking does
    EXPECT_EQ(evaluate(node), positions);
    EXPECT_EQ(modifierFlag(), 0);
  }
  // A light cannot be stored in a scene file (saving refuses it by name); a node without an object can.
  Params(mod)->SetValue(kUndefObject, 0, nothing);
  Scene::Get().DeleteNode(lamp);
  expectSavesAndLoads();
}

TEST_F(BadInput, OutOfRangeParametersFromScriptsAreClampedOrRefused) {
  INode* target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
  TriObject* input = MakeSymmetricGrid(5, 3);
  Sculpt(input->GetMesh(), 8);
  INode* node = carrier(input, target);
  IParamBlock2* pb = Params(mod);
  const std::vector<std::pair<std::string, std::string>> settings = {
      {"mirrorAxis", "7"},      {"mirrorAxis", "-3"},         {"operation", "9"},      {"direction", "-1"},
      {"asynType", "5"},        {"UVDominance", "2"},         {"axisOffset", "1e30"},  {"axisOffset", "-1e30"},
      {"axisOffset", "inf"},    {"displaySize", "-5"},        {"displaySize", "0"},    {"constantUpdate", "2"},
      {"ignoreSO", "-1"},       {"mirrorAxis", "99999999999"}, {"operation", "1.5"},   {"axisOffset", "0x10"}};
  for (const auto& [name, value] : settings) {
    std::string error;
    const ParamDef* def = nullptr;
    for (int i = 0; i < pb->NumParams(); ++i) {
      if (name == std::string(MSTR(pb->GetDesc()->GetParamDefByIndex(i).int_name).ToUTF8())) {
        def = &pb->GetDesc()->GetParamDefByIndex(i);
      }
    }
    ASSERT_NE(def, nullptr) << name;
    const bool isFloat = def->type == TYPE_FLOAT || def->type == TYPE_WORLD;
    const float beforeF = isFloat ? pb->GetFloat(def->ID) : 0.0f;
    const int beforeI = isFloat ? 0 : pb->GetInt(def->ID);
    const bool set = SetParameterByName(mod, name, value, &error);
    if (!set) {
      EXPECT_NE(error.find(name), std::string::npos) << name << "=" << value << ": " << error;
      EXPECT_TRUE(isFloat ? pb->GetFloat(def->ID) == beforeF : pb->GetInt(def->ID) == beforeI) << name;
    } else if (isFloat) {
      float v = pb->GetFloat(def->ID);
      EXPECT_TRUE(std::isfinite(v)) << name << "=" << value;
      if (def->hasRange) {
        EXPECT_TRUE(v >= def->range_low.f && v <= def->range_high.f) << name << "=" << value;
      }
    } else {
      int v = pb->GetInt(def->ID);
      if (def->hasRange) {
        EXPECT_TRUE(v >= def->range_low.i && v <= def->range_high.i) << name << "=" << value;
      }
      if (def->type == TYPE_BOOL) {
        EXPECT_TRUE(v == 0 || v == 1) << name << "=" << value;
      }
    }
    MirrorOps(mod)->Invoke(0);
    EXPECT_EQ(evaluate(node).size(), 15u) << name << "=" << value;
  }
}

TEST_F(BadInput, OutOfRangeParameterInASceneFileLoadsClamped) {
  INode* target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
  carrier(MakeSymmetricGrid(5, 3), target);
  std::string bytes, error;
  ASSERT_TRUE(SaveSceneToBytes(Scene::Get(), bytes, &error)) << error;
  // Parameter chunks (0x5122) hold i32 id, u8 kind, i32 value: mirrorAxis (id 1) stored as 9.
  size_t found = 0;
  for (size_t at = 12; at + 15 <= bytes.size(); ++at) {
    int id = 0;
    std::memcpy(&id, &bytes[at + 6], 4);
    if (bytes.compare(at, 6, std::string("\x22\x51\x09\x00\x00\x00", 6)) == 0 && id == kMirrorAxis) {
      const int stored = 9;
      std::memcpy(&bytes[at + 11], &stored, 4);
      ++found;
    }
  }
  ASSERT_EQ(found, 1u);
  ResetScene();
  ASSERT_TRUE(LoadSceneFromBytes(Scene::Get(), bytes, "clamped.vms", &error)) << error;
  Modifier* loaded = StackOf(Scene::Get().FindNode(L"sculpt"))->GetModifier(0);
  EXPECT_EQ(Params(loaded)->GetInt(kMirrorAxis), 2);
  GetCOREInterface()->ClearReports();
  EXPECT_EQ(Positions(EvaluatedMeshOf(Scene::Get().FindNode(L"sculpt"))).size(), 15u);
  EXPECT_TRUE(GetCOREInterface()->Reports().empty());
}

}  // namespace
