// The modifier object as the host sees it: its parameter block and description, references and
// sub-animatables, channels and validity, clones, the editing notifications and its interfaces.
#include <gtest/gtest.h>

#include <string>

#include "iparamm2.h"
#include "support/message_recorder.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

class ModifierObject : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScene();
    mod = NewModifier();
    ASSERT_NE(mod, nullptr);
  }
  void TearDown() override {
    if (mod != nullptr) mod->DeleteMe();
    ResetScene();
  }

  Modifier* mod = nullptr;
};

// --- parameter block -----------------------------------------------------------------------------

struct ExpectedParam {
  int id;
  const wchar_t* name;
  ParamType2 type;
  double defaultValue;  // ignored for node parameters
  bool hasAccessor;
};

const ExpectedParam kExpectedParams[] = {
    {kUndefObject, L"UndefObject", TYPE_INODE, 0, false},
    {kMirrorAxis, L"mirrorAxis", TYPE_INT, 0, false},
    {kUpdateResult, L"updateResult", TYPE_BOOL, 1, true},
    {kOperation, L"operation", TYPE_INT, 0, true},
    {kDirection, L"direction", TYPE_INT, 0, false},
    {kConstantUpdate, L"constantUpdate", TYPE_BOOL, 1, true},
    {kIgnoreSO, L"ignoreSO", TYPE_BOOL, 1, true},
    {kDisplayAxis, L"displayAxis", TYPE_BOOL, 0, true},
    {kAxisOffset, L"axisOffset", TYPE_FLOAT, 0.0, false},
    {kDisplaySize, L"displaySize", TYPE_FLOAT, 50.0, false},
    {kResetCentreVerts, L"resetCentreVerts", TYPE_BOOL, 1, true},
    {kBaseSelectionMasks, L"baseSelectionMasks", TYPE_BOOL, 0, true},
    {kInvertBaseSelection, L"invertBaseSelection", TYPE_BOOL, 0, true},
    {kEnableAsymmetry, L"enableAsymmetry", TYPE_BOOL, 0, true},
    {kAsymNode, L"asymNode", TYPE_INODE, 0, false},
    {kAsynType, L"asynType", TYPE_INT, 1, false},
    {kUVDominance, L"UVDominance", TYPE_INT, 0, false},
    {kNormXforms, L"NormXforms", TYPE_BOOL, 0, true},
    {kOperateOnSelection, L"OperateOnSelection", TYPE_BOOL, 0, true},
    {kOperateOnlyOnSelection, L"OperateOnlyOnSelection", TYPE_BOOL, 0, true},
};

TEST_F(ModifierObject, NewBlockReadsBackEveryDefault) {
  IParamBlock2* pb = Params(mod);
  ASSERT_NE(pb, nullptr);
  ASSERT_EQ(pb->NumParams(), 20);
  for (const ExpectedParam& e : kExpectedParams) {
    SCOPED_TRACE(e.id);
    Interval valid = FOREVER;
    if (e.type == TYPE_INODE) {
      INode* node = reinterpret_cast<INode*>(1);
      EXPECT_TRUE(pb->GetValue(ParamID(e.id), 0, node, valid));
      EXPECT_EQ(node, nullptr) << e.id;
    } else if (e.type == TYPE_FLOAT) {
      float v = -1.0f;
      EXPECT_TRUE(pb->GetValue(ParamID(e.id), 0, v, valid));
      EXPECT_EQ(v, float(e.defaultValue)) << e.id;
    } else {
      int v = -1;
      EXPECT_TRUE(pb->GetValue(ParamID(e.id), 0, v, valid));
      EXPECT_EQ(v, int(e.defaultValue)) << e.id;
    }
  }
}

TEST_F(ModifierObject, DescriptionNamesTypesAndAccessorAttachment) {
  ParamBlockDesc2* desc = Params(mod)->GetDesc();
  EXPECT_EQ(desc->ID, 0);
  EXPECT_EQ(std::wstring(desc->int_name), L"params");
  EXPECT_EQ(desc->local_name, 0);
  EXPECT_EQ(desc->cd, ModifierDesc());
  EXPECT_EQ(desc->flags, P_AUTO_CONSTRUCT | P_AUTO_UI);
  EXPECT_EQ(desc->ref_no, 0);
  EXPECT_EQ(desc->dlg_template, 101);
  EXPECT_EQ(desc->title, 4);
  EXPECT_TRUE(desc->WellFormed());
  EXPECT_EQ(ModifierDesc()->GetParamBlockDescByID(0), desc);

  PBAccessor* shared = desc->GetParamDef(kUpdateResult)->accessor;
  ASSERT_NE(shared, nullptr);
  for (const ExpectedParam& e : kExpectedParams) {
    const ParamDef* def = desc->GetParamDef(ParamID(e.id));
    ASSERT_NE(def, nullptr) << e.id;
    EXPECT_EQ(desc->IDtoIndex(ParamID(e.id)), e.id);
    EXPECT_EQ(std::wstring(def->int_name), e.name);
    EXPECT_EQ(def->type, e.type) << e.id;
    EXPECT_EQ(def->flags, 0) << e.id;
    // One accessor instance serves every parameter that has one.
    EXPECT_EQ(def->accessor, e.hasAccessor ? shared : nullptr) << e.id;
  }
}

TEST_F(ModifierObject, DisplayNamesAreStringIdsOrTheirOwnText) {
  ParamBlockDesc2* desc = Params(mod)->GetDesc();
  auto literal = [&](int id) {
    StringResID s = desc->GetParamDef(ParamID(id))->local_name;
    return IS_STRING_RESOURCE_ID(s) ? std::wstring() : std::wstring(reinterpret_cast<const MCHAR*>(s));
  };
  EXPECT_EQ(literal(kBaseSelectionMasks), L"BaseSelectionMasks");
  EXPECT_EQ(literal(kInvertBaseSelection), L"InvertBaseSelection");
  EXPECT_EQ(literal(kEnableAsymmetry), L"enableAsymmetry");
  EXPECT_EQ(literal(kNormXforms), L"NormXforms");
  EXPECT_EQ(desc->GetParamDef(kUndefObject)->local_name, 7);
  EXPECT_EQ(desc->GetParamDef(kAxisOffset)->local_name, 16);
  EXPECT_EQ(desc->GetParamDef(kOperateOnlyOnSelection)->local_name, 23);
  // Both node pickers prompt with string 16.
  EXPECT_EQ(desc->GetParamDef(kUndefObject)->prompt, 16);
  EXPECT_EQ(desc->GetParamDef(kAsymNode)->prompt, 16);
}

TEST_F(ModifierObject, RangesAndSpinnersReachTheHostAsTheirSinglePrecisionValues) {
  ParamBlockDesc2* desc = Params(mod)->GetDesc();
  const ParamDef* offset = desc->GetParamDef(kAxisOffset);
  EXPECT_EQ(offset->range_low.f, -9999999.0f);
  EXPECT_EQ(offset->range_high.f, 9999999.0f);
  EXPECT_EQ(offset->spin_scale, double(0.1f));
  EXPECT_EQ(offset->ctrl_IDs, (std::vector<int>{1013, 1018}));
  const ParamDef* size = desc->GetParamDef(kDisplaySize);
  EXPECT_EQ(size->range_low.f, 0.01f);
  EXPECT_EQ(size->spin_scale, -1.0);
  EXPECT_EQ(desc->GetParamDef(kMirrorAxis)->ctrl_IDs, (std::vector<int>{1000, 1001, 1005}));
  EXPECT_EQ(desc->GetParamDef(kOperation)->ctrl_IDs, (std::vector<int>{1002, 1006, 1009}));

  // The host keeps values inside the ranges it was handed.
  IParamBlock2* pb = Params(mod);
  pb->SetValue(kMirrorAxis, 0, 7);
  EXPECT_EQ(pb->GetInt(kMirrorAxis), 2);
  pb->SetValue(kDisplaySize, 0, 0.0f);
  EXPECT_EQ(pb->GetFloat(kDisplaySize), 0.01f);
}

// --- references, sub-animatables, identity ----------------------------------------------------

TEST_F(ModifierObject, TheBlockIsTheOnlyReferenceAndSubAnimatable) {
  IParamBlock2* pb = Params(mod);
  EXPECT_EQ(mod->NumRefs(), 1);
  EXPECT_EQ(mod->GetReference(0), pb);
  EXPECT_EQ(mod->NumSubs(), 1);
  EXPECT_EQ(mod->SubAnim(0), pb);
  EXPECT_EQ(mod->SubAnim(3), pb);
  EXPECT_EQ(mod->SubAnimName(0), MSTR(L"Velomorph v1.02"));
  EXPECT_EQ(mod->NumParamBlocks(), 1);
  EXPECT_EQ(mod->GetParamBlock(0), pb);
  EXPECT_EQ(mod->GetParamBlockByID(0), pb);
  EXPECT_EQ(mod->GetParamBlockByID(1), nullptr);
  EXPECT_EQ(pb->GetOwner(), mod);
  ASSERT_EQ(pb->Dependents().size(), 1u);
  EXPECT_EQ(pb->Dependents()[0], mod);
}

TEST_F(ModifierObject, ClassIdentityAndNames) {
  EXPECT_EQ(mod->SuperClassID(), SClass_ID(OSM_CLASS_ID));
  EXPECT_EQ(mod->ClassID(), kModifierClass);
  MSTR name;
  mod->GetClassName(name);
  EXPECT_EQ(name, MSTR(L"Velomorph"));
  EXPECT_EQ(std::wstring(mod->GetObjectName()), L"Velomorph");
  EXPECT_EQ(mod->InputType(), defObjectClassID);
}

TEST_F(ModifierObject, ChannelsAndValidity) {
  EXPECT_EQ(mod->ChannelsUsed(), 0xB7u);
  EXPECT_EQ(mod->ChannelsChanged(), 0x97u);
  EXPECT_FALSE(mod->ChangesSelType());
  EXPECT_TRUE(mod->NeedUseSubselButton());
  ModContext mc;
  EXPECT_FALSE(mod->DependOnTopology(mc));
  for (TimeValue t : {0, 160, -4800, 1 << 20}) EXPECT_EQ(mod->LocalValidity(t), NEVER) << t;

  IObjParam ip;
  mod->BeginEditParams(&ip, 0, nullptr);
  EXPECT_EQ(mod->LocalValidity(0), NEVER);
  mod->EndEditParams(&ip, 0, nullptr);
}

// --- clones --------------------------------------------------------------------------------------

TEST_F(ModifierObject, CloneCopiesTheValuesIntoABlockOfItsOwn) {
  INode* target = Scene::Get().CreateNode(L"target", MakeSymmetricGrid(3, 2));
  IParamBlock2* pb = Params(mod);
  pb->SetValue(kOperation, 0, 1);
  pb->SetValue(kAxisOffset, 0, 2.5f);
  pb->SetValue(kUndefObject, 0, target);

  RemapDir remap;
  auto* copy = static_cast<Modifier*>(mod->Clone(remap));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(remap.FindMapping(mod), copy);
  IParamBlock2* copied = Params(copy);
  ASSERT_NE(copied, nullptr);
  EXPECT_NE(copied, pb);
  EXPECT_EQ(copy->NumRefs(), 1);
  EXPECT_EQ(copied->GetOwner(), copy);
  EXPECT_EQ(copied->GetInt(kOperation), 1);
  EXPECT_EQ(copied->GetFloat(kAxisOffset), 2.5f);
  EXPECT_EQ(copied->GetINode(kUndefObject), target);

  copied->SetValue(kOperation, 0, 2);
  pb->SetValue(kAxisOffset, 0, -1.0f);
  EXPECT_EQ(pb->GetInt(kOperation), 1);
  EXPECT_EQ(copied->GetFloat(kAxisOffset), 2.5f);
  copy->DeleteMe();
  // The source's block survives the clone's deletion.
  EXPECT_EQ(Params(mod), pb);
  EXPECT_EQ(pb->GetINode(kUndefObject), target);
}

// --- editing -------------------------------------------------------------------------------------

TEST_F(ModifierObject, EditingSendsItsNotificationsInOrderAroundTheEditedFlag) {
  MessageRecorder recorder(mod);
  IObjParam ip;
  ip.SetTime(160, FALSE);
  ParamBlockDesc2* desc = Params(mod)->GetDesc();

  mod->BeginEditParams(&ip, 0, nullptr);
  EXPECT_TRUE(mod->TestAFlag(A_MOD_BEING_EDITED));
  EXPECT_NE(ModifierDesc()->GetParamMap(desc), nullptr);
  ASSERT_EQ(recorder.Messages(), (std::vector<RefMessage>{REFMSG_BEGIN_EDIT, REFMSG_MOD_DISPLAY_ON}));

  mod->EndEditParams(&ip, 0, nullptr);
  EXPECT_FALSE(mod->TestAFlag(A_MOD_BEING_EDITED));
  EXPECT_EQ(ModifierDesc()->GetParamMap(desc), nullptr);
  ASSERT_EQ(recorder.Messages(), (std::vector<RefMessage>{REFMSG_BEGIN_EDIT, REFMSG_MOD_DISPLAY_ON,
                                                          REFMSG_END_EDIT, REFMSG_MOD_DISPLAY_OFF}));
  for (const MessageRecorder::Message& m : recorder.received) {
    EXPECT_EQ(m.interval, Interval(160, 160));
    EXPECT_EQ(m.part, PartID(PART_ALL));
    // The flag goes up after the opening notifications and down before the closing ones.
    EXPECT_EQ(m.senderFlags & A_MOD_BEING_EDITED, 0u) << m.message;
  }
}

TEST_F(ModifierObject, ParameterChangeRefreshesOnlyThatControl) {
  ClassDesc2* cd = ModifierDesc();
  MessageRecorder recorder(mod);
  size_t before = cd->invalidatedParams.size();
  Params(mod)->SetValue(kDirection, 0, 1);
  ASSERT_EQ(cd->invalidatedParams.size(), before + 1);
  EXPECT_EQ(cd->invalidatedParams.back(), ParamID(kDirection));
  // The change reaches the modifier's own dependents too.
  EXPECT_EQ(recorder.Count(REFMSG_CHANGE), 1);

  // Other messages from the block are not acted on.
  Params(mod)->NotifyDependents(FOREVER, PART_ALL, REFMSG_BEGIN_EDIT);
  EXPECT_EQ(cd->invalidatedParams.size(), before + 1);
}

// --- interfaces ----------------------------------------------------------------------------------

TEST_F(ModifierObject, InterfaceLookupFollowsTheMixinRules) {
  BaseInterface* ops = mod->GetInterface(kMirrorOpsInterface);
  ASSERT_NE(ops, nullptr);
  EXPECT_EQ(mod->GetInterface(Interface_ID(0, 3)), ops);
  EXPECT_EQ(mod->GetInterface(Interface_ID(0, 2)), ops);
  FPInterfaceDesc* desc = ModifierDesc()->GetInterface(kMirrorOpsInterface)->GetDesc();
  EXPECT_EQ(mod->GetInterface(Interface_ID(0, 4)), desc);
  EXPECT_EQ(MirrorOps(mod)->GetDesc(), desc);
  EXPECT_EQ(mod->GetInterface(Interface_ID(0x1234, 0x5678)), nullptr);
  // The mixin answers for the modifier.
  EXPECT_EQ(ops->GetInterface(kMirrorOpsInterface), ops);
  EXPECT_EQ(ops->GetInterface(Interface_ID(0, 4)), desc);
}

TEST_F(ModifierObject, ScriptingInterfaceDescription) {
  FPInterfaceDesc* desc = MirrorOps(mod)->GetDesc();
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(desc->ID, kMirrorOpsInterface);
  EXPECT_EQ(std::wstring(desc->internal_name), L"vMirrorOps");
  EXPECT_EQ(desc->flags, ULONG(FP_MIXIN));
  EXPECT_EQ(desc->cd, ModifierDesc());
  EXPECT_TRUE(desc->WellFormed());
  ASSERT_EQ(desc->functions.size(), 3u);
  const wchar_t* names[] = {L"reset", L"resetTarget", L"resetMatch"};
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(desc->functions[size_t(f)].ID, FunctionID(f));
    EXPECT_EQ(std::wstring(desc->functions[size_t(f)].internal_name), names[f]);
    EXPECT_EQ(desc->functions[size_t(f)].result_type, int(TYPE_VOID));
    EXPECT_EQ(MirrorOps(mod)->FindFn(names[f]), FunctionID(f));
  }
  EXPECT_EQ(MirrorOps(mod)->FindFn(L"resetAll"), FP_NO_FUNCTION);
}

}  // namespace
