// The polygon-mesh path through the host, where it differs from the triangle path: the replay's
// listener notice, dead vertices, the base mask of Flip and Reset, the polygon selection
// write-back and the geometry cache.
//
// Both the target and the sculpt are a flat 5 x 3 quad grid symmetric about X = 0:
//
//   row 2   10 -- 11 -- 12 -- 13 -- 14
//   row 1    5 --  6 --  7 --  8 --  9        partners: column c <-> column 4 - c
//   row 0    0 --  1 --  2 --  3 --  4        column 2 (x = 0) lies on the plane
//      x    -1   -0.5    0    0.5    1
#include <gtest/gtest.h>

#include <string>

#include "maxscript/util/listener.h"
#include "support/plugin_fixture.h"
#include "support/sculpt_scene.h"
#include "support/point_sets.h"

using namespace testing_support;

namespace {

Point3 reflectX(const Point3& p) { return Point3(-p.x, p.y, p.z); }

int countOf(const std::wstring& text, const std::wstring& line) {
  int n = 0;
  for (size_t at = text.find(line); at != std::wstring::npos; at = text.find(line, at + line.size())) ++n;
  return n;
}

class PolygonPath : public SculptScene {
 protected:
  void SetUp() override {
    buildScene(MakeSymmetricPolyGrid(5, 3), MakeSymmetricPolyGrid(5, 3));
    the_listener->Clear();
  }
  void TearDown() override {
    SculptScene::TearDown();
    the_listener->Clear();
  }

  MNMesh& input() {
    Object* base = static_cast<IDerivedObject*>(sculpt->GetObjectRef())->GetObjRef();
    return static_cast<PolyObject*>(base)->GetMesh();
  }
  MNMesh& targetMesh() { return static_cast<PolyObject*>(target->GetObjectRef())->GetMesh(); }
  MNMesh& output() { return static_cast<PolyObject*>(sculpt->EvalWorldState(0).obj)->GetMesh(); }
  void set(Param id, int value) { Params(mod)->SetValue(id, 0, value); }
  int replays() { return countOf(the_listener->Text(), L"Deformed from Cache\n"); }

  // Soft selection on the input (vertex-data channel 0) at vertex level.
  void softSelectInput(const std::vector<std::pair<int, float>>& weights) {
    input().selLevel = MNM_SL_VERTEX;
    input().setVDataSupport(0, TRUE);
    for (auto [vertex, w] : weights) input().vertexFloat(0)[vertex] = w;
  }
};

TEST_F(PolygonPath, EveryReplayWritesOneListenerLine) {
  set(kConstantUpdate, 0);
  input().P(3).z += 1.0f;
  const std::vector<Point3> first = Positions(output());
  EXPECT_EQ(replays(), 0) << "the first evaluation has nothing stored to replay";

  input().P(8).z += 2.0f;  // ignored while the stored result is replayed
  EXPECT_EQ(Positions(output()), first);
  EXPECT_EQ(replays(), 1);
  EXPECT_EQ(Positions(output()), first);
  EXPECT_EQ(the_listener->Text(), L"Deformed from Cache\nDeformed from Cache\n");
}

TEST_F(PolygonPath, ReplayAnnouncesItselfWhenTheCountsNoLongerMatch) {
  set(kConstantUpdate, 0);
  output();
  input().NewVert(Point3(0.0f, 9.0f, 0.0f));
  input().P(1).z += 3.0f;
  const std::vector<Point3> changed = Positions(input());
  EXPECT_EQ(Positions(output()), changed) << "a mismatched replay hands the input on";
  EXPECT_EQ(replays(), 1);
}

TEST_F(PolygonPath, NoTargetChangesNothingPrintsNothingInvalidatesNothing) {
  Params(mod)->SetValue(kUndefObject, 0, static_cast<INode*>(nullptr));
  set(kConstantUpdate, 0);
  input().P(1).z += 5.0f;
  MNMesh& out = output();
  EXPECT_EQ(Positions(out), Positions(input()));
  EXPECT_EQ(out.geomCacheInvalidations, 0);
  output();
  EXPECT_TRUE(the_listener->Text().empty());
}

TEST_F(PolygonPath, FullEvaluationAndReplayInvalidateTheGeometryCacheOnce) {
  set(kConstantUpdate, 0);
  EXPECT_EQ(output().geomCacheInvalidations, 1);
  EXPECT_EQ(output().geomCacheInvalidations, 1);
  EXPECT_EQ(replays(), 1);
}

TEST_F(PolygonPath, DeadVerticesAreMovedLikeTheOthers) {
  input().V(1)->SetFlag(MN_DEAD);
  input().P(3).z += 1.0f;
  input().P(1).z -= 4.0f;
  EXPECT_EQ(output().P(1), reflectX(input().P(3)));
}

TEST_F(PolygonPath, DeadVerticesNeverCountAsSelected) {
  set(kIgnoreSO, 0);
  input().selLevel = MNM_SL_VERTEX;
  input().V(0)->SetFlag(MN_SEL);
  input().V(1)->SetFlag(MN_SEL | MN_DEAD);
  input().P(4).z += 1.0f;
  input().P(3).z += 2.0f;
  input().P(1).z -= 4.0f;
  MNMesh& out = output();
  EXPECT_EQ(out.P(0), reflectX(input().P(4)));
  EXPECT_EQ(out.P(1), input().P(1)) << "a selected dead vertex is left alone";
}

// Target selection for the base mask: vertex 0 selected (weight 1), vertex 1 soft only (0.5),
// vertex 5 soft only at full weight (1.0); every other vertex unselected with weight 0.
class PolygonBaseMask : public PolygonPath {
 protected:
  void SetUp() override {
    PolygonPath::SetUp();
    MNMesh& t = targetMesh();
    t.selLevel = MNM_SL_VERTEX;
    t.V(0)->SetFlag(MN_SEL);
    t.setVDataSupport(0, TRUE);
    t.vertexFloat(0)[0] = 1.0f;
    t.vertexFloat(0)[1] = 0.5f;
    t.vertexFloat(0)[5] = 1.0f;
    set(kBaseSelectionMasks, 1);
    for (int v : {0, 1, 5, 6}) input().P(v).z += 0.25f * float(v + 1);
    for (int v : {3, 4, 8, 9}) input().P(v).y += 0.125f * float(v);
  }
  bool moved(int v) { return !(output().P(v) == input().P(v)); }
};

TEST_F(PolygonBaseMask, MirrorAlsoPassesVerticesTheTargetSelectsSoftly) {
  EXPECT_TRUE(moved(0));
  EXPECT_TRUE(moved(1));
  EXPECT_TRUE(moved(5));
  EXPECT_FALSE(moved(6));
}

TEST_F(PolygonBaseMask, FlipPassesOnlyVerticesWhoseBaseBitIsSet) {
  set(kOperation, 1);
  MNMesh& out = output();
  EXPECT_EQ(out.P(0), reflectX(input().P(4)));
  for (int v : {1, 5, 6, 3, 4}) EXPECT_EQ(out.P(v), input().P(v)) << "vertex " << v;
}

TEST_F(PolygonBaseMask, ResetPassesOnlyVerticesWhoseBaseBitIsSet) {
  set(kOperation, 2);
  MNMesh& out = output();
  EXPECT_EQ(out.P(0), targetMesh().P(0));
  for (int v : {1, 5, 6}) EXPECT_EQ(out.P(v), input().P(v)) << "vertex " << v;
}

TEST_F(PolygonBaseMask, InvertedFlipIgnoresTheTargetWeights) {
  set(kInvertBaseSelection, 1);
  set(kOperation, 1);
  MNMesh& out = output();
  EXPECT_EQ(out.P(0), input().P(0));
  EXPECT_EQ(out.P(5), reflectX(input().P(9))) << "unselected at full weight still passes in Flip";
  EXPECT_EQ(out.P(1), reflectX(input().P(3)));
}

TEST_F(PolygonPath, WriteBackSelectsAboveTheThresholdAndKeepsTheWeights) {
  set(kIgnoreSO, 0);
  set(kOperateOnSelection, 1);
  softSelectInput({{3, 0.999f}, {4, 1.0f}, {8, 0.5f}});
  input().SetDispFlag(MNDISP_SELFACES | MNDISP_SELEDGES);
  MNMesh& out = output();
  ASSERT_TRUE(out.vDataSupport(0));
  EXPECT_FALSE(out.V(1)->GetFlag(MN_SEL));
  EXPECT_FLOAT_EQ(out.vertexFloat(0)[1], 0.999f);
  EXPECT_TRUE(out.V(0)->GetFlag(MN_SEL));
  EXPECT_FLOAT_EQ(out.vertexFloat(0)[0], 1.0f);
  EXPECT_FLOAT_EQ(out.vertexFloat(0)[6], 0.5f);
  for (int v : {3, 4, 8}) {
    EXPECT_FALSE(out.V(v)->GetFlag(MN_SEL)) << "the driving side ends unselected, vertex " << v;
    EXPECT_EQ(out.vertexFloat(0)[v], 0.0f);
  }
  EXPECT_EQ(out.selLevel, MNM_SL_VERTEX);
  EXPECT_EQ(out.dispFlags & (MNDISP_SELFACES | MNDISP_SELEDGES), 0u);
  EXPECT_EQ(out.dispFlags & (MNDISP_VERTTICKS | MNDISP_SELVERTS), DWORD(MNDISP_VERTTICKS | MNDISP_SELVERTS));
}

TEST_F(PolygonPath, ResetHasNoWriteBack) {
  set(kOperation, 2);
  set(kOperateOnSelection, 1);
  input().V(3)->SetFlag(MN_SEL);
  input().selLevel = MNM_SL_FACE;
  MNMesh& out = output();
  EXPECT_TRUE(out.V(3)->GetFlag(MN_SEL));
  EXPECT_EQ(out.selLevel, MNM_SL_FACE);
}

TEST_F(PolygonPath, CountMismatchKeepsPositionsButClearsTheSelection) {
  set(kOperateOnSelection, 1);
  input().NewVert(Point3(0.0f, 9.0f, 0.0f));
  input().selLevel = MNM_SL_VERTEX;
  input().V(3)->SetFlag(MN_SEL);
  input().P(1).z += 5.0f;
  MNMesh& out = output();
  EXPECT_EQ(Positions(out), Positions(input()));
  for (int v = 0; v < out.numv; ++v) EXPECT_FALSE(out.V(v)->GetFlag(MN_SEL)) << "vertex " << v;
  EXPECT_EQ(out.selLevel, MNM_SL_VERTEX);
}

// The dispatch's triangle copy must hold the symmetric result: the Surface asymmetry reads the
// result's surface from it. The sculpt tilts the positive side (z = 0.75 x), so the mirrored
// negative side around column 0 lies in the plane z = -0.75 x with unit normal (0.6, 0, 0.8);
// the input's own negative side is still flat. An asymmetry of one unit along the target's
// normal at vertex 5 must come out along the result's normal.
TEST_F(PolygonPath, TheTriangleCopyCarriesTheSymmetricResult) {
  for (int v = 0; v < input().numv; ++v) {
    if (input().P(v).x > 0.0f) input().P(v).z = 0.75f * input().P(v).x;
  }
  PolyObject* asymObject = MakeSymmetricPolyGrid(5, 3);
  asymObject->GetMesh().P(5).z += 1.0f;
  INode* asym = Scene::Get().CreateNode(L"asym", asymObject);
  const Point3 symmetric = output().P(5);

  Params(mod)->SetValue(kAsymNode, 0, asym);
  set(kEnableAsymmetry, 1);
  set(kAsynType, 1);
  const Point3 offset = output().P(5) - symmetric;
  EXPECT_NEAR(offset.x, 0.6f, 1e-5f);
  EXPECT_NEAR(offset.y, 0.0f, 1e-5f);
  EXPECT_NEAR(offset.z, 0.8f, 1e-5f);
}

}  // namespace
