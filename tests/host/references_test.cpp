// The reference graph: messages travel from a target up through its dependents, the dependency
// test marks whoever it reaches, references that would close a loop are refused, and a target goes
// away with its last reference.
#include <gtest/gtest.h>

#include <vector>

#include "ref.h"

namespace {

// A node of the test graph: a target that may hold references itself and logs what reaches it.
// Items on the stack are only ever released by their destructors (never with delOld), so nothing
// tries to delete them.
class Item : public ReferenceTarget {
 public:
  explicit Item(std::vector<Item*>* deletions = nullptr) : deletions_(deletions) {}
  ~Item() override {
    if (deletions_) deletions_->push_back(this);
  }
  SClass_ID SuperClassID() override { return 0x77; }
  int NumRefs() override { return int(refs_.size()); }
  RefTargetHandle GetReference(int i) override { return i < int(refs_.size()) ? refs_[size_t(i)] : nullptr; }
  void SetReference(int i, RefTargetHandle target) override {
    if (i >= int(refs_.size())) refs_.resize(size_t(i) + 1, nullptr);
    refs_[size_t(i)] = target;
  }
  RefResult NotifyRefChanged(Interval changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message) override {
    received.push_back(message);
    senders.push_back(hTarget);
    parts.push_back(partID);
    return answer;
  }

  std::vector<RefMessage> received;
  std::vector<RefTargetHandle> senders;
  std::vector<PartID> parts;
  RefResult answer = REF_SUCCEED;

 private:
  std::vector<RefTargetHandle> refs_;
  std::vector<Item*>* deletions_;
};

TEST(References, MessagesPropagateThroughEveryDependent) {
  Item bottom, middle, top, side;
  middle.ReplaceReference(0, &bottom);
  top.ReplaceReference(0, &middle);
  side.ReplaceReference(0, &bottom);
  bottom.NotifyDependents(FOREVER, PART_GEOM, REFMSG_CHANGE);
  ASSERT_EQ(middle.received, std::vector<RefMessage>{REFMSG_CHANGE});
  EXPECT_EQ(middle.senders[0], &bottom);
  EXPECT_EQ(middle.parts[0], PartID(PART_GEOM));
  ASSERT_EQ(top.received, std::vector<RefMessage>{REFMSG_CHANGE});
  EXPECT_EQ(top.senders[0], &middle);
  EXPECT_EQ(side.received.size(), 1u);
  EXPECT_TRUE(bottom.received.empty());
}

TEST(References, StopEndsThePropagationAndNoPropagateReachesOnlyDirectDependents) {
  Item bottom, middle, top;
  middle.ReplaceReference(0, &bottom);
  top.ReplaceReference(0, &middle);
  middle.answer = REF_STOP;
  bottom.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  EXPECT_EQ(middle.received.size(), 1u);
  EXPECT_TRUE(top.received.empty());
  middle.answer = REF_SUCCEED;
  bottom.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, FALSE);
  EXPECT_EQ(middle.received.size(), 2u);
  EXPECT_TRUE(top.received.empty());
}

TEST(References, ClassFilterAndTargetRestrictTheDirectDependents) {
  Item bottom, first, second;
  first.ReplaceReference(0, &bottom);
  second.ReplaceReference(0, &bottom);
  bottom.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, TRUE, &second);
  EXPECT_TRUE(first.received.empty());
  EXPECT_EQ(second.received.size(), 1u);
  bottom.NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, 0x1234);
  EXPECT_TRUE(first.received.empty());
  EXPECT_EQ(second.received.size(), 1u);
}

TEST(References, DependencyTestMarksEveryMakerItReaches) {
  Item bottom, middle, top, unrelated;
  middle.ReplaceReference(0, &bottom);
  top.ReplaceReference(0, &middle);
  for (Item* item : {&middle, &top, &unrelated}) {
    item->SetAFlag(A_DEPENDENCY_TEST);
    item->BeginDependencyTest();
    EXPECT_FALSE(item->TestAFlag(A_DEPENDENCY_TEST));
  }
  bottom.NotifyDependents(FOREVER, PART_ALL, REFMSG_TEST_DEPENDENCY);
  EXPECT_TRUE(middle.EndDependencyTest());
  EXPECT_TRUE(top.EndDependencyTest());
  EXPECT_FALSE(unrelated.EndDependencyTest());
  EXPECT_FALSE(bottom.TestAFlag(A_DEPENDENCY_TEST));
}

// What lets an undo record outlive the object it was made for: its handle finds nothing once the
// object is gone, and is never handed to another.
TEST(References, AHandleFindsItsAnimatableUntilItIsDeleted) {
  AnimHandle handle = 0;
  {
    Item item;
    handle = Animatable::GetHandleByAnim(&item);
    ASSERT_NE(handle, AnimHandle(0));
    EXPECT_EQ(Animatable::GetHandleByAnim(&item), handle);
    EXPECT_EQ(Animatable::GetAnimByHandle(handle), &item);
  }
  EXPECT_EQ(Animatable::GetAnimByHandle(handle), nullptr);
  Item next;
  EXPECT_NE(Animatable::GetHandleByAnim(&next), handle);
}

TEST(References, ReferencesThatWouldCloseALoopAreRefused) {
  Item a, b, c;
  ASSERT_EQ(b.ReplaceReference(0, &a), REF_SUCCEED);
  ASSERT_EQ(c.ReplaceReference(0, &b), REF_SUCCEED);
  EXPECT_EQ(a.ReplaceReference(0, &c), REF_FAIL);
  EXPECT_EQ(a.ReplaceReference(0, &b), REF_FAIL);
  EXPECT_EQ(a.ReplaceReference(0, &a), REF_FAIL);
  EXPECT_EQ(a.GetReference(0), nullptr);
  EXPECT_TRUE(c.Dependents().empty());
  // Nothing that depends on the maker: allowed, also a second path to the same target.
  EXPECT_EQ(c.ReplaceReference(1, &a), REF_SUCCEED);
  EXPECT_EQ(a.Dependents().size(), 2u);
}

TEST(References, LastReferenceGoneDeletesTheTarget) {
  std::vector<Item*> deleted;
  auto* shared = new Item(&deleted);
  Item first, second;
  first.ReplaceReference(0, shared);
  second.ReplaceReference(0, shared);
  first.DeleteReference(0);
  EXPECT_TRUE(deleted.empty());
  EXPECT_EQ(shared->Dependents().size(), 1u);
  second.ReplaceReference(0, nullptr);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0], shared);
}

TEST(References, ReplacingWithoutDeleteOldKeepsTheTarget) {
  std::vector<Item*> deleted;
  auto* kept = new Item(&deleted);
  Item holder;
  holder.ReplaceReference(0, kept);
  holder.ReplaceReference(0, nullptr, FALSE);
  EXPECT_TRUE(deleted.empty());
  EXPECT_TRUE(kept->Dependents().empty());
  kept->DeleteMe();
  EXPECT_EQ(deleted.size(), 1u);
}

TEST(References, TwoReferencesFromOneMakerCountTwice) {
  std::vector<Item*> deleted;
  auto* target = new Item(&deleted);
  Item holder;
  holder.ReplaceReference(0, target);
  holder.ReplaceReference(1, target);
  EXPECT_EQ(target->Dependents().size(), 1u);
  holder.DeleteReference(0);
  EXPECT_TRUE(deleted.empty());
  holder.DeleteReference(1);
  EXPECT_EQ(deleted.size(), 1u);
}

TEST(References, DeletedTargetLeavesItsMakersWithoutTheReference) {
  auto* target = new Item();
  Item holder;
  holder.ReplaceReference(0, target);
  target->DeleteMe();
  EXPECT_EQ(holder.GetReference(0), nullptr);
  ASSERT_EQ(holder.received.size(), 1u);
  EXPECT_EQ(holder.received[0], RefMessage(REFMSG_TARGET_DELETED));
}

TEST(References, DeletingAMakerDeletesWhatOnlyItReferredTo) {
  std::vector<Item*> deleted;
  auto* owner = new Item(&deleted);
  auto* child = new Item(&deleted);
  owner->ReplaceReference(0, child);
  owner->DeleteMe();
  // What it referred to goes first, as its references are dropped.
  EXPECT_EQ(deleted, (std::vector<Item*>{child, owner}));
}

TEST(References, DependentEnumerationVisitsEachMakerOnceAndCanHalt) {
  Item bottom, left, right, top;
  left.ReplaceReference(0, &bottom);
  right.ReplaceReference(0, &bottom);
  top.ReplaceReference(0, &left);
  top.ReplaceReference(1, &right);
  struct Collect : DependentEnumProc {
    std::vector<ReferenceMaker*> seen;
    ReferenceMaker* haltAt = nullptr;
    int proc(ReferenceMaker* rm) override {
      seen.push_back(rm);
      return rm == haltAt ? DEP_ENUM_HALT : DEP_ENUM_CONTINUE;
    }
  } all;
  bottom.DoEnumDependents(&all);
  EXPECT_EQ(all.seen, (std::vector<ReferenceMaker*>{&bottom, &left, &top, &right}));
  Collect halted;
  halted.haltAt = &left;
  EXPECT_EQ(bottom.DoEnumDependents(&halted), 1);
  EXPECT_EQ(halted.seen, (std::vector<ReferenceMaker*>{&bottom, &left}));
}

TEST(References, RemapGivesTheCopyOrTheOriginal) {
  Item original, copy, other;
  RemapDir remap;
  copy.BaseClone(&original, &copy, remap);
  EXPECT_EQ(remap.CloneRef(&original), &copy);
  EXPECT_EQ(remap.CloneRef(&other), &other);
  EXPECT_EQ(remap.CloneRef(nullptr), nullptr);
  EXPECT_EQ(remap.FindMapping(&other), nullptr);
}

}  // namespace
