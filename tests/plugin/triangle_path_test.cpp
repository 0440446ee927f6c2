// The triangle-mesh path through the host: a node carrying the modifier, a target node holding the
// undeformed symmetric mesh, evaluated by the host's pipeline.
//
// The target is a 5 by 3 grid symmetric about X = 0; vertex index = row * 5 + column:
//
//      x:  -1  -0.5   0   0.5   1
//   row 2: 10   11   12   13   14
//   row 1:  5    6    7    8    9
//   row 0:  0    1    2    3    4
//
// Column c pairs with column 4 - c; column 2 lies on the plane (its vertices are their own
// partners). The sculpted input is the same grid with every vertex moved a little.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "progress_listener.h"

#include "standin_objects.h"
#include "support/node_cache.h"
#include "support/plugin_fixture.h"
#include "support/sculpt_scene.h"

using namespace testing_support;

namespace {

constexpr int kColumns = 5, kRows = 3, kVerts = kColumns * kRows;

int columnOf(int i) { return i % kColumns; }
int partnerOf(int i) { return i - columnOf(i) + (kColumns - 1 - columnOf(i)); }
bool isCentre(int i) { return columnOf(i) == kColumns / 2; }
bool isNegative(int i) { return columnOf(i) < kColumns / 2; }
bool isPositive(int i) { return columnOf(i) > kColumns / 2; }

Point3 reflectedX(Point3 p) { return Point3(-p.x, p.y, p.z); }

// The pairing's brute-force definition for a plane through the origin: each vertex takes the
// lowest-index vertex nearest to its reflection, below the squared-distance threshold 1e8.
std::vector<int> referencePartners(const std::vector<Point3>& target, int axis) {
  std::vector<int> partners(target.size());
  for (size_t i = 0; i < target.size(); ++i) {
    Point3 m = target[i];
    m[axis] = -m[axis];
    float best = 1e8f;
    partners[i] = int(i);
    for (size_t j = 0; j < target.size(); ++j) {
      float dx = m.x - target[j].x, dy = m.y - target[j].y, dz = m.z - target[j].z;
      float e = dx * dx + dy * dy + dz * dz;
      if (e < best) {
        best = e;
        partners[i] = int(j);
      }
    }
  }
  return partners;
}

void selectVertices(Mesh& mesh, const std::vector<int>& indices) {
  mesh.selLevel = MESH_VERTEX;
  mesh.vertSel.SetSize(mesh.numVerts);
  mesh.vertSel.ClearAll();
  for (int i : indices) mesh.vertSel.Set(i);
}

float* softSelection(Mesh& mesh) {
  mesh.setVDataSupport(VDATA_SELECT, TRUE);
  return mesh.vertexFloat(VDATA_SELECT);
}

class TrianglePath : public SculptScene {
 protected:
  void SetUp() override {
    buildScene(MakeSymmetricGrid(kColumns, kRows), MakeSymmetricGrid(kColumns, kRows));
    Sculpt(input(), 1);
  }

  Mesh& input() { return BaseMeshOf(sculpt); }
  Mesh& base() { return BaseMeshOf(target); }
  const Mesh& output() { return EvaluatedMeshOf(sculpt); }
  vLocalMeshData* cache() { return CacheOf(sculpt); }
  void set(int id, int v) { ASSERT_TRUE(Params(mod)->SetValue(ParamID(id), 0, v)); }
  void setFloat(int id, float v) { ASSERT_TRUE(Params(mod)->SetValue(ParamID(id), 0, v)); }
  void invoke(FunctionID fid) { ASSERT_EQ(MirrorOps(mod)->Invoke(fid, 0), FPS_OK); }
  // Marks the target's object changed, so that capturing it takes a fresh evaluation of its node.
  void touchTarget() { target->GetObjectRef()->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE); }

  // Centre vertices under the default centre alignment: back on the target's plane coordinate,
  // the rest of the sculpt kept.
  Point3 alignedCentre(int i) { return Point3(base().verts[i].x, input().verts[i].y, input().verts[i].z); }
};

// --- Mirror, Flip, Reset -------------------------------------------------------------------------

TEST_F(TrianglePath, MirrorNegativeWritesTheNegativeSideFromThePositive) {
  std::vector<Point3> expected = Positions(input());
  for (int i = 0; i < kVerts; ++i) {
    if (isNegative(i)) expected[size_t(i)] = reflectedX(input().verts[partnerOf(i)]);
    if (isCentre(i)) expected[size_t(i)] = alignedCentre(i);
  }
  const Mesh& out = output();
  EXPECT_EQ(Positions(out), expected);
  EXPECT_EQ(cache()->resultValid, 1);
  EXPECT_EQ(Elements(cache()->resultVerts), expected);
}

TEST_F(TrianglePath, MirrorPositiveWritesThePositiveSideFromTheNegative) {
  set(kDirection, 1);
  std::vector<Point3> expected = Positions(input());
  for (int i = 0; i < kVerts; ++i) {
    if (isPositive(i)) expected[size_t(i)] = reflectedX(input().verts[partnerOf(i)]);
    if (isCentre(i)) expected[size_t(i)] = alignedCentre(i);
  }
  EXPECT_EQ(Positions(output()), expected);
}

TEST_F(TrianglePath, WithoutCentreAlignmentCentreVerticesReflectInPlaceInBothDirections) {
  set(kResetCentreVerts, 0);
  for (int side : {0, 1}) {
    set(kDirection, side);
    std::vector<Point3> expected = Positions(input());
    for (int i = 0; i < kVerts; ++i) {
      bool written = isCentre(i) || (side == 0 ? isNegative(i) : isPositive(i));
      if (written) expected[size_t(i)] = reflectedX(input().verts[partnerOf(i)]);
    }
    EXPECT_EQ(Positions(output()), expected) << side;
  }
}

TEST_F(TrianglePath, MirrorAboutAnOffsetPlane) {
  // Target and input moved by +0.5 in x: symmetric about X = 0.5.
  for (Mesh* m : {&base(), &input()}) {
    for (int i = 0; i < m->numVerts; ++i) m->verts[i].x += 0.5f;
  }
  setFloat(kAxisOffset, 0.5f);
  std::vector<Point3> in = Positions(input());
  const Mesh& out = output();
  for (int i = 0; i < kVerts; ++i) {
    EXPECT_EQ(cache()->vertMatch[i], partnerOf(i)) << i;
    if (!isNegative(i)) continue;
    const Point3& p = in[size_t(partnerOf(i))];
    EXPECT_NEAR(out.verts[i].x, 1.0f - p.x, 1e-6f) << i;
    EXPECT_EQ(out.verts[i].y, p.y) << i;
    EXPECT_EQ(out.verts[i].z, p.z) << i;
  }
}

TEST_F(TrianglePath, PartnersOfASymmetricTargetAreMutualAndCentresAreTheirOwn) {
  output();
  ASSERT_EQ(cache()->vertMatch.Count(), kVerts);
  EXPECT_EQ(Elements(cache()->vertMatch), referencePartners(Positions(base()), 0));
  for (int i = 0; i < kVerts; ++i) {
    EXPECT_EQ(cache()->vertMatch[i], partnerOf(i)) << i;
    EXPECT_EQ(cache()->vertMatch[cache()->vertMatch[i]], i) << i;
  }
  EXPECT_EQ(Elements(cache()->targetVerts), Positions(base()));
}

TEST_F(TrianglePath, PairingReportsItsProgressToTheHostProgram) {
  std::vector<int> percents;
  {
    const ScopedProgressListener listening([&](int percent, const std::wstring&) { percents.push_back(percent); });
    output();
  }
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(cache()->vertMatch.Count(), kVerts);
}

TEST_F(TrianglePath, FlipSwapsTheHalvesAndTwiceGivesBackTheInput) {
  set(kOperation, 1);
  set(kResetCentreVerts, 0);
  std::vector<Point3> in = Positions(input());
  {
    const Mesh& once = output();
    for (int i = 0; i < kVerts; ++i) EXPECT_EQ(once.verts[i], reflectedX(in[size_t(partnerOf(i))])) << i;
  }
  Modifier* second = NewModifier();
  Scene::Get().ApplyModifier(sculpt, second);
  Params(second)->SetValue(kUndefObject, 0, target);
  Params(second)->SetValue(kOperation, 0, 1);
  Params(second)->SetValue(kResetCentreVerts, 0, 0);
  EXPECT_EQ(Positions(output()), in);
}

TEST_F(TrianglePath, ResetPutsEveryVertexBackAndKeepsTheSelection) {
  set(kOperation, 2);
  selectVertices(input(), {1, 7, 13});
  const Mesh& out = output();
  EXPECT_EQ(Positions(out), Positions(base()));
  EXPECT_EQ(out.vertSel, input().vertSel);
  EXPECT_EQ(out.selLevel, DWORD(MESH_VERTEX));
  EXPECT_EQ(cache()->resultValid, 1);
}

TEST_F(TrianglePath, ResetRespectingAnEmptySelectionChangesNothing) {
  set(kOperation, 2);
  set(kIgnoreSO, 0);
  selectVertices(input(), {});
  EXPECT_EQ(Positions(output()), Positions(input()));
}

// --- selection and soft selection ------------------------------------------------------------------

TEST_F(TrianglePath, MirrorRespectingTheSelectionBlendsBySoftWeight) {
  set(kIgnoreSO, 0);
  selectVertices(input(), {5});
  float* w = softSelection(input());
  w[0] = 0.25f;
  w[6] = 1.0f;
  std::vector<Point3> in = Positions(input());
  std::vector<Point3> expected = in;
  // A quarter of the way from its own position to its partner's reflection.
  expected[0] = 0.25f * reflectedX(in[size_t(partnerOf(0))]) + 0.75f * in[0];
  // Hard-selected, or of weight 1: all the way. Unselected written vertices of weight 0 stay.
  expected[5] = reflectedX(in[size_t(partnerOf(5))]);
  expected[6] = reflectedX(in[size_t(partnerOf(6))]);
  for (int i = 0; i < kVerts; ++i) {
    if (isCentre(i)) expected[size_t(i)] = alignedCentre(i);
  }
  EXPECT_EQ(Positions(output()), expected);
}

TEST_F(TrianglePath, FlipRespectingTheSelectionBlendsEachPairFromBothEnds) {
  set(kOperation, 1);
  set(kIgnoreSO, 0);
  set(kResetCentreVerts, 0);
  selectVertices(input(), {});
  float* w = softSelection(input());
  const int i = 6, p = partnerOf(6);
  w[i] = 0.5f;
  std::vector<Point3> in = Positions(input());
  std::vector<Point3> out = Positions(output());
  Point3 expectI = 0.75f * reflectedX(in[size_t(p)]) + 0.25f * in[size_t(i)];
  Point3 expectP = 0.75f * reflectedX(in[size_t(i)]) + 0.25f * in[size_t(p)];
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(out[size_t(i)][k], expectI[k], 1e-6f) << k;
    EXPECT_NEAR(out[size_t(p)][k], expectP[k], 1e-6f) << k;
  }
  // Every other pair has equal (zero) weights and no hard selection: nothing moves.
  out[size_t(i)] = in[size_t(i)];
  out[size_t(p)] = in[size_t(p)];
  EXPECT_EQ(out, in);
}

TEST_F(TrianglePath, FlipRespectingTheSelectionSwapsHardSelectedPairsWhole) {
  set(kOperation, 1);
  set(kIgnoreSO, 0);
  selectVertices(input(), {3});  // partner of vertex 1
  std::vector<Point3> in = Positions(input());
  const Mesh& out = output();
  EXPECT_EQ(out.verts[1], reflectedX(in[3]));
  EXPECT_EQ(out.verts[3], reflectedX(in[1]));
  EXPECT_EQ(out.verts[0], in[0]);
  EXPECT_EQ(out.verts[4], in[4]);
}

// --- base selection mask ---------------------------------------------------------------------------

TEST_F(TrianglePath, BaseSelectionMasksTheWorkAndInvertsOnRequest) {
  set(kOperation, 2);
  set(kBaseSelectionMasks, 1);
  selectVertices(base(), {0, 7, 14});
  std::vector<Point3> in = Positions(input());
  {
    const Mesh& out = output();
    for (int i = 0; i < kVerts; ++i) {
      bool masked = base().vertSel[i] != 0;
      EXPECT_EQ(out.verts[i], masked ? base().verts[i] : in[size_t(i)]) << i;
    }
  }
  set(kInvertBaseSelection, 1);
  const Mesh& out = output();
  for (int i = 0; i < kVerts; ++i) {
    bool masked = base().vertSel[i] == 0;
    EXPECT_EQ(out.verts[i], masked ? base().verts[i] : in[size_t(i)]) << i;
  }
}

TEST_F(TrianglePath, BaseSoftSelectionMasksByWeight) {
  set(kOperation, 2);
  set(kBaseSelectionMasks, 1);
  selectVertices(base(), {2});
  float* bw = softSelection(base());
  bw[2] = 1.0f;
  bw[3] = 0.999f;
  bw[4] = 1.0f;
  bw[5] = 0.5f;
  std::vector<Point3> in = Positions(input());
  {
    // Without inversion a vertex is processed wherever its base weight is not 0.
    const Mesh& out = output();
    for (int i = 0; i < kVerts; ++i) {
      bool processed = bw[i] != 0.0f;
      EXPECT_EQ(out.verts[i], processed ? base().verts[i] : in[size_t(i)]) << i;
    }
  }
  set(kInvertBaseSelection, 1);
  const Mesh& out = output();
  // Inverted: skipped where the base bit is set or the weight is exactly 1.
  EXPECT_EQ(out.verts[2], in[2]);
  EXPECT_EQ(out.verts[4], in[4]);
  EXPECT_EQ(out.verts[3], base().verts[3]);
  EXPECT_EQ(out.verts[5], base().verts[5]);
  EXPECT_EQ(out.verts[0], base().verts[0]);
}

TEST_F(TrianglePath, BaseMaskWithoutAnyTargetSelectionProcessesNothingYetIsValid) {
  set(kBaseSelectionMasks, 1);
  selectVertices(base(), {});
  EXPECT_EQ(Positions(output()), Positions(input()));
  EXPECT_EQ(cache()->resultValid, 1);
}

// --- selection carrying and write-back ---------------------------------------------------------------

TEST_F(TrianglePath, MirrorCarriesTheDrivingSideSelectionAcross) {
  set(kOperateOnSelection, 1);
  selectVertices(input(), {4, 13});
  float* w = softSelection(input());
  w[4] = 1.0f;
  w[13] = 0.999f;
  w[8] = 0.4f;
  w[3] = 0.0f;
  std::vector<float> carried(w, w + kVerts);
  const Mesh& out = output();
  EXPECT_EQ(out.selLevel, DWORD(MESH_VERTEX));
  EXPECT_EQ(out.dispFlags & 0x401u, 0x401u);
  ASSERT_TRUE(out.vDataSupport(VDATA_SELECT));
  const float* outWeights = const_cast<Mesh&>(out).vertexFloat(VDATA_SELECT);
  for (int i = 0; i < kVerts; ++i) {
    float expected = isNegative(i) ? carried[size_t(partnerOf(i))] : 0.0f;
    EXPECT_EQ(outWeights[i], expected) << i;
    EXPECT_EQ(out.vertSel[i] != 0, expected > 0.999f) << i;
  }
  // Exactly 0.999 stays soft; 1.0 becomes a hard selection.
  EXPECT_EQ(out.vertSel[11], 0);
  EXPECT_NE(out.vertSel[0], 0);
}

TEST_F(TrianglePath, SelectionOnlyCarriesTheSelectionAndKeepsThePositions) {
  set(kOperateOnSelection, 1);
  set(kOperateOnlyOnSelection, 1);
  selectVertices(input(), {3, 9});
  std::vector<Point3> in = Positions(input());
  const Mesh& out = output();
  for (int i = 0; i < kVerts; ++i) {
    if (isCentre(i)) in[size_t(i)] = alignedCentre(i);
  }
  EXPECT_EQ(Positions(out), in);
  std::vector<int> selected;
  for (int i = 0; i < kVerts; ++i) {
    if (out.vertSel[i]) selected.push_back(i);
  }
  EXPECT_EQ(selected, (std::vector<int>{1, 5}));
}

TEST_F(TrianglePath, SelectionOnlyWithoutWriteBackChangesNothingVisible) {
  set(kOperateOnlyOnSelection, 1);
  set(kResetCentreVerts, 0);
  selectVertices(input(), {3});
  const Mesh& out = output();
  EXPECT_EQ(Positions(out), Positions(input()));
  EXPECT_EQ(out.vertSel, input().vertSel);
}

TEST_F(TrianglePath, FlipSwapsTheSelectionOfTheHalves) {
  set(kOperation, 1);
  set(kOperateOnSelection, 1);
  selectVertices(input(), {0, 8, 7});
  const Mesh& out = output();
  for (int i = 0; i < kVerts; ++i) {
    // Centre vertices are handled by the centre rule and carry nothing.
    bool expected = !isCentre(i) && input().vertSel[partnerOf(i)] != 0;
    EXPECT_EQ(out.vertSel[i] != 0, expected) << i;
  }
}

TEST_F(TrianglePath, CountMismatchWithWriteBackLeavesPositionsAndClearsTheSelection) {
  set(kOperateOnSelection, 1);
  input().setNumVerts(kVerts + 1, TRUE);
  input().verts[kVerts] = Point3(3.0f, 3.0f, 3.0f);
  selectVertices(input(), {0, 4, kVerts});
  float* w = softSelection(input());
  for (int i = 0; i <= kVerts; ++i) w[i] = 0.5f;
  const Mesh& out = output();
  EXPECT_EQ(Positions(out), Positions(input()));
  EXPECT_EQ(out.selLevel, DWORD(MESH_VERTEX));
  EXPECT_EQ(out.vertSel.NumberSet(), 0);
  ASSERT_TRUE(out.vDataSupport(VDATA_SELECT));
  const float* outWeights = const_cast<Mesh&>(out).vertexFloat(VDATA_SELECT);
  for (int i = 0; i <= kVerts; ++i) EXPECT_EQ(outWeights[i], 0.0f) << i;
  EXPECT_EQ(cache()->resultValid, 0);
}

// --- replay, resets and the cache's life -------------------------------------------------------------

TEST_F(TrianglePath, ConstantUpdateOffReplaysTheStoredResultUntilReset) {
  set(kConstantUpdate, 0);
  std::vector<Point3> first = Positions(output());
  Sculpt(input(), 2);
  EXPECT_EQ(Positions(output()), first);
  EXPECT_EQ(Positions(output()), first);
  EXPECT_EQ(Elements(cache()->resultVerts), first);

  invoke(0);
  std::vector<Point3> in = Positions(input());
  std::vector<Point3> second = Positions(output());
  EXPECT_EQ(second[0], reflectedX(in[4]));
  EXPECT_EQ(second[4], in[4]);
  EXPECT_EQ(Elements(cache()->resultVerts), second);
  EXPECT_EQ(cache()->needsUpdate, 0);
  // And it is frozen again.
  Sculpt(input(), 3);
  EXPECT_EQ(Positions(output()), second);
}

TEST_F(TrianglePath, ReplayedResultEqualsAFreshEvaluation) {
  std::vector<Point3> fresh = Positions(output());
  set(kConstantUpdate, 0);
  EXPECT_EQ(Positions(output()), fresh);
}

TEST_F(TrianglePath, AxisChangeDuringReplayIsNotedAtOnceAndPairedAtTheNextFullEvaluation) {
  set(kConstantUpdate, 0);
  std::vector<Point3> frozen = Positions(output());
  set(kMirrorAxis, 2);
  EXPECT_EQ(Positions(output()), frozen);
  EXPECT_EQ(cache()->lastAxis, 2);
  EXPECT_EQ(cache()->matchDirty, 1);
  invoke(0);
  output();
  EXPECT_EQ(cache()->matchDirty, 0);
  EXPECT_EQ(Elements(cache()->vertMatch), referencePartners(Positions(base()), 2));
}

TEST_F(TrianglePath, TopologyChangeClearsResultValidAndHandsTheInputOn) {
  set(kConstantUpdate, 0);
  output();
  ASSERT_EQ(cache()->resultValid, 1);
  input().setNumVerts(kVerts - 1, TRUE);
  EXPECT_EQ(Positions(output()), Positions(input()));
  EXPECT_EQ(cache()->resultValid, 0);
  EXPECT_EQ(Positions(output()), Positions(input()));
  EXPECT_EQ(cache()->resultValid, 0);

  // A full evaluation with the wrong count stores the unchanged positions all the same.
  set(kConstantUpdate, 1);
  EXPECT_EQ(Positions(output()), Positions(input()));
  EXPECT_EQ(cache()->resultValid, 0);
  EXPECT_EQ(Elements(cache()->resultVerts), Positions(input()));
  EXPECT_EQ(cache()->targetVerts.Count(), kVerts);

  // The count matches again: the held target and partners apply.
  input().setNumVerts(kVerts, TRUE);
  const Mesh& out = output();
  EXPECT_EQ(cache()->resultValid, 1);
  EXPECT_EQ(out.verts[0], reflectedX(input().verts[4]));
}

TEST(TrianglePathWithoutTarget, LeavesTheMeshUntouchedAndTheCacheEmpty) {
  ResetScene();
  INode* node = Scene::Get().CreateNode(L"sculpt", MakeSymmetricGrid(kColumns, kRows));
  Sculpt(BaseMeshOf(node), 4);
  Modifier* mod = NewModifier();
  Scene::Get().ApplyModifier(node, mod);
  EXPECT_EQ(Positions(EvaluatedMeshOf(node)), Positions(BaseMeshOf(node)));
  vLocalMeshData* cache = CacheOf(node);
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->resultVerts.Count(), 0);
  EXPECT_EQ(cache->targetVerts.Count(), 0);
  EXPECT_EQ(cache->vertMatch.Count(), 0);
  EXPECT_EQ(cache->resultValid + cache->needsUpdate + cache->targetDirty + cache->matchDirty + cache->lastAxis, 0);
  ResetScene();
}

TEST_F(TrianglePath, HeldTargetIgnoresTargetChangesButUpdateResultOffPicksThemUp) {
  set(kOperation, 2);
  std::vector<Point3> original = Positions(base());
  output();
  base().verts[6].z += 2.0f;
  touchTarget();
  EXPECT_EQ(Positions(output()), original);

  set(kUpdateResult, 0);
  EXPECT_EQ(Positions(output()), Positions(base()));
  base().verts[8].y -= 1.0f;
  touchTarget();
  EXPECT_EQ(Positions(output()), Positions(base()));
}

TEST_F(TrianglePath, ResetMatchPairsAgainWithoutCapturing) {
  output();
  std::vector<Point3> held = Positions(base());
  base().verts[0].x -= 0.25f;
  touchTarget();
  int evaluations = target->evaluations;
  invoke(2);
  ASSERT_EQ(cache()->vertMatch.Count(), 0);
  output();
  EXPECT_EQ(target->evaluations, evaluations);
  EXPECT_EQ(Elements(cache()->targetVerts), held);
  EXPECT_EQ(Elements(cache()->vertMatch), referencePartners(held, 0));
  EXPECT_EQ(cache()->matchDirty, 0);
}

TEST_F(TrianglePath, AxisChangeXToZAndBackRebuildsThePartnersEachTime) {
  output();
  touchTarget();
  int evaluations = target->evaluations;
  std::vector<int> xPartners = referencePartners(Positions(base()), 0);
  std::vector<int> zPartners = referencePartners(Positions(base()), 2);
  ASSERT_NE(xPartners, zPartners);

  set(kMirrorAxis, 2);
  output();
  EXPECT_EQ(Elements(cache()->vertMatch), zPartners);
  EXPECT_EQ(cache()->lastAxis, 2);
  set(kMirrorAxis, 0);
  output();
  EXPECT_EQ(Elements(cache()->vertMatch), xPartners);
  EXPECT_EQ(cache()->lastAxis, 0);
  EXPECT_EQ(cache()->matchDirty, 0);
  EXPECT_EQ(target->evaluations, evaluations);
}

TEST_F(TrianglePath, CloneOfTheCacheReplaysTheSourceResult) {
  set(kConstantUpdate, 0);
  std::vector<Point3> stored = Positions(output());
  TriObject* otherInput = MakeSymmetricGrid(kColumns, kRows);
  Sculpt(otherInput->GetMesh(), 7);
  IDerivedObject* stack = CreateDerivedObject(otherInput);
  stack->AddModifier(mod, new ModContext(*ContextOf(sculpt)));
  INode* copyNode = Scene::Get().CreateNode(L"copy", stack);
  EXPECT_EQ(Positions(EvaluatedMeshOf(copyNode)), stored);
  EXPECT_NE(CacheOf(copyNode), cache());
}

TEST_F(TrianglePath, TargetThatCannotBeConvertedClearsResultValid) {
  output();
  ASSERT_EQ(cache()->resultValid, 1);
  auto* cloud = new PointCloudObject();
  cloud->points = Positions(base());
  INode* unusable = Scene::Get().CreateNode(L"cloud", cloud);
  ASSERT_TRUE(Params(mod)->SetValue(kUndefObject, 0, unusable));
  invoke(1);
  EXPECT_EQ(Positions(output()), Positions(input()));
  EXPECT_EQ(cache()->resultValid, 0);
}

TEST_F(TrianglePath, TheModifiedNodeCannotBeItsOwnTarget) {
  EXPECT_FALSE(Params(mod)->SetValue(kUndefObject, 0, sculpt));
  EXPECT_EQ(Params(mod)->GetINode(kUndefObject), target);
  const Mesh& out = output();
  EXPECT_EQ(cache()->resultValid, 1);
  EXPECT_EQ(out.verts[0], reflectedX(input().verts[4]));
}

}  // namespace
