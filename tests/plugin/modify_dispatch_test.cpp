// Each evaluation is routed by the class of the incoming object, its channel validity is set
// afterwards, and a table index failure inside a stack is the host's to report.
#include <gtest/gtest.h>

#include "polyobj.h"
#include "patchobj.h"
#include "standin_objects.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

// A triangle mesh that counts how many of its kind were deleted: the polygon branch's temporary
// conversion is one.
class CountedTriObject : public TriObject {
 public:
  ~CountedTriObject() override { ++deleted; }
  static int deleted;
};
int CountedTriObject::deleted = 0;

// A polygon object whose triangle-mesh conversions are CountedTriObjects. Its pipeline copies stay
// of its own class, so the conversion the modifier asks for is this one.
class CountedPolyObject : public PolyObject {
 public:
  Object* ConvertToType(TimeValue t, Class_ID obtype) override {
    if (obtype != triObjectClassID) return PolyObject::ConvertToType(t, obtype);
    auto* tri = new CountedTriObject();
    mm.OutToTri(tri->mesh);
    ++conversions;
    return tri;
  }
  Object* MakeShallowCopy(ChannelMask channels) override {
    auto* copy = new CountedPolyObject();
    copy->mm = mm;
    copy->CopyValidity(*this);
    return copy;
  }
  static int conversions;
};
int CountedPolyObject::conversions = 0;

CountedPolyObject* MakeQuadPoly() {
  auto* poly = new CountedPolyObject();
  for (Point3 p : {Point3(-1.0f, 0.0f, 0.0f), Point3(1.0f, 0.0f, 0.0f), Point3(1.0f, 1.0f, 0.0f), Point3(-1.0f, 1.0f, 0.0f)}) {
    poly->mm.NewVert(p);
  }
  poly->mm.NewFace({0, 1, 2, 3});
  return poly;
}

PatchObject* MakeTriPatch() {
  auto* obj = new PatchObject();
  PatchMesh& pm = obj->patch;
  pm.setNumVerts(3);
  pm.verts[0].p = Point3(-1.0f, 0.0f, 0.0f);
  pm.verts[1].p = Point3(1.0f, 0.0f, 0.0f);
  pm.verts[2].p = Point3(0.0f, 1.0f, 0.0f);
  pm.setNumPatches(1);
  pm.patches[0].type = PATCH_TRI;
  pm.patches[0].v[0] = 0;
  pm.patches[0].v[1] = 1;
  pm.patches[0].v[2] = 2;
  return obj;
}

// A modifier of the test's own that fails with the host's table index error.
class FailingModifier : public Modifier {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  void GetClassName(MSTR& s) override { s = L"Failing"; }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override { return defObjectClassID; }
  RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override { return REF_SUCCEED; }
  void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override {
    ++calls;
    // A half-done change the host must not hand on.
    if (os->obj->IsSubClassOf(triObjectClassID)) {
      Mesh& mesh = static_cast<TriObject*>(os->obj)->GetMesh();
      for (int i = 0; i < mesh.numVerts; ++i) mesh.verts[i].y += 100.0f;
    }
    Tab<int> empty;
    empty[0] = 1;
  }
  int calls = 0;
};

class ModifyDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScene();
    mod = NewModifier();
    CountedTriObject::deleted = 0;
    CountedPolyObject::conversions = 0;
  }
  void TearDown() override { ResetScene(); }

  INode* nodeWith(Object* obj) {
    INode* node = Scene::Get().CreateNode(L"object", obj);
    Scene::Get().ApplyModifier(node, mod);
    return node;
  }

  Modifier* mod = nullptr;
};

TEST_F(ModifyDispatch, TriangleMeshTakesTheTrianglePathWithoutConversion) {
  INode* target = Scene::Get().CreateNode(L"target", MakeSymmetricGrid(3, 2));
  INode* node = nodeWith(MakeSymmetricGrid(3, 2));
  BaseMeshOf(node).verts[0].z += 1.0f;  // x = -1: the written side, so Mirror puts it back
  Params(mod)->SetValue(kUndefObject, 0, target);
  const Mesh& out = EvaluatedMeshOf(node);
  EXPECT_EQ(out.verts[0], BaseMeshOf(target).verts[0]);
  ASSERT_NE(CacheOf(node), nullptr);
  EXPECT_EQ(CacheOf(node)->resultValid, 1);
}

TEST_F(ModifyDispatch, PolygonObjectGetsACacheAndItsTemporaryTriangleMeshIsDeleted) {
  INode* node = nodeWith(MakeQuadPoly());
  Object* out = node->EvalWorldState(0).obj;
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->IsSubClassOf(polyObjectClassID));
  EXPECT_NE(CacheOf(node), nullptr);
  EXPECT_EQ(CountedPolyObject::conversions, 1);
  EXPECT_EQ(CountedTriObject::deleted, 1);
  node->EvalWorldState(0);
  EXPECT_EQ(CountedPolyObject::conversions, 2);
  EXPECT_EQ(CountedTriObject::deleted, 2);
}

TEST_F(ModifyDispatch, PatchObjectTakesThePatchPath) {
  INode* node = nodeWith(MakeTriPatch());
  Object* out = node->EvalWorldState(0).obj;
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->IsSubClassOf(patchObjectClassID));
  EXPECT_NE(CacheOf(node), nullptr);
}

TEST_F(ModifyDispatch, BypassedClassPassesThroughUnchangedButItsMapValidityIsNarrowed) {
  auto* bypass = new BypassObject();
  bypass->points = {Point3(1.0f, 2.0f, 3.0f), Point3(-4.0f, 5.0f, 6.0f)};
  bypass->SetChannelValidity(TOPO_CHAN_NUM, Interval(0, 100));
  bypass->SetChannelValidity(GEOM_CHAN_NUM, Interval(-50, 50));
  INode* node = nodeWith(bypass);
  auto* out = static_cast<BypassObject*>(node->EvalWorldState(0).obj);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->points, bypass->points);
  EXPECT_EQ(CacheOf(node), nullptr);
  EXPECT_EQ(out->ChannelValidity(0, TEXMAP_CHAN_NUM), Interval(0, 100));
  EXPECT_EQ(out->ChannelValidity(0, GEOM_CHAN_NUM), Interval(-50, 50));
  EXPECT_EQ(out->ChannelValidity(0, TOPO_CHAN_NUM), Interval(0, 100));
}

TEST_F(ModifyDispatch, OtherClassIsOnlyAskedAboutConversion) {
  auto* cloud = new PointCloudObject();
  cloud->points = {Point3(1.0f, 0.0f, 0.0f)};
  cloud->SetChannelValidity(TOPO_CHAN_NUM, Interval(10, 20));
  INode* node = nodeWith(cloud);
  auto* out = static_cast<PointCloudObject*>(node->EvalWorldState(0).obj);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->points, cloud->points);
  EXPECT_EQ(out->conversionQueries, 1);
  EXPECT_EQ(CacheOf(node), nullptr);
  EXPECT_EQ(out->ChannelValidity(0, TEXMAP_CHAN_NUM), Interval(10, 20));
}

TEST_F(ModifyDispatch, TriangleMeshValidityKeepsGeometryAndNarrowsMaps) {
  TriObject* input = MakeSymmetricGrid(3, 2);
  input->SetChannelValidity(TOPO_CHAN_NUM, Interval(5, 15));
  input->SetChannelValidity(GEOM_CHAN_NUM, Interval(0, 30));
  INode* node = nodeWith(input);
  Object* out = node->EvalWorldState(0).obj;
  EXPECT_EQ(out->ChannelValidity(0, GEOM_CHAN_NUM), Interval(0, 30));
  EXPECT_EQ(out->ChannelValidity(0, TEXMAP_CHAN_NUM), Interval(5, 15));
}

TEST_F(ModifyDispatch, TableIndexFailureAboveTheModifierIsReportedAndSkipped) {
  INode* target = Scene::Get().CreateNode(L"target", MakeSymmetricGrid(3, 2));
  INode* node = Scene::Get().CreateNode(L"sculpt", MakeSymmetricGrid(3, 2));
  Scene::Get().ApplyModifier(node, mod);
  auto* failing = new FailingModifier();
  Scene::Get().ApplyModifier(node, failing);
  Params(mod)->SetValue(kUndefObject, 0, target);
  BaseMeshOf(node).verts[0].z += 1.0f;

  const Mesh& out = EvaluatedMeshOf(node);
  // The failing modifier's half-done change is gone; the symmetry modifier's result is handed on.
  EXPECT_EQ(out.verts[0], BaseMeshOf(target).verts[0]);
  EXPECT_EQ(out.verts[2], BaseMeshOf(node).verts[2]);
  ASSERT_NE(CacheOf(node, 1), nullptr);
  EXPECT_EQ(Elements(CacheOf(node, 1)->resultVerts), Positions(out));
  ASSERT_EQ(GetCOREInterface()->Reports().size(), 1u);
  const std::wstring& report = GetCOREInterface()->Reports()[0];
  EXPECT_NE(report.find(L"Failing"), std::wstring::npos);
  EXPECT_NE(report.find(L"sculpt"), std::wstring::npos);
  EXPECT_NE(report.find(L"Invalid index passed into a Max SDK Tab::operator[]"), std::wstring::npos);
  EXPECT_EQ(failing->calls, 1);
}

TEST_F(ModifyDispatch, TableIndexFailureBelowTheModifierHandsItTheObjectAsBefore) {
  INode* target = Scene::Get().CreateNode(L"target", MakeSymmetricGrid(3, 2));
  INode* node = Scene::Get().CreateNode(L"sculpt", MakeSymmetricGrid(3, 2));
  auto* failing = new FailingModifier();
  Scene::Get().ApplyModifier(node, failing);
  Scene::Get().ApplyModifier(node, mod);
  Params(mod)->SetValue(kUndefObject, 0, target);
  BaseMeshOf(node).verts[1].y += 0.5f;  // x = 0: the centre vertex keeps its y

  const Mesh& out = EvaluatedMeshOf(node);
  EXPECT_EQ(out.verts[1], BaseMeshOf(node).verts[1]);
  EXPECT_EQ(out.verts[2], BaseMeshOf(node).verts[2]);
  EXPECT_EQ(out.verts[0], BaseMeshOf(target).verts[0]);
  EXPECT_EQ(GetCOREInterface()->Reports().size(), 1u);
  ASSERT_NE(CacheOf(node, 0), nullptr);
  EXPECT_EQ(CacheOf(node, 0)->resultValid, 1);
}

}  // namespace
