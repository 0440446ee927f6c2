// One modifier instanced on several nodes: each node evaluates through its own context and cache,
// and the three scripted reset operations reach every cache of the modifier, then notify and redraw
// once per call.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "support/message_recorder.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

constexpr int kColumns = 5, kRows = 3, kVerts = kColumns * kRows;

class ResetOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScene();
    target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(kColumns, kRows));
    mod = NewModifier();
    const wchar_t* names[] = {L"a", L"b", L"c"};
    for (int k = 0; k < 3; ++k) {
      nodes[k] = Scene::Get().CreateNode(names[k], MakeSymmetricGrid(kColumns, kRows));
      Sculpt(BaseMeshOf(nodes[k]), unsigned(k + 1));
      Scene::Get().ApplyModifier(nodes[k], mod);
    }
    Params(mod)->SetValue(kUndefObject, 0, target);
    evaluateAll();
  }
  void TearDown() override { ResetScene(); }

  void evaluateAll() {
    for (INode* node : nodes) node->EvalWorldState(0);
  }
  FPStatus invoke(FunctionID fid) { return MirrorOps(mod)->Invoke(fid, 0); }

  INode* target = nullptr;
  INode* nodes[3] = {};
  Modifier* mod = nullptr;
};

TEST_F(ResetOperations, InstancedModifierEvaluatesEachNodeThroughItsOwnContext) {
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    vLocalMeshData* cache = CacheOf(nodes[k]);
    ASSERT_NE(cache, nullptr);
    for (int other = 0; other < k; ++other) {
      EXPECT_NE(ContextOf(nodes[k]), ContextOf(nodes[other]));
      EXPECT_NE(cache, CacheOf(nodes[other]));
    }
    const Mesh& out = EvaluatedMeshOf(nodes[k]);
    EXPECT_EQ(Elements(cache->resultVerts), Positions(out));
    EXPECT_EQ(cache->resultValid, 1);
    // Each node's own driving side (x > 0, columns 3 and 4) comes through unchanged.
    EXPECT_EQ(out.verts[4], BaseMeshOf(nodes[k]).verts[4]);
    EXPECT_EQ(out.verts[0].z, BaseMeshOf(nodes[k]).verts[4].z);
  }
  EXPECT_NE(EvaluatedMeshOf(nodes[0]).verts[0], EvaluatedMeshOf(nodes[1]).verts[0]);
}

TEST_F(ResetOperations, ResetForgetsEveryResultWithOneChangeAndOneRedraw) {
  MessageRecorder recorder(mod);
  int redraws = GetCOREInterface()->RedrawCount();
  EXPECT_EQ(invoke(0), FPS_OK);
  EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws + 1);
  ASSERT_EQ(recorder.Count(REFMSG_CHANGE), 1);
  EXPECT_EQ(recorder.received.size(), 1u);
  EXPECT_EQ(recorder.received[0].interval, FOREVER);
  EXPECT_EQ(recorder.received[0].part, PartID(PART_ALL));
  for (INode* node : nodes) {
    vLocalMeshData* cache = CacheOf(node);
    EXPECT_EQ(cache->resultVerts.Count(), 0);
    EXPECT_TRUE(cache->resultVerts.HasStorage());
    EXPECT_EQ(cache->needsUpdate, 1);
    EXPECT_EQ(cache->targetVerts.Count(), kVerts);
    EXPECT_EQ(cache->vertMatch.Count(), kVerts);
    EXPECT_EQ(cache->targetDirty, 0);
    EXPECT_EQ(cache->matchDirty, 0);
    EXPECT_EQ(cache->resultValid, 1);
  }
  evaluateAll();
  for (INode* node : nodes) {
    EXPECT_EQ(CacheOf(node)->needsUpdate, 0);
    EXPECT_EQ(CacheOf(node)->resultVerts.Count(), kVerts);
  }
}

TEST_F(ResetOperations, ResetTargetForgetsTargetAndPartnersOnly) {
  Tab<int> owners;
  owners.SetCount(2);
  CacheOf(nodes[0])->setVecOwner(owners);
  Params(mod)->SetValue(kMirrorAxis, 0, 1);
  evaluateAll();
  int redraws = GetCOREInterface()->RedrawCount();
  EXPECT_EQ(invoke(1), FPS_OK);
  EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws + 1);
  for (INode* node : nodes) {
    vLocalMeshData* cache = CacheOf(node);
    EXPECT_EQ(cache->targetDirty, 1);
    EXPECT_EQ(cache->matchDirty, 1);
    EXPECT_EQ(cache->targetVerts.Count(), 0);
    EXPECT_EQ(cache->vertMatch.Count(), 0);
    EXPECT_EQ(cache->resultVerts.Count(), kVerts);
    EXPECT_EQ(cache->needsUpdate, 0);
    EXPECT_EQ(cache->lastAxis, 1);
    EXPECT_EQ(cache->resultValid, 1);
  }
  EXPECT_EQ(CacheOf(nodes[0])->vecOwner.Count(), 2);

  int captures = target->evaluations;
  target->GetObjectRef()->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  evaluateAll();
  EXPECT_GT(target->evaluations, captures);
  for (INode* node : nodes) {
    vLocalMeshData* cache = CacheOf(node);
    EXPECT_EQ(cache->targetDirty, 0);
    EXPECT_EQ(cache->matchDirty, 0);
    EXPECT_EQ(cache->targetVerts.Count(), kVerts);
    EXPECT_EQ(cache->vertMatch.Count(), kVerts);
  }
}

TEST_F(ResetOperations, ResetMatchForgetsThePartnersOnly) {
  EXPECT_EQ(invoke(2), FPS_OK);
  for (INode* node : nodes) {
    vLocalMeshData* cache = CacheOf(node);
    EXPECT_EQ(cache->matchDirty, 1);
    EXPECT_EQ(cache->vertMatch.Count(), 0);
    EXPECT_EQ(cache->targetDirty, 0);
    EXPECT_EQ(cache->targetVerts.Count(), kVerts);
    EXPECT_EQ(cache->resultVerts.Count(), kVerts);
    EXPECT_EQ(cache->needsUpdate, 0);
  }
}

TEST_F(ResetOperations, TwoResetsInARowLeaveTheStateOfOne) {
  invoke(0);
  vLocalMeshData* cache = CacheOf(nodes[1]);
  int flags[] = {cache->resultValid, cache->needsUpdate, cache->targetDirty, cache->matchDirty, cache->lastAxis};
  int counts[] = {cache->resultVerts.Count(), cache->targetVerts.Count(), cache->vertMatch.Count()};
  invoke(0);
  int flagsAgain[] = {cache->resultValid, cache->needsUpdate, cache->targetDirty, cache->matchDirty, cache->lastAxis};
  int countsAgain[] = {cache->resultVerts.Count(), cache->targetVerts.Count(), cache->vertMatch.Count()};
  EXPECT_TRUE(std::equal(std::begin(flags), std::end(flags), std::begin(flagsAgain)));
  EXPECT_TRUE(std::equal(std::begin(counts), std::end(counts), std::begin(countsAgain)));
}

TEST_F(ResetOperations, UnknownFunctionChangesNothing) {
  MessageRecorder recorder(mod);
  int redraws = GetCOREInterface()->RedrawCount();
  FPValue result;
  EXPECT_EQ(MirrorOps(mod)->Invoke(3, 0, result), FPS_NO_SUCH_FUNCTION);
  EXPECT_EQ(MirrorOps(mod)->Invoke(FunctionID(-1), 0), FPS_NO_SUCH_FUNCTION);
  EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws);
  EXPECT_TRUE(recorder.received.empty());
  for (INode* node : nodes) {
    EXPECT_EQ(CacheOf(node)->resultVerts.Count(), kVerts);
    EXPECT_EQ(CacheOf(node)->needsUpdate, 0);
  }
}

TEST_F(ResetOperations, ModifierTwiceInOneStackResetsBothContexts) {
  INode* twice = Scene::Get().CreateNode(L"twice", MakeSymmetricGrid(kColumns, kRows));
  Scene::Get().ApplyModifier(twice, mod);
  Scene::Get().ApplyModifier(twice, mod);
  twice->EvalWorldState(0);
  ASSERT_NE(CacheOf(twice, 0), nullptr);
  ASSERT_NE(CacheOf(twice, 1), nullptr);
  EXPECT_NE(CacheOf(twice, 0), CacheOf(twice, 1));
  MessageRecorder recorder(mod);
  invoke(0);
  EXPECT_EQ(recorder.Count(REFMSG_CHANGE), 1);
  for (int position = 0; position < 2; ++position) {
    EXPECT_EQ(CacheOf(twice, position)->needsUpdate, 1) << position;
    EXPECT_EQ(CacheOf(twice, position)->resultVerts.Count(), 0) << position;
  }
  for (INode* node : nodes) EXPECT_EQ(CacheOf(node)->needsUpdate, 1);
}

TEST_F(ResetOperations, ModifierOnNoNodeStillNotifiesAndRedraws) {
  Modifier* lone = NewModifier();
  {
    MessageRecorder recorder(lone);
    int redraws = GetCOREInterface()->RedrawCount();
    EXPECT_EQ(MirrorOps(lone)->Invoke(1, 0), FPS_OK);
    EXPECT_EQ(recorder.Count(REFMSG_CHANGE), 1);
    EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws + 1);
  }
  lone->DeleteMe();
}

TEST_F(ResetOperations, CacheCloneIsADeepCopyWithFreshFlags) {
  Params(mod)->SetValue(kMirrorAxis, 0, 2);
  nodes[0]->EvalWorldState(0);
  vLocalMeshData* source = CacheOf(nodes[0]);
  source->needsUpdate = 1;
  source->targetDirty = 1;
  source->matchDirty = 1;
  ASSERT_EQ(source->lastAxis, 2);

  std::unique_ptr<LocalModData> copied(static_cast<LocalModData*>(source)->Clone());
  auto* copy = static_cast<vLocalMeshData*>(copied.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->resultValid, source->resultValid);
  EXPECT_EQ(copy->needsUpdate, 0);
  EXPECT_EQ(copy->targetDirty, 0);
  EXPECT_EQ(copy->matchDirty, 0);
  EXPECT_EQ(copy->lastAxis, 0);
  EXPECT_EQ(Elements(copy->resultVerts), Elements(source->resultVerts));
  EXPECT_EQ(Elements(copy->targetVerts), Elements(source->targetVerts));
  EXPECT_EQ(Elements(copy->vertMatch), Elements(source->vertMatch));
  EXPECT_NE(copy->resultVerts.Addr(0), source->resultVerts.Addr(0));
  EXPECT_NE(copy->targetVerts.Addr(0), source->targetVerts.Addr(0));
  EXPECT_NE(copy->vertMatch.Addr(0), source->vertMatch.Addr(0));

  Point3 kept = source->targetVerts[0];
  copy->targetVerts[0] = Point3(9.0f, 9.0f, 9.0f);
  copy->vertMatch[0] = kVerts - 1;
  EXPECT_EQ(source->targetVerts[0], kept);
  EXPECT_NE(source->vertMatch[0], kVerts - 1);
}

TEST_F(ResetOperations, ClonedModifierResetsOnlyItsOwnCaches) {
  RemapDir remap;
  auto* copy = static_cast<Modifier*>(mod->Clone(remap));
  INode* other = Scene::Get().CreateNode(L"other", MakeSymmetricGrid(kColumns, kRows));
  Scene::Get().ApplyModifier(other, copy);
  other->EvalWorldState(0);
  ASSERT_NE(CacheOf(other), nullptr);
  ASSERT_EQ(CacheOf(other)->targetVerts.Count(), kVerts);

  // Turning "Cache Target" off asks the clone's caches, and only those, for a new capture.
  Params(copy)->SetValue(kUpdateResult, 0, 0);
  EXPECT_EQ(CacheOf(other)->targetDirty, 1);
  EXPECT_EQ(CacheOf(other)->targetVerts.Count(), 0);
  for (INode* node : nodes) {
    EXPECT_EQ(CacheOf(node)->targetDirty, 0);
    EXPECT_EQ(CacheOf(node)->targetVerts.Count(), kVerts);
  }
}

}  // namespace
