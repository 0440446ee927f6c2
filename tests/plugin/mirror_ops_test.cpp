// The vMirrorOps functions as scripts call them (through the host's script bridge): every cache of
// the modifier is reached, wherever the modifier sits, with one change message and one redraw per
// call; ids and names the interface does not have change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_bridge.h"
#include "support/message_recorder.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

// A compound object: its inputs are pipe branches, each one referenced by it.
class CompoundObject : public GeomObject {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  explicit CompoundObject(const std::vector<Object*>& branches) : branches_(branches.size(), nullptr) {
    for (size_t i = 0; i < branches.size(); ++i) ReplaceReference(int(i), branches[i]);
  }
  ~CompoundObject() override { DeleteAllRefs(); }
  Class_ID ClassID() override { return Class_ID(0x51a7e, 0x1); }
  Object* MakeShallowCopy(ChannelMask channels) override { return CreateNewTriObject(); }
  int NumPipeBranches(bool selected) override { return int(branches_.size()); }
  Object* GetPipeBranch(int i, bool selected) override { return branches_[size_t(i)]; }
  int NumRefs() override { return int(branches_.size()); }
  RefTargetHandle GetReference(int i) override { return branches_[size_t(i)]; }
  void SetReference(int i, RefTargetHandle rtarg) override { branches_[size_t(i)] = static_cast<Object*>(rtarg); }

 private:
  std::vector<Object*> branches_;
};

class MirrorOps : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScene();
    target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(5, 3));
    mod = NewModifier();
    Params(mod)->SetValue(kUndefObject, 0, target);
  }
  void TearDown() override {
    recorder.reset();
    ResetScene();
    // An applied modifier went with the last stack that held it.
    if (!applied) mod->DeleteMe();
  }

  INode* sculptNode(const MCHAR* name) {
    INode* node = Scene::Get().CreateNode(name, MakeSymmetricGrid(5, 3));
    Scene::Get().ApplyModifier(node, mod);
    applied = true;
    return node;
  }
  // The caches to watch, each filled by an evaluation, given patch tables too; then the messages
  // and redraws from here on are counted.
  void watch(const std::vector<vLocalMeshData*>& caches) {
    for (vLocalMeshData* c : caches) {
      ASSERT_NE(c, nullptr);
      ASSERT_GT(c->resultVerts.Count(), 0);
      c->vecOwner.SetCount(2);
      c->vecMatch.SetCount(2);
    }
    recorder = std::make_unique<MessageRecorder>(mod);
    redraws = GetCOREInterface()->RedrawCount();
  }
  FPStatus call(const std::string& name) {
    std::string error;
    FPStatus status = CallPublishedFunction(mod, name, &error);
    EXPECT_EQ(status, FPS_OK) << error;
    return status;
  }
  void expectOneChangeAndRedraw() {
    EXPECT_EQ(recorder->Count(REFMSG_CHANGE), 1);
    EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws + 1);
  }

  INode* target = nullptr;
  Modifier* mod = nullptr;
  bool applied = false;
  std::unique_ptr<MessageRecorder> recorder;
  int redraws = 0;
};

TEST_F(MirrorOps, ResetClearsTheResultOfEveryInstancedNode) {
  std::vector<INode*> nodes = {sculptNode(L"a"), sculptNode(L"b"), sculptNode(L"c")};
  for (INode* node : nodes) node->EvalWorldState(0);
  std::vector<vLocalMeshData*> caches = {CacheOf(nodes[0]), CacheOf(nodes[1]), CacheOf(nodes[2])};
  watch(caches);
  call("reset");
  for (vLocalMeshData* c : caches) {
    EXPECT_EQ(c->resultVerts.Count(), 0);
    EXPECT_TRUE(c->resultVerts.HasStorage());  // emptied, not freed
    EXPECT_EQ(c->needsUpdate, 1);
    EXPECT_EQ(c->targetVerts.Count(), 15);
    EXPECT_EQ(c->vertMatch.Count(), 15);
    EXPECT_EQ(c->targetDirty + c->matchDirty, 0);
  }
  expectOneChangeAndRedraw();
}

TEST_F(MirrorOps, ResetTargetReachesBothOccurrencesInOneStack) {
  INode* node = sculptNode(L"twice");
  Scene::Get().ApplyModifier(node, mod);
  node->EvalWorldState(0);
  std::vector<vLocalMeshData*> caches = {CacheOf(node, 0), CacheOf(node, 1)};
  ASSERT_NE(caches[0], caches[1]);
  watch(caches);
  call("resetTarget");
  for (vLocalMeshData* c : caches) {
    EXPECT_EQ(c->targetVerts.Count(), 0);
    EXPECT_EQ(c->vertMatch.Count(), 0);
    EXPECT_EQ(c->vecMatch.Count(), 0);
    EXPECT_EQ(c->vecOwner.Count(), 2);
    EXPECT_EQ(c->targetDirty, 1);
    EXPECT_EQ(c->matchDirty, 1);
    EXPECT_EQ(c->needsUpdate, 0);
    EXPECT_EQ(c->resultVerts.Count(), 15);
  }
  expectOneChangeAndRedraw();
}

TEST_F(MirrorOps, CompoundObjectBranchesAreWalked) {
  IDerivedObject* left = CreateDerivedObject(MakeSymmetricGrid(5, 3));
  IDerivedObject* right = CreateDerivedObject(MakeSymmetricGrid(5, 3));
  left->AddModifier(mod);
  right->AddModifier(mod);
  applied = true;
  Scene::Get().CreateNode(L"compound", new CompoundObject({left, right}));
  // Evaluate each branch as the compound's pipeline would, with its own context.
  for (IDerivedObject* branch : {left, right}) {
    ObjectState os(branch->GetObjRef()->MakeShallowCopy(ALL_CHANNELS));
    mod->ModifyObject(0, *branch->GetModContext(0), &os, nullptr);
    delete os.obj;
  }
  std::vector<vLocalMeshData*> caches = {CacheOf(left->GetModContext(0)), CacheOf(right->GetModContext(0))};
  watch(caches);
  call("reset");
  for (vLocalMeshData* c : caches) EXPECT_EQ(c->needsUpdate, 1);
  expectOneChangeAndRedraw();
}

TEST_F(MirrorOps, UnknownIdsAndNamesChangeNothing) {
  INode* node = sculptNode(L"a");
  node->EvalWorldState(0);
  vLocalMeshData* c = CacheOf(node);
  watch({c});
  std::vector<Point3> result = Elements(c->resultVerts);
  std::string error;
  for (FunctionID fid : {FunctionID(3), FunctionID(4), FunctionID(-1), FunctionID(300)}) {
    EXPECT_EQ(InvokePublishedFunction(mod, kMirrorOpsInterface, fid, &error), FPS_NO_SUCH_FUNCTION) << fid;
  }
  EXPECT_EQ(CallPublishedFunction(mod, "resetEverything", &error), FPS_NO_SUCH_FUNCTION);
  EXPECT_NE(error.find("resetEverything"), std::string::npos) << error;
  EXPECT_NE(error.find("reset, resetTarget, resetMatch"), std::string::npos) << error;
  EXPECT_EQ(Elements(c->resultVerts), result);
  EXPECT_EQ(c->needsUpdate + c->targetDirty + c->matchDirty, 0);
  EXPECT_EQ(recorder->Count(REFMSG_CHANGE), 0);
  EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws);
}

TEST_F(MirrorOps, BridgeSetsParametersByInternalName) {
  std::string error;
  INode* other = Scene::Get().CreateNode(L"other base", MakeSymmetricGrid(5, 3));
  EXPECT_TRUE(SetParameterAssignment(mod, "mirrorAxis=2", &error)) << error;
  EXPECT_TRUE(SetParameterByName(mod, "axisOffset", "-0.25", &error)) << error;
  EXPECT_TRUE(SetParameterByName(mod, "constantUpdate", "false", &error)) << error;
  EXPECT_TRUE(SetParameterByName(mod, "UndefObject", "other base", &error)) << error;
  EXPECT_EQ(Params(mod)->GetInt(kMirrorAxis), 2);
  EXPECT_EQ(Params(mod)->GetFloat(kAxisOffset), -0.25f);
  EXPECT_EQ(Params(mod)->GetInt(kConstantUpdate), 0);
  EXPECT_EQ(Params(mod)->GetINode(kUndefObject), other);

  INode* carrier = sculptNode(L"carrier");
  EXPECT_FALSE(SetParameterByName(mod, "UndefObject", "carrier", &error));
  EXPECT_NE(error.find("depends on"), std::string::npos) << error;
  EXPECT_EQ(Params(mod)->GetINode(kUndefObject), other);
  EXPECT_FALSE(SetParameterByName(mod, "mirrorAxis", "2.5", &error));
  EXPECT_FALSE(SetParameterByName(mod, "axisOffset", "nan", &error));
  EXPECT_FALSE(SetParameterByName(mod, "UndefObject", "nobody", &error));
  EXPECT_FALSE(SetParameterAssignment(mod, "noSuchParameter=1", &error));
  EXPECT_NE(error.find("noSuchParameter"), std::string::npos) << error;
  EXPECT_EQ(Params(mod)->GetInt(kMirrorAxis), 2);
  (void)carrier;
}

}  // namespace
