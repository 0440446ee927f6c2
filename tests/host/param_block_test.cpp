// Parameter blocks: a description read from its tagged argument list, blocks built from it with
// their defaults, values kept inside their ranges, the accessor told of every set, and node
// parameters held as references.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "inode.h"
#include "iparamb2.h"

namespace {

class TestClassDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return FALSE; }
  void* Create(BOOL) override { return nullptr; }
  const MCHAR* ClassName() override { return L"Test"; }
  SClass_ID SuperClassID() override { return 0x99; }
  Class_ID ClassID() override { return Class_ID(1, 2); }
  const MCHAR* Category() override { return L""; }
};

class CountingAccessor : public PBAccessor {
 public:
  struct Call {
    ParamID id;
    PB2Value value;
    ReferenceMaker* owner;
  };
  void Set(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex, TimeValue t) override {
    calls.push_back({id, v, owner});
  }
  std::vector<Call> calls;
};

// An object holding the block as its reference 2, as an owner built by MakeAutoParamBlocks does. It
// is an Object so that a node can refer to it.
class Holder : public Object {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  SClass_ID SuperClassID() override { return 0x99; }
  Object* MakeShallowCopy(ChannelMask) override { return nullptr; }
  int NumRefs() override { return 3; }
  RefTargetHandle GetReference(int i) override { return i == 2 ? block : nullptr; }
  void SetReference(int i, RefTargetHandle target) override {
    if (i == 2) block = static_cast<IParamBlock2*>(target);
  }
  RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage message) override {
    received.push_back(message);
    return REF_SUCCEED;
  }
  IParamBlock2* block = nullptr;
  std::vector<RefMessage> received;
};

enum { kCount = 0, kSize = 1, kOn = 2, kPick = 3, kMode = 4 };

class ParamBlock : public ::testing::Test {
 protected:
  ParamBlock()
      : desc(3, L"testParams", 0, &cd, P_AUTO_CONSTRUCT, 2,
             kCount, L"count", TYPE_INT, 0, StringResID(5),
               p_default, 3,
               p_range, 1, 10,
               p_ui, TYPE_SPINNER, EDITTYPE_INT, 1000, 1001, 1.0,
               p_accessor, &accessor,
               p_end,
             kSize, L"size", TYPE_FLOAT, 0, reinterpret_cast<StringResID>(L"Size"),
               p_default, 2.5,
               p_range, 0.5, 4.0,
               p_accessor, &accessor,
               p_end,
             kOn, L"on", TYPE_BOOL, 0, StringResID(6),
               p_default, 1,
               p_ui, TYPE_SINGLECHEKBOX, 1002,
               p_end,
             kPick, L"pick", TYPE_INODE, 0, StringResID(7),
               p_ui, TYPE_PICKNODEBUTTON, 1003,
               p_prompt, 8,
               p_end,
             kMode, L"mode", TYPE_INT, 0, StringResID(9),
               p_default, 1,
               p_ui, TYPE_RADIO, 3, 1004, 1005, 1006,
               p_end,
             p_end) {}

  void SetUp() override {
    holder = new Holder();
    cd.MakeAutoParamBlocks(holder);
    ASSERT_NE(holder->block, nullptr);
    block = holder->block;
  }
  void TearDown() override { holder->DeleteMe(); }

  TestClassDesc cd;
  CountingAccessor accessor;
  ParamBlockDesc2 desc;
  Holder* holder = nullptr;
  IParamBlock2* block = nullptr;
};

TEST_F(ParamBlock, DescriptionReadsBackFromTheArgumentList) {
  EXPECT_TRUE(desc.WellFormed());
  EXPECT_EQ(cd.GetParamBlockDescByID(3), &desc);
  EXPECT_EQ(desc.ref_no, 2);
  ASSERT_EQ(desc.Count(), 5);
  const ParamDef* count = desc.GetParamDef(kCount);
  EXPECT_EQ(count->type, TYPE_INT);
  EXPECT_EQ(count->def.i, 3);
  EXPECT_TRUE(count->hasRange);
  EXPECT_EQ(count->range_low.i, 1);
  EXPECT_EQ(count->range_high.i, 10);
  EXPECT_EQ(count->ctrl_type, TYPE_SPINNER);
  EXPECT_EQ(count->spin_type, EDITTYPE_INT);
  EXPECT_EQ(count->ctrl_IDs, (std::vector<int>{1000, 1001}));
  EXPECT_EQ(count->spin_scale, 1.0);
  EXPECT_EQ(count->accessor, &accessor);
  EXPECT_EQ(count->local_name, 5);
  const ParamDef* size = desc.GetParamDef(kSize);
  EXPECT_EQ(size->def.f, 2.5f);
  EXPECT_EQ(size->range_low.f, 0.5f);
  EXPECT_EQ(size->range_high.f, 4.0f);
  EXPECT_FALSE(size->hasUI);
  EXPECT_EQ(std::wstring(reinterpret_cast<const MCHAR*>(size->local_name)), L"Size");
  EXPECT_EQ(desc.GetParamDef(kOn)->accessor, nullptr);
  EXPECT_EQ(desc.GetParamDef(kOn)->ctrl_IDs, (std::vector<int>{1002}));
  EXPECT_EQ(desc.GetParamDef(kPick)->prompt, 8);
  EXPECT_EQ(desc.GetParamDef(kPick)->type, TYPE_INODE);
  EXPECT_EQ(desc.GetParamDef(kMode)->ctrl_IDs, (std::vector<int>{1004, 1005, 1006}));
  EXPECT_EQ(desc.GetParamDef(7), nullptr);
}

TEST_F(ParamBlock, AnUnknownTagMakesTheDescriptionIllFormed) {
  TestClassDesc other;
  ParamBlockDesc2 broken(0, L"broken", 0, &other, 0,
                         0, L"a", TYPE_INT, 0, StringResID(1), p_default, 1, p_end,
                         1, L"b", TYPE_INT, 0, StringResID(1), -5, p_end,
                         p_end);
  EXPECT_FALSE(broken.WellFormed());
  EXPECT_EQ(broken.Count(), 1);
}

TEST_F(ParamBlock, AutomaticBlockStartsAtTheDefaultsAsTheOwnersReference) {
  EXPECT_EQ(block->GetOwner(), holder);
  EXPECT_EQ(block->ID(), 3);
  EXPECT_EQ(block->GetInt(kCount), 3);
  EXPECT_EQ(block->GetFloat(kSize), 2.5f);
  EXPECT_EQ(block->GetInt(kOn), 1);
  EXPECT_EQ(block->GetINode(kPick), nullptr);
  ASSERT_EQ(block->Dependents().size(), 1u);
  EXPECT_EQ(block->Dependents()[0], holder);
}

TEST_F(ParamBlock, ReadsOfTheWrongTypeOrAnUnknownIdFail) {
  Interval valid = FOREVER;
  float f = -1.0f;
  int i = -1;
  EXPECT_FALSE(block->GetValue(kCount, 0, f, valid));
  EXPECT_EQ(f, -1.0f);
  EXPECT_FALSE(block->GetValue(kSize, 0, i, valid));
  EXPECT_FALSE(block->GetValue(ParamID(42), 0, i, valid));
  EXPECT_EQ(i, -1);
  EXPECT_FALSE(block->SetValue(kCount, 0, 2.0f));
  EXPECT_FALSE(block->SetValue(ParamID(42), 0, 1));
}

TEST_F(ParamBlock, NumbersAreClampedToTheirRange) {
  block->SetValue(kCount, 0, 50);
  EXPECT_EQ(block->GetInt(kCount), 10);
  block->SetValue(kCount, 0, -3);
  EXPECT_EQ(block->GetInt(kCount), 1);
  block->SetValue(kSize, 0, 9.0f);
  EXPECT_EQ(block->GetFloat(kSize), 4.0f);
  block->SetValue(kSize, 0, 0.0f);
  EXPECT_EQ(block->GetFloat(kSize), 0.5f);
  block->SetValue(kSize, 0, 3);  // an integer into a float parameter
  EXPECT_EQ(block->GetFloat(kSize), 3.0f);
  block->SetValue(kSize, 0, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(block->GetFloat(kSize), 2.5f);
  block->SetValue(kOn, 0, 7);
  EXPECT_EQ(block->GetInt(kOn), 1);
  block->SetValue(kOn, 0, 0);
  EXPECT_EQ(block->GetInt(kOn), 0);
  // No range: any integer is kept.
  block->SetValue(kMode, 0, 1234);
  EXPECT_EQ(block->GetInt(kMode), 1234);
}

TEST_F(ParamBlock, TheAccessorSeesEverySetWithTheValueThatIsStored) {
  block->SetValue(kCount, 0, 50);
  block->SetValue(kCount, 0, 10);
  block->SetValue(kSize, 0, 1.5f);
  block->SetValue(kOn, 0, 0);  // no accessor
  ASSERT_EQ(accessor.calls.size(), 3u);
  EXPECT_EQ(accessor.calls[0].id, kCount);
  EXPECT_EQ(accessor.calls[0].value.i, 10);
  EXPECT_EQ(accessor.calls[0].owner, holder);
  EXPECT_EQ(accessor.calls[1].value.i, 10);
  EXPECT_EQ(accessor.calls[2].id, kSize);
  EXPECT_EQ(accessor.calls[2].value.f, 1.5f);
}

TEST_F(ParamBlock, EverySetNotifiesTheOwnerAndNamesTheParameter) {
  block->SetValue(kMode, 0, 2);
  EXPECT_EQ(holder->received, std::vector<RefMessage>{REFMSG_CHANGE});
  EXPECT_EQ(block->LastNotifyParamID(), kMode);
  block->SetValue(kSize, 0, 1.0f);
  EXPECT_EQ(block->LastNotifyParamID(), kSize);
  EXPECT_EQ(holder->received.size(), 2u);
}

TEST_F(ParamBlock, NodeParametersAreReferences) {
  auto node = std::make_unique<INode>();
  ASSERT_TRUE(block->SetValue(kPick, 0, node.get()));
  EXPECT_EQ(block->GetINode(kPick), node.get());
  ASSERT_EQ(node->Dependents().size(), 1u);
  EXPECT_EQ(node->Dependents()[0], block);
  EXPECT_FALSE(block->SetValue(kPick, 0, 5));

  // A change of the node reaches the owner, naming the node parameter.
  block->SetValue(kMode, 0, 2);
  holder->received.clear();
  node->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  EXPECT_EQ(holder->received, std::vector<RefMessage>{REFMSG_CHANGE});
  EXPECT_EQ(block->LastNotifyParamID(), kPick);

  // A deleted node reads as none.
  node.reset();
  EXPECT_EQ(block->GetINode(kPick), nullptr);
}

TEST_F(ParamBlock, ClearingANodeParameterDropsTheReference) {
  auto node = std::make_unique<INode>();
  block->SetValue(kPick, 0, node.get());
  ASSERT_TRUE(block->SetValue(kPick, 0, static_cast<INode*>(nullptr)));
  EXPECT_EQ(block->GetINode(kPick), nullptr);
  EXPECT_TRUE(node->Dependents().empty());
}

TEST_F(ParamBlock, ANodeThatDependsOnTheOwnerIsRefused) {
  auto* node = new INode();
  auto* other = new Holder();
  cd.MakeAutoParamBlocks(other);
  node->SetObjectRef(other);
  EXPECT_FALSE(other->block->SetValue(kPick, 0, node));
  EXPECT_EQ(other->block->GetINode(kPick), nullptr);
  // Another block may refer to it.
  EXPECT_TRUE(block->SetValue(kPick, 0, node));
  block->SetValue(kPick, 0, static_cast<INode*>(nullptr));
  delete node;  // takes the holder and its block with it
}

TEST_F(ParamBlock, CloneCopiesTheValuesAndBelongsToWhoeverInstallsIt) {
  auto node = std::make_unique<INode>();
  block->SetValue(kCount, 0, 7);
  block->SetValue(kPick, 0, node.get());
  RemapDir remap;
  auto* copy = static_cast<IParamBlock2*>(block->Clone(remap));
  EXPECT_EQ(remap.FindMapping(block), copy);
  EXPECT_EQ(copy->GetInt(kCount), 7);
  EXPECT_EQ(copy->GetINode(kPick), node.get());
  EXPECT_EQ(node->Dependents().size(), 2u);

  auto* second = new Holder();
  second->ReplaceReference(2, copy);
  EXPECT_EQ(copy->GetOwner(), second);
  accessor.calls.clear();
  copy->SetValue(kCount, 0, 2);
  ASSERT_EQ(accessor.calls.size(), 1u);
  EXPECT_EQ(accessor.calls[0].owner, second);
  EXPECT_EQ(block->GetInt(kCount), 7);
  second->DeleteMe();
  EXPECT_EQ(node->Dependents().size(), 1u);
}

}  // namespace
