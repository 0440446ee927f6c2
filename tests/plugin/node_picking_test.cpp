// Picking the target and the asymmetry node from the rollout: which nodes may be picked, what a
// pick writes and resets, the undo step it makes, and how the pick mode ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "../../plugin/resource.h"
#include "maxapi.h"
#include "hold.h"
#include "light_object.h"
#include "support/node_cache.h"
#include "support/open_rollout.h"
#include "support/sculpt_scene.h"
#include "windows/window_display.h"

using namespace testing_support;

namespace {

class NodePicking : public SculptScene {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_WINDOWS();
    buildScene(MakeSymmetricGrid(5, 3), MakeSymmetricGrid(5, 3), false);
    theHold.Flush();
    other = Scene::Get().CreateNode(L"other", MakeSymmetricGrid(5, 3));
    lamp = Scene::Get().CreateNode(L"Omni01", new LightObject());
    rollout = std::make_unique<OpenRollout>(mod);
  }
  void TearDown() override {
    rollout.reset();
    SculptScene::TearDown();
    theHold.Flush();
  }

  bool picking() const { return GetCOREInterface()->GetCurPickMode() != nullptr; }
  INode* target() { return Params(mod)->GetINode(kUndefObject); }
  INode* asymmetry() { return Params(mod)->GetINode(kAsymNode); }
  bool offeredByName(INode* node) {
    std::vector<INode*> list = PickByNameList();
    return std::find(list.begin(), list.end(), node) != list.end();
  }

  INode*& base = SculptScene::target;  // not the modifier's target until a test picks it
  INode* other = nullptr;
  INode* lamp = nullptr;
  std::unique_ptr<OpenRollout> rollout;
};

TEST_F(NodePicking, PressingThePickButtonStartsTheModeAndChecksIt) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  EXPECT_TRUE(picking());
  EXPECT_TRUE(rollout->checked(IDC_TARGET_PICK));
  EXPECT_FALSE(rollout->checked(IDC_ASYM_PICK));
}

TEST_F(NodePicking, TheModifiersOwnNodeIsRefused) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  EXPECT_TRUE(ClickNodeInViewport(sculpt));
  EXPECT_TRUE(picking());
  EXPECT_EQ(target(), nullptr);
  EXPECT_FALSE(offeredByName(sculpt));
  EXPECT_FALSE(PickNodeByName(L"sculpt"));
  EXPECT_TRUE(offeredByName(base));
  EXPECT_TRUE(offeredByName(lamp));
}

TEST_F(NodePicking, EveryNodeCarryingTheModifierIsRefused) {
  INode* instance = Scene::Get().CreateNode(L"instance", MakeSymmetricGrid(5, 3));
  Scene::Get().ApplyModifier(instance, mod);
  ASSERT_TRUE(rollout->click(IDC_ASYM_PICK));
  EXPECT_FALSE(offeredByName(instance));
  ClickNodeInViewport(instance);
  EXPECT_EQ(asymmetry(), nullptr);
}

TEST_F(NodePicking, ALightIsAccepted) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(lamp));
  EXPECT_EQ(target(), lamp);
  EXPECT_FALSE(picking());
  EXPECT_FALSE(rollout->checked(IDC_TARGET_PICK));
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"Omni01");
}

TEST_F(NodePicking, ATargetPickResetsTheTargetOfEveryCache) {
  Params(mod)->SetValue(kUndefObject, 0, base);
  sculpt->EvalWorldState(0);
  vLocalMeshData* cache = CacheOf(sculpt);
  ASSERT_NE(cache, nullptr);
  ASSERT_EQ(cache->targetDirty, 0);
  int redraws = GetCOREInterface()->RedrawCount();
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(PickNodeByName(L"other"));
  EXPECT_EQ(target(), other);
  EXPECT_EQ(cache->targetDirty, 1);
  EXPECT_EQ(cache->targetVerts.Count(), 0);
  EXPECT_EQ(GetCOREInterface()->RedrawCount() - redraws, 1);
}

TEST_F(NodePicking, UndoRestoresThePreviousTargetInOneLabelledStep) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(base));
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(other));
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"other");
  ASSERT_EQ(theHold.UndoCount(), 2);
  EXPECT_EQ(theHold.UndoLabel(), MSTR(L"DeformedTarget"));

  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(target(), base);
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"base");
  EXPECT_EQ(theHold.UndoCount(), 1);
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(target(), other);
}

// With "Cache Target" on, the caches would otherwise keep the undone target's capture.
TEST_F(NodePicking, UndoAndRedoOfATargetPickMakeTheCachesRecapture) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(base));
  sculpt->EvalWorldState(0);
  vLocalMeshData* cache = CacheOf(sculpt);
  ASSERT_NE(cache, nullptr);
  ASSERT_EQ(cache->targetDirty, 0);
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(other));
  sculpt->EvalWorldState(0);
  ASSERT_EQ(cache->targetDirty, 0);

  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(target(), base);
  EXPECT_EQ(cache->targetDirty, 1);
  sculpt->EvalWorldState(0);
  ASSERT_EQ(cache->targetDirty, 0);
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(target(), other);
  EXPECT_EQ(cache->targetDirty, 1);
}

TEST_F(NodePicking, APickOutlivesItsModifierHarmlessly) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(base));
  rollout.reset();
  Scene::Get().DeleteNode(sculpt);
  sculpt = nullptr;
  // The host dropped its own record of the parameter change with the block; the plug-in's record
  // finds its modifier gone and does nothing (the sanitizer suite sees any touch of freed memory).
  EXPECT_TRUE(theHold.Undo());
  EXPECT_TRUE(theHold.Redo());
  EXPECT_NE(base->EvalWorldState(0).obj, nullptr);
}

TEST_F(NodePicking, AnAsymmetryPickResetsNoCacheAndLeavesTheTargetButton) {
  Params(mod)->SetValue(kUndefObject, 0, base);
  sculpt->EvalWorldState(0);
  vLocalMeshData* cache = CacheOf(sculpt);
  ASSERT_NE(cache, nullptr);
  std::wstring targetCaption = rollout->text(IDC_TARGET_PICK);
  int redraws = GetCOREInterface()->RedrawCount();

  ASSERT_TRUE(rollout->click(IDC_ASYM_PICK));
  EXPECT_TRUE(rollout->checked(IDC_ASYM_PICK));
  ASSERT_TRUE(ClickNodeInViewport(other));
  EXPECT_EQ(asymmetry(), other);
  EXPECT_EQ(target(), base);
  EXPECT_EQ(rollout->text(IDC_ASYM_PICK), L"other");
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), targetCaption);
  EXPECT_EQ(cache->needsUpdate + cache->targetDirty + cache->matchDirty, 0);
  EXPECT_EQ(GetCOREInterface()->RedrawCount(), redraws);
  EXPECT_EQ(theHold.UndoLabel(), MSTR(L"AsymmetryNode"));
  EXPECT_FALSE(rollout->checked(IDC_ASYM_PICK));
}

TEST_F(NodePicking, ARightClickEndsTheModeWithoutChangingAnything) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(RightClickInViewport());
  EXPECT_FALSE(picking());
  EXPECT_FALSE(rollout->checked(IDC_TARGET_PICK));
  EXPECT_EQ(target(), nullptr);
  EXPECT_EQ(theHold.UndoCount(), 0);
}

TEST_F(NodePicking, AClickOnEmptySpaceKeepsPicking) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(ClickNodeInViewport(nullptr));
  EXPECT_TRUE(picking());
  EXPECT_TRUE(rollout->checked(IDC_TARGET_PICK));
  EXPECT_EQ(target(), nullptr);
}

TEST_F(NodePicking, SwitchingButtonsMovesTheCheck) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  ASSERT_TRUE(rollout->click(IDC_ASYM_PICK));
  EXPECT_FALSE(rollout->checked(IDC_TARGET_PICK));
  EXPECT_TRUE(rollout->checked(IDC_ASYM_PICK));
  ASSERT_TRUE(ClickNodeInViewport(base));
  EXPECT_EQ(asymmetry(), base);
  EXPECT_EQ(target(), nullptr);
}

TEST_F(NodePicking, ClosingTheRolloutEndsAPickItStarted) {
  ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
  rollout.reset();
  EXPECT_FALSE(picking());
  EXPECT_FALSE(ClickNodeInViewport(base));
  EXPECT_EQ(target(), nullptr);
}

}  // namespace
