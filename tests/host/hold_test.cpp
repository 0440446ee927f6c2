// Undo: theHold's steps, and the parameter changes a block records while a hold is open.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hold.h"
#include "inode.h"
#include "iparamb2.h"
#include "scene.h"
#include "undo_records.h"

namespace {

// A record that logs what is replayed, as "undo 1", "redo 1", "cancel 1".
class LoggedChange : public HostRestoreObj {
 public:
  LoggedChange(std::vector<std::string>& log, int n, const void* about = nullptr)
      : log_(log), n_(n), about_(about) {}
  void Restore(int isUndo) override { log_.push_back((isUndo ? "undo " : "cancel ") + std::to_string(n_)); }
  void Redo() override { log_.push_back("redo " + std::to_string(n_)); }
  bool RefersTo(const void* object) const override { return object != nullptr && object == about_; }

 private:
  std::vector<std::string>& log_;
  int n_;
  const void* about_;
};

// Ends the hold with a label, as the real SDK's Accept takes it: a text it may not keep.
void accept(const wchar_t* label) {
  std::wstring text(label);
  theHold.Accept(text.data());
}

class HoldSteps : public ::testing::Test {
 protected:
  void SetUp() override { theHold.Flush(); }
  void TearDown() override { theHold.Flush(); }
  std::vector<std::string> log;
};

TEST_F(HoldSteps, OneHoldIsOneLabelledStepUndoneInReverse) {
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 1));
  theHold.Put(new LoggedChange(log, 2));
  accept(L"Move");
  ASSERT_EQ(theHold.UndoCount(), 1);
  EXPECT_EQ(theHold.UndoLabel(), MSTR(L"Move"));
  ASSERT_TRUE(theHold.Undo());
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(log, (std::vector<std::string>{"undo 2", "undo 1", "redo 1", "redo 2"}));
  EXPECT_FALSE(theHold.Redo());
}

TEST_F(HoldSteps, NestedHoldsMakeOneStepWithTheOutermostLabel) {
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 1));
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 2));
  accept(L"inner");
  EXPECT_TRUE(theHold.Holding());
  accept(L"outer");
  EXPECT_FALSE(theHold.Holding());
  EXPECT_EQ(theHold.UndoCount(), 1);
  EXPECT_EQ(theHold.UndoLabel(), MSTR(L"outer"));
}

TEST_F(HoldSteps, CancelRestoresAndLeavesNoStep) {
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 1));
  theHold.Cancel();
  EXPECT_EQ(log, (std::vector<std::string>{"cancel 1"}));
  EXPECT_EQ(theHold.UndoCount(), 0);
}

TEST_F(HoldSteps, AHoldThatRecordedNothingMakesNoStep) {
  theHold.Begin();
  accept(L"nothing");
  EXPECT_EQ(theHold.UndoCount(), 0);
  // Without an open hold a record is dropped at once.
  theHold.Put(new LoggedChange(log, 1));
  EXPECT_EQ(theHold.UndoCount(), 0);
}

TEST_F(HoldSteps, ANewStepDropsWhatCouldBeRedone) {
  for (int n : {1, 2}) {
    theHold.Begin();
    theHold.Put(new LoggedChange(log, n));
    accept(L"step");
  }
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(theHold.RedoCount(), 1);
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 3));
  accept(L"step");
  EXPECT_EQ(theHold.RedoCount(), 0);
  EXPECT_EQ(theHold.UndoCount(), 2);
}

TEST_F(HoldSteps, DiscardDropsTheRecordsOfAnObjectAndStepsLeftEmpty) {
  int gone = 0, kept = 0;
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 1, &gone));
  accept(L"only gone");
  theHold.Begin();
  theHold.Put(new LoggedChange(log, 2, &gone));
  theHold.Put(new LoggedChange(log, 3, &kept));
  accept(L"both");
  theHold.Discard(&gone);
  ASSERT_EQ(theHold.UndoCount(), 1);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(log, (std::vector<std::string>{"undo 3"}));
}

// --- parameter blocks ----------------------------------------------------------------------------

class UndoneParameters : public HoldSteps {
 protected:
  void SetUp() override {
    HoldSteps::SetUp();
    Scene::Get().Clear();
    block = CreateParameterBlock2(&desc, nullptr);
  }
  void TearDown() override {
    if (block != nullptr) block->DeleteMe();
    Scene::Get().Clear();
    HoldSteps::TearDown();
  }

  ParamBlockDesc2 desc{0, L"params", 0, nullptr, 0,
                       0, L"count", TYPE_INT, 0, StringResID(0), p_default, 3, p_range, 0, 10, p_end,
                       1, L"node", TYPE_INODE, 0, StringResID(0), p_end,
                       p_end};
  IParamBlock2* block = nullptr;
};

TEST_F(UndoneParameters, ChangesInsideAHoldAreUndoneAndRedone) {
  block->SetValue(0, 0, 5);  // outside a hold: not recorded
  theHold.Begin();
  block->SetValue(0, 0, 7);
  block->SetValue(0, 0, 99);  // clamped to 10
  accept(L"Count");
  EXPECT_EQ(block->GetInt(0), 10);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(block->GetInt(0), 5);
  EXPECT_EQ(block->LastNotifyParamID(), 0);
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(block->GetInt(0), 10);
  EXPECT_EQ(theHold.UndoCount(), 1);
}

TEST_F(UndoneParameters, NodeChangesKeepTheirNodesOnlyWhileTheyExist) {
  INode* first = Scene::Get().CreateNode(L"first", nullptr);
  INode* second = Scene::Get().CreateNode(L"second", nullptr);
  block->SetValue(1, 0, first);
  theHold.Begin();
  block->SetValue(1, 0, second);
  accept(L"Node");
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(block->GetINode(1), first);
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(block->GetINode(1), second);

  Scene::Get().DeleteNode(first);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(block->GetINode(1), nullptr);
}

TEST_F(UndoneParameters, ADeletedBlockTakesItsStepsAlong) {
  theHold.Begin();
  block->SetValue(0, 0, 4);
  accept(L"Count");
  ASSERT_EQ(theHold.UndoCount(), 1);
  block->DeleteMe();
  block = nullptr;
  EXPECT_EQ(theHold.UndoCount(), 0);
  EXPECT_FALSE(theHold.Undo());
}

// Node changes are records that hold references themselves: dropping them comes back into the hold
// while it is dropping them.
TEST_F(UndoneParameters, RecordsHoldingNodesAreDroppedWithTheirBlockAndByFlush) {
  INode* first = Scene::Get().CreateNode(L"first", nullptr);
  INode* second = Scene::Get().CreateNode(L"second", nullptr);
  for (INode* node : {first, second, first}) {
    theHold.Begin();
    block->SetValue(1, 0, node);
    theHold.Put(new LoggedChange(log, 1));
    accept(L"Node");
  }
  ASSERT_TRUE(theHold.Undo());
  ASSERT_EQ(theHold.UndoCount(), 2);
  ASSERT_EQ(theHold.RedoCount(), 1);
  block->DeleteMe();
  block = nullptr;
  EXPECT_EQ(theHold.UndoCount(), 2);  // the logged records are not the block's
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(log, (std::vector<std::string>{"undo 1", "undo 1"}));

  IParamBlock2* other = CreateParameterBlock2(&desc, nullptr);
  theHold.Begin();
  other->SetValue(1, 0, second);
  accept(L"Node");
  theHold.Flush();
  EXPECT_EQ(theHold.UndoCount() + theHold.RedoCount(), 0);
  other->DeleteMe();
}

}  // namespace
