// The modifier's rollout as a user meets it in the Modify panel: which controls can be used as the
// target, the last result and the operation change, and which cache resets each control's click
// makes. Resets are counted through the node cache's flags and the viewport redraws each reset
// ends with.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../../plugin/resource.h"
#include "icolorman.h"
#include "shell_requests.h"
#include "support/node_cache.h"
#include "support/open_rollout.h"
#include "support/sculpt_scene.h"
#include "windows/window_display.h"

using namespace testing_support;

namespace {

// The controls UpdateRolloutState enables only with a target and a valid result.
const int kOperationControls[] = {IDC_OP_MIRROR,   IDC_OP_FLIP,         IDC_OP_RESET,  IDC_DIR_NEGATIVE,
                                  IDC_DIR_POSITIVE, IDC_AXIS_X,         IDC_AXIS_Y,    IDC_AXIS_Z,
                                  IDC_CONSTANT_UPDATE, IDC_IGNORE_SO,    IDC_ALIGN_CENTER_VERTS,
                                  IDC_AXIS_OFFSET_SPIN, IDC_AXIS_OFFSET_LABEL};
// The controls it never touches.
const int kAlwaysUsable[] = {IDC_TARGET_PICK,         IDC_ASYM_PICK,        IDC_CACHE_TARGET,
                             IDC_UPDATE,              IDC_ASYM_LOCAL,       IDC_AXIS_OFFSET_EDIT,
                             IDC_ABOUT,               IDC_DISPLAY_AXIS,     IDC_DISPLAY_SIZE_EDIT,
                             IDC_DISPLAY_SIZE_SPIN,   IDC_BASE_SELECTION_MASKS, IDC_INVERT_BASE_SELECTION,
                             IDC_ASYM_ENABLE,         IDC_ASYM_SURFACE,     IDC_DOMINANT_U,
                             IDC_DOMINANT_V,          IDC_NORM_XFORMS,      IDC_OPERATE_ON_SELECTION,
                             IDC_OPERATE_ONLY_ON_SELECTION};

// A symmetric target "base" and a node "sculpt" carrying the modifier, its rollout open.
class RolloutScene : public SculptScene {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_WINDOWS();
    buildScene(MakeSymmetricGrid(5, 3), MakeSymmetricGrid(5, 3), false);
    rollout = std::make_unique<OpenRollout>(mod);
    ASSERT_NE(rollout->window(), nullptr);
  }
  void TearDown() override {
    rollout.reset();
    SculptScene::TearDown();
  }

  // Picks `node` as the target through the rollout's pick button and a viewport click.
  void pickTarget(INode* node) {
    ASSERT_TRUE(rollout->click(IDC_TARGET_PICK));
    ASSERT_TRUE(ClickNodeInViewport(node));
  }
  void evaluate() { sculpt->EvalWorldState(0); }

  std::vector<int> disabledOf(const int* ids, size_t n) const {
    std::vector<int> off;
    for (size_t i = 0; i < n; ++i)
      if (!rollout->enabled(ids[i])) off.push_back(ids[i]);
    return off;
  }
  std::vector<int> disabledOperationControls() const {
    return disabledOf(kOperationControls, std::size(kOperationControls));
  }

  INode*& base = target;  // not yet the modifier's target: the tests pick it
  std::unique_ptr<OpenRollout> rollout;
};

// --- control states ------------------------------------------------------------------------------

using RolloutStates = RolloutScene;

TEST_F(RolloutStates, FreshModifierDisablesTheOperationControlsOnly) {
  EXPECT_EQ(disabledOperationControls().size(), std::size(kOperationControls));
  EXPECT_TRUE(disabledOf(kAlwaysUsable, std::size(kAlwaysUsable)).empty());
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"Custom2");
  EXPECT_EQ(DescribeWindow(rollout->window())->text, L"Velomorph v1.02");
}

TEST_F(RolloutStates, ControlsShowTheParameterValues) {
  EXPECT_TRUE(rollout->checked(IDC_CACHE_TARGET));
  EXPECT_TRUE(rollout->checked(IDC_OP_MIRROR));
  EXPECT_FALSE(rollout->checked(IDC_OP_FLIP));
  EXPECT_TRUE(rollout->checked(IDC_AXIS_X));
  EXPECT_TRUE(rollout->checked(IDC_DIR_NEGATIVE));
  EXPECT_TRUE(rollout->checked(IDC_CONSTANT_UPDATE));
  EXPECT_FALSE(rollout->checked(IDC_DISPLAY_AXIS));
  EXPECT_TRUE(rollout->checked(IDC_ASYM_SURFACE));
  EXPECT_FALSE(rollout->checked(IDC_ASYM_LOCAL));
  EXPECT_EQ(rollout->text(IDC_DISPLAY_SIZE_EDIT), L"50.0");
  EXPECT_EQ(rollout->state(IDC_DISPLAY_SIZE_SPIN).value, 50.0f);

  Params(mod)->SetValue(kMirrorAxis, 0, 2);
  Params(mod)->SetValue(kAxisOffset, 0, 1.25f);
  EXPECT_TRUE(rollout->checked(IDC_AXIS_Z));
  EXPECT_FALSE(rollout->checked(IDC_AXIS_X));
  EXPECT_EQ(rollout->text(IDC_AXIS_OFFSET_EDIT), L"1.25");
}

TEST_F(RolloutStates, PickButtonsBecomeCheckButtonsLitWithTheHostColour) {
  for (int id : {IDC_TARGET_PICK, IDC_ASYM_PICK}) {
    WindowState button = rollout->state(id);
    EXPECT_TRUE(button.checkButton) << id;
    EXPECT_EQ(button.highlight, GetColorManager()->GetColor(4)) << id;
  }
}

TEST_F(RolloutStates, TargetWithAValidResultEnablesEverythingAndNamesTheTarget) {
  pickTarget(base);
  evaluate();
  EXPECT_TRUE(disabledOperationControls().empty());
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"base");
}

TEST_F(RolloutStates, FlipDisablesTheDirectionAndResetAlsoTheAxisAndCentreAlignment) {
  pickTarget(base);
  evaluate();
  ASSERT_TRUE(rollout->click(IDC_OP_FLIP));
  EXPECT_EQ(disabledOperationControls(), (std::vector<int>{IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE}));
  ASSERT_TRUE(rollout->click(IDC_OP_RESET));
  EXPECT_EQ(disabledOperationControls(), (std::vector<int>{IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE, IDC_AXIS_X,
                                                           IDC_AXIS_Y, IDC_AXIS_Z, IDC_ALIGN_CENTER_VERTS}));
  EXPECT_EQ(Params(mod)->GetInt(kOperation), 2);
  ASSERT_TRUE(rollout->click(IDC_OP_MIRROR));
  EXPECT_TRUE(disabledOperationControls().empty());
}

TEST_F(RolloutStates, EachOperationShowsItsOwnControlsWhicheverCameBefore) {
  pickTarget(base);
  evaluate();
  const int buttons[] = {IDC_OP_MIRROR, IDC_OP_FLIP, IDC_OP_RESET};
  const std::vector<int> disabledBy[] = {{},
                                         {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE},
                                         {IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE, IDC_AXIS_X, IDC_AXIS_Y, IDC_AXIS_Z,
                                          IDC_ALIGN_CENTER_VERTS}};
  for (int from = 0; from < 3; ++from) {
    for (int to = 0; to < 3; ++to) {
      ASSERT_TRUE(rollout->click(buttons[from]));
      ASSERT_TRUE(rollout->click(buttons[to]));
      EXPECT_EQ(disabledOperationControls(), disabledBy[to]) << "operation " << from << ", then " << to;
    }
  }
}

TEST_F(RolloutStates, OperationSetFromAScriptRefreshesAtOnce) {
  pickTarget(base);
  evaluate();
  Params(mod)->SetValue(kOperation, 0, 1);
  EXPECT_EQ(disabledOperationControls(), (std::vector<int>{IDC_DIR_NEGATIVE, IDC_DIR_POSITIVE}));
  EXPECT_TRUE(rollout->checked(IDC_OP_FLIP));
}

TEST_F(RolloutStates, VertexCountMismatchDisablesTheControlsAgain) {
  pickTarget(base);
  evaluate();
  INode* wider = Scene::Get().CreateNode(L"wider", MakeSymmetricGrid(7, 3));
  pickTarget(wider);
  evaluate();
  EXPECT_EQ(disabledOperationControls().size(), std::size(kOperationControls));
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"wider");
}

TEST_F(RolloutStates, DisabledControlsTakeNoClicks) {
  EXPECT_FALSE(rollout->click(IDC_OP_FLIP));
  EXPECT_FALSE(rollout->drag(IDC_AXIS_OFFSET_SPIN, 3.0f));
  EXPECT_EQ(Params(mod)->GetInt(kOperation), 0);
  EXPECT_EQ(Params(mod)->GetFloat(kAxisOffset), 0.0f);
}

TEST_F(RolloutStates, ClosingRemovesTheWindowAndReopeningShowsTheLastResult) {
  pickTarget(base);
  evaluate();
  int open = OpenDialogCount();
  rollout.reset();
  EXPECT_EQ(OpenDialogCount(), open - 1);
  evaluate();  // an evaluation without a rollout touches no window
  rollout = std::make_unique<OpenRollout>(mod);
  EXPECT_TRUE(disabledOperationControls().empty());
  EXPECT_EQ(rollout->text(IDC_TARGET_PICK), L"base");
}

// --- resets per control --------------------------------------------------------------------------

// What one input did to the sculpt's cache: how many reset operations ran (each ends with one
// redraw) and which flags they raised.
struct Resets {
  int calls = 0;
  bool result = false;  // reset: needsUpdate
  bool target = false;  // resetTarget: targetDirty
  bool match = false;   // resetMatch or resetTarget: matchDirty
  bool operator==(const Resets& o) const {
    return calls == o.calls && result == o.result && target == o.target && match == o.match;
  }
};

std::ostream& operator<<(std::ostream& os, const Resets& r) {
  return os << r.calls << " calls, result " << r.result << ", target " << r.target << ", match " << r.match;
}

enum class Input { Click, Drag, Type };

struct ControlCase {
  int id;
  Input input;
  Resets expected;
};

std::ostream& operator<<(std::ostream& os, const ControlCase& c) { return os << "control " << c.id; }

const Resets kNone{};
const Resets kReset{1, true, false, false};
const Resets kResetAndMatch{2, true, false, true};
const Resets kTargetAndMatch{2, false, true, true};
const Resets kResetAndTarget{2, true, true, true};

const ControlCase kControlCases[] = {
    {IDC_AXIS_X, Input::Click, kResetAndMatch},
    {IDC_AXIS_Y, Input::Click, kResetAndMatch},
    {IDC_AXIS_Z, Input::Click, kResetAndMatch},
    {IDC_OP_MIRROR, Input::Click, kReset},
    {IDC_OP_FLIP, Input::Click, kReset},
    {IDC_OP_RESET, Input::Click, kReset},
    // The dialog procedure's three resets and the accessor's resetTarget.
    {IDC_CACHE_TARGET, Input::Click, Resets{4, true, true, true}},
    {IDC_DIR_NEGATIVE, Input::Click, kReset},
    {IDC_DIR_POSITIVE, Input::Click, kReset},
    {IDC_UPDATE, Input::Click, kResetAndTarget},
    {IDC_AXIS_OFFSET_EDIT, Input::Type, kTargetAndMatch},
    {IDC_AXIS_OFFSET_SPIN, Input::Drag, kTargetAndMatch},
    {IDC_CONSTANT_UPDATE, Input::Click, kReset},
    {IDC_IGNORE_SO, Input::Click, kReset},
    {IDC_OPERATE_ON_SELECTION, Input::Click, kReset},
    {IDC_OPERATE_ONLY_ON_SELECTION, Input::Click, kReset},
    {IDC_ABOUT, Input::Click, kNone},
    {IDC_ASYM_LOCAL, Input::Click, kNone},
    {IDC_ASYM_SURFACE, Input::Click, kNone},
    {IDC_DISPLAY_AXIS, Input::Click, kNone},
    {IDC_DISPLAY_SIZE_SPIN, Input::Drag, kNone},
    {IDC_DISPLAY_SIZE_EDIT, Input::Type, kNone},
    {IDC_ALIGN_CENTER_VERTS, Input::Click, kNone},
    {IDC_BASE_SELECTION_MASKS, Input::Click, kNone},
    {IDC_INVERT_BASE_SELECTION, Input::Click, kNone},
    {IDC_ASYM_ENABLE, Input::Click, kNone},
    {IDC_DOMINANT_U, Input::Click, kNone},
    {IDC_DOMINANT_V, Input::Click, kNone},
    {IDC_NORM_XFORMS, Input::Click, kNone},
};

class RolloutResets : public RolloutScene, public ::testing::WithParamInterface<ControlCase> {
 protected:
  void SetUp() override {
    RolloutScene::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    pickTarget(base);
    evaluate();
    cache = CacheOf(sculpt);
    ASSERT_NE(cache, nullptr);
    ASSERT_EQ(cache->needsUpdate + cache->targetDirty + cache->matchDirty, 0);
    ASSERT_TRUE(disabledOperationControls().empty());
    redraws = GetCOREInterface()->RedrawCount();
  }
  Resets observed() const {
    return Resets{GetCOREInterface()->RedrawCount() - redraws, cache->needsUpdate == 1, cache->targetDirty == 1,
                  cache->matchDirty == 1};
  }

  vLocalMeshData* cache = nullptr;
  int redraws = 0;
};

TEST_P(RolloutResets, EachControlMakesItsOwnResets) {
  const ControlCase& c = GetParam();
#if defined(_WIN32)
  if (c.id == IDC_ABOUT) GTEST_SKIP() << "on Windows About opens the product page in the browser";
#endif
  switch (c.input) {
    case Input::Click:
      ASSERT_TRUE(rollout->click(c.id));
      break;
    case Input::Drag:
      ASSERT_TRUE(rollout->drag(c.id, 2.5f));
      break;
    case Input::Type:
      ASSERT_TRUE(rollout->type(c.id, L"2.5"));
      break;
  }
  EXPECT_EQ(observed(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(EveryControl, RolloutResets, ::testing::ValuesIn(kControlCases));

using RolloutControls = RolloutResets;

// Makes the rollout's enabled states stale: without a target they would all be off, but clearing the
// target from a script refreshes nothing.
#define MAKE_STATES_STALE()                                                  \
  Params(mod)->SetValue(kUndefObject, 0, static_cast<INode*>(nullptr));      \
  ASSERT_TRUE(disabledOperationControls().empty())

TEST_F(RolloutControls, IgnoreSelectionResetsWithoutRefreshingTheStates) {
  MAKE_STATES_STALE();
  ASSERT_TRUE(rollout->click(IDC_IGNORE_SO));
  EXPECT_EQ(observed(), kReset);
  EXPECT_TRUE(disabledOperationControls().empty());
  EXPECT_EQ(Params(mod)->GetInt(kIgnoreSO), 0);
  // Constant Update refreshes, and the states catch up.
  ASSERT_TRUE(rollout->click(IDC_CONSTANT_UPDATE));
  EXPECT_EQ(disabledOperationControls().size(), std::size(kOperationControls));
}

TEST_F(RolloutControls, SpinnerDragSetsTheOffsetAndResetsOncePerChangeWithoutRefresh) {
  MAKE_STATES_STALE();
  ASSERT_TRUE(rollout->drag(IDC_AXIS_OFFSET_SPIN, 0.5f));
  ASSERT_TRUE(rollout->drag(IDC_AXIS_OFFSET_SPIN, 0.75f));
  EXPECT_EQ(observed(), (Resets{4, false, true, true}));
  EXPECT_EQ(Params(mod)->GetFloat(kAxisOffset), 0.75f);
  EXPECT_EQ(rollout->text(IDC_AXIS_OFFSET_EDIT), L"0.75");
  EXPECT_TRUE(disabledOperationControls().empty());
}

TEST_F(RolloutControls, UnreadableOffsetTextKeepsTheValueAndShowsItAgain) {
  ASSERT_TRUE(rollout->type(IDC_AXIS_OFFSET_EDIT, L"abc"));
  EXPECT_EQ(Params(mod)->GetFloat(kAxisOffset), 0.0f);
  EXPECT_EQ(rollout->text(IDC_AXIS_OFFSET_EDIT), L"0.0");
}

TEST_F(RolloutControls, CacheTargetFromAScriptRunsTheAccessorAlone) {
  MAKE_STATES_STALE();
  // The value it already has counts as a change too.
  Params(mod)->SetValue(kUpdateResult, 0, 1);
  EXPECT_EQ(observed(), (Resets{1, false, true, true}));
  // The accessor refreshed the rollout.
  EXPECT_EQ(disabledOperationControls().size(), std::size(kOperationControls));
}

TEST_F(RolloutControls, CacheTargetClickTogglesTheParameter) {
  ASSERT_TRUE(rollout->click(IDC_CACHE_TARGET));
  EXPECT_EQ(Params(mod)->GetInt(kUpdateResult), 0);
  EXPECT_FALSE(rollout->checked(IDC_CACHE_TARGET));
}

TEST_F(RolloutControls, OperationFromAScriptResetsNothing) {
  Params(mod)->SetValue(kOperation, 0, 2);
  EXPECT_EQ(observed(), kNone);
}

TEST_F(RolloutControls, AboutOpensTheProductPage) {
#if defined(_WIN32)
  GTEST_SKIP() << "on Windows the system's shell opens the page in the browser, out of the host's sight";
#else
  ClearShellRequests();
  ASSERT_TRUE(rollout->click(IDC_ABOUT));
  ASSERT_EQ(ShellRequests().size(), 1u);
  const ShellRequest& r = ShellRequests()[0];
  EXPECT_EQ(r.window, rollout->window());
  EXPECT_EQ(r.verb, L"open");
  const std::wstring path = L"/plugins/Velomorph.htm";
  ASSERT_GE(r.file.size(), path.size());
  EXPECT_EQ(r.file.substr(r.file.size() - path.size()), path);
  EXPECT_EQ(r.parameters, L"");
  EXPECT_EQ(r.directory, L"");
  EXPECT_EQ(r.showCommand, 0);
#endif
}

TEST_F(RolloutControls, UpdateRecomputesAStoredResultWithConstantUpdateOff) {
  ASSERT_TRUE(rollout->click(IDC_CONSTANT_UPDATE));
  evaluate();
  // The sculpt's positive side moves; the replay hands on the stored result regardless.
  BaseMeshOf(sculpt).verts[3].z += 1.0f;
  EXPECT_NE(EvaluatedMeshOf(sculpt).verts[1].z, BaseMeshOf(sculpt).verts[3].z);
  ASSERT_TRUE(rollout->click(IDC_UPDATE));
  EXPECT_EQ(EvaluatedMeshOf(sculpt).verts[1].z, BaseMeshOf(sculpt).verts[3].z);
}

}  // namespace
