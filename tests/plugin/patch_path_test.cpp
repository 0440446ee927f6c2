// The patch-mesh path through the host: a node carrying the modifier on a patch object, a target
// node holding the undeformed symmetric patch, evaluated by the host's pipeline. Also the host's
// patch builder the scenes are made with.
//
// The grid is 5 columns (x = -1, -0.5, 0, 0.5, 1) by 3 rows; vertex index = row * 5 + column, and
// the partner of column c is column 4 - c. Vectors pair with the vector at their mirror image.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../../symmetry/local_mesh_data.h"
#include "patch_builder.h"
#include "support/plugin_fixture.h"
#include "support/sculpt_scene.h"
#include "support/point_sets.h"

using namespace testing_support;

namespace {

constexpr int kColumns = 5;
constexpr int kRows = 3;

Point3 reflectX(const Point3& p) { return Point3(-p.x, p.y, p.z); }

// What the tests read of a node's cache, copied out of the plug-in's object.
struct CacheState {
  int resultValid = 0;
  int resultVecCount = 0;
  std::vector<DWORD> resultVertFlags;
};

// The cache's class lives in the plug-in, which exports no type information, so the reads must not
// be checked against it by the undefined-behaviour sanitizer.
__attribute__((no_sanitize("vptr"))) CacheState readCache(LocalModData* data) {
  const auto* cache = static_cast<const vLocalMeshData*>(data);
  CacheState state;
  state.resultValid = cache->resultValid;
  state.resultVecCount = cache->resultVecs.Count();
  for (int k = 0; k < cache->resultVertFlags.Count(); ++k) state.resultVertFlags.push_back(DWORD(std::uint32_t(cache->resultVertFlags[k])));
  return state;
}

class PatchPath : public SculptScene {
 protected:
  void SetUp() override {
    buildScene(MakeSymmetricPatchGrid(kColumns, kRows), MakeSymmetricPatchGrid(kColumns, kRows));
    IParamBlock2* pb = Params(mod);
    pb->SetValue(kMirrorAxis, 0, 0);
    pb->SetValue(kAxisOffset, 0, 0.0f);
    pb->SetValue(kDirection, 0, 1);
    pb->SetValue(kResetCentreVerts, 0, 0);
    pb->SetValue(kIgnoreSO, 0, 1);
    pb->SetValue(kConstantUpdate, 0, 1);
  }

  PatchMesh& input() { return static_cast<PatchObject*>(BaseObjectOf(sculpt))->patch; }
  PatchMesh& targetPatch() { return static_cast<PatchObject*>(BaseObjectOf(target))->patch; }
  // One evaluation of the sculpt node.
  PatchMesh& output() {
    Object* obj = sculpt->EvalWorldState(0).obj;
    if (obj == nullptr || !obj->IsSubClassOf(patchObjectClassID)) throw std::runtime_error("not a patch");
    return static_cast<PatchObject*>(obj)->patch;
  }
  CacheState cache(int stackIndex = 0) { return readCache(ContextOf(sculpt, stackIndex)->localData); }
  void invoke(const MCHAR* name) {
    FPInterface* ops = MirrorOps(mod);
    ops->Invoke(ops->FindFn(name));
  }

  int vertexPartner(int i) const { return (i / kColumns) * kColumns + (kColumns - 1 - i % kColumns); }
  // The target vector at the mirror image of target vector i (the grid is exactly symmetric).
  int vectorPartner(int i) {
    const PatchMesh& t = targetPatch();
    for (int j = 0; j < t.numVecs; ++j) {
      if (t.vecs[j].p == reflectX(t.vecs[i].p)) return j;
    }
    return -1;
  }

  // Moves every vertex and edge handle strictly on the negative side of the plane and re-derives the
  // interiors, so the input is a consistent patch whose positive side still holds the target's shape.
  void sculptNegativeSide() {
    PatchMesh& in = input();
    for (int i = 0; i < in.numVerts; ++i) {
      if (in.verts[i].p.x < 0.0f) in.verts[i].p += Point3(-0.125f, 0.25f, 0.5f + 0.125f * float(i));
    }
    for (int i = 0; i < in.numVecs; ++i) {
      if (in.vecs[i].vert >= 0 && in.vecs[i].p.x < 0.0f) in.vecs[i].p += Point3(0.25f, -0.125f, 0.0625f * float(i));
    }
    in.computeInteriors();
  }
  // Moves everything, centre included, and gives every vertex its own flags word.
  void sculptEverything() {
    PatchMesh& in = input();
    for (int i = 0; i < in.numVerts; ++i) {
      in.verts[i].p += Point3(0.0625f * float(i % 3), 0.125f, 0.25f * float(i % 4));
      in.verts[i].flags = DWORD(0x100 + i);
    }
    for (int i = 0; i < in.numVecs; ++i) {
      if (in.vecs[i].vert >= 0) in.vecs[i].p += Point3(0.125f, 0.0625f * float(i % 5), -0.25f);
    }
    in.computeInteriors();
  }

  static void expectUpdateSequenceRan(const PatchMesh& patch, int times) {
    EXPECT_EQ(patch.updateHooksCalls, times);
    EXPECT_EQ(patch.applyConstraintsCalls, times);
    EXPECT_EQ(patch.computeInteriorsCalls, times);
    EXPECT_EQ(patch.geomCacheInvalidations, times);
  }
  static void expectSameShape(const PatchMesh& a, const PatchMesh& b) {
    ASSERT_EQ(a.numVerts, b.numVerts);
    ASSERT_EQ(a.numVecs, b.numVecs);
    for (int i = 0; i < a.numVerts; ++i) {
      EXPECT_EQ(a.verts[i].p, b.verts[i].p) << "vertex " << i;
      EXPECT_EQ(a.verts[i].flags, b.verts[i].flags) << "vertex " << i;
    }
    for (int i = 0; i < a.numVecs; ++i) EXPECT_EQ(a.vecs[i].p, b.vecs[i].p) << "vector " << i;
  }
};

// --- Mirror -------------------------------------------------------------------------------------

TEST_F(PatchPath, MirrorCarriesTheSculptedSideAcrossWithItsHandles) {
  sculptNegativeSide();
  PatchMesh in = input();
  PatchMesh out = output();
  const PatchMesh& t = targetPatch();
  for (int i = 0; i < in.numVerts; ++i) {
    const Point3 expected = t.verts[i].p.x > 0.0f ? reflectX(in.verts[vertexPartner(i)].p) : in.verts[i].p;
    EXPECT_EQ(out.verts[i].p, expected) << "vertex " << i;
  }
  for (int i = 0; i < in.numVecs; ++i) {
    const Point3 expected = t.vecs[i].p.x > 0.0f ? reflectX(in.vecs[vectorPartner(i)].p) : in.vecs[i].p;
    EXPECT_EQ(out.vecs[i].p, expected) << "vector " << i;
  }
  EXPECT_EQ(cache().resultValid, 1);
}

TEST_F(PatchPath, MirrorHandlesFollowTheirOwnersSelectionAndSoftWeight) {
  Params(mod)->SetValue(kIgnoreSO, 0, 0);
  sculptNegativeSide();
  const int selected = 1 * kColumns + 4, soft = 1 * kColumns + 3;  // both on the written side
  PatchMesh& in = input();
  in.selLevel = PATCH_VERTEX;
  in.vertSel.Set(selected);
  in.SetSoftSelection(true);
  in.GetVSelectionWeights()[selected] = 1.0f;
  in.GetVSelectionWeights()[soft] = 0.5f;
  const PatchMesh before = in;
  const PatchMesh& out = output();
  const PatchMesh& t = targetPatch();

  int followed = 0;
  for (int i = 0; i < before.numVecs; ++i) {
    const int owner = before.vecs[i].vert;
    if (owner < 0 || t.vecs[i].p.x <= 0.0f) continue;  // interiors are re-derived by the host
    const Point3 mirrored = reflectX(before.vecs[vectorPartner(i)].p);
    Point3 expected = before.vecs[i].p;
    if (owner == selected) expected = mirrored;
    if (owner == soft) expected = 0.5f * mirrored + 0.5f * before.vecs[i].p;
    followed += owner == selected || owner == soft;
    EXPECT_EQ(out.vecs[i].p, expected) << "vector " << i << " owned by " << owner;
  }
  EXPECT_GE(followed, 6);
  EXPECT_EQ(out.verts[selected].p, reflectX(before.verts[vertexPartner(selected)].p));
  EXPECT_EQ(out.verts[soft].p, 0.5f * reflectX(before.verts[vertexPartner(soft)].p) + 0.5f * before.verts[soft].p);
  EXPECT_EQ(out.verts[selected - 2].p, before.verts[selected - 2].p);
}

// --- Flip ---------------------------------------------------------------------------------------

TEST_F(PatchPath, FlipTwiceGivesBackVerticesVectorsAndFlags) {
  Modifier* second = NewModifier();
  Scene::Get().ApplyModifier(sculpt, second);
  for (Modifier* m : {mod, second}) {
    Params(m)->SetValue(kUndefObject, 0, target);
    Params(m)->SetValue(kOperation, 0, 1);
    Params(m)->SetValue(kIgnoreSO, 0, 1);
    Params(m)->SetValue(kResetCentreVerts, 0, 0);
  }
  sculptEverything();
  const PatchMesh before = input();
  const PatchMesh& out = output();
  expectSameShape(out, before);
  EXPECT_EQ(cache(0).resultValid, 1);
  EXPECT_EQ(cache(1).resultValid, 1);
  // The flags words did travel: the lower modifier's stored result has them swapped across.
  EXPECT_EQ(cache(1).resultVertFlags.at(0), before.verts[vertexPartner(0)].flags);
}

// --- Reset --------------------------------------------------------------------------------------

TEST_F(PatchPath, ResetIgnoringSelectionRestoresVerticesFlagsAndVectors) {
  Params(mod)->SetValue(kOperation, 0, 2);
  sculptEverything();
  expectSameShape(output(), targetPatch());
}

TEST_F(PatchPath, ResetPrefersTheRecordedOwnerAndFallsBackOnTheNearestVertex) {
  Params(mod)->SetValue(kOperation, 0, 2);
  Params(mod)->SetValue(kIgnoreSO, 0, 0);
  sculptEverything();
  PatchMesh& in = input();
  const int selected = 7;  // row 1, on the plane
  in.selLevel = PATCH_VERTEX;
  in.vertSel.Set(selected);
  // Three handles owned by other vertices: one now records the selected vertex as its owner; one
  // owned by the selected vertex now records an unselected owner, so the nearest vertex decides.
  int relabelled = -1, fallback = -1, untouched = -1;
  for (int i = 0; i < in.numVecs; ++i) {
    const int owner = in.vecs[i].vert;
    if (owner == 0 && relabelled < 0) relabelled = i;
    else if (owner == selected && fallback < 0) fallback = i;
    else if (owner == 14 && untouched < 0) untouched = i;
  }
  ASSERT_GE(relabelled, 0);
  ASSERT_GE(fallback, 0);
  ASSERT_GE(untouched, 0);
  in.vecs[relabelled].vert = selected;
  in.vecs[fallback].vert = 0;
  const PatchMesh before = in;
  const PatchMesh& out = output();
  const PatchMesh& t = targetPatch();
  EXPECT_EQ(out.vecs[relabelled].p, t.vecs[relabelled].p);
  EXPECT_EQ(out.vecs[fallback].p, t.vecs[fallback].p);
  EXPECT_EQ(out.vecs[untouched].p, before.vecs[untouched].p);
  EXPECT_EQ(out.verts[selected].p, t.verts[selected].p);
  EXPECT_EQ(out.verts[selected].flags, t.verts[selected].flags);
  EXPECT_EQ(out.verts[0].p, before.verts[0].p);
  EXPECT_EQ(out.verts[0].flags, before.verts[0].flags);
}

// --- Refusals and count mismatches ---------------------------------------------------------------

// A target that is not a patch, or none at all: the patch passes on as it came, without an update.
TEST_F(PatchPath, ATriangleMeshTargetOrNoTargetIsRefusedAndThePatchPassesUnchanged) {
  sculptNegativeSide();
  INode* mesh = Scene::Get().CreateNode(L"mesh", MakeSymmetricGrid(kColumns, kRows));
  for (INode* refused : {mesh, static_cast<INode*>(nullptr)}) {
    Params(mod)->SetValue(kUndefObject, 0, target);
    output();
    ASSERT_EQ(cache().resultValid, 1);
    Params(mod)->SetValue(kUndefObject, 0, refused);
    const PatchMesh& out = output();
    expectSameShape(out, input());
    EXPECT_EQ(cache().resultValid, 0);
    expectUpdateSequenceRan(out, 0);
  }
}

TEST_F(PatchPath, AnInputWithAnotherVectorCountIsACountMismatch) {
  sculptNegativeSide();
  PatchMesh& in = input();
  in.setNumVecs(in.numVecs + 1, TRUE);
  in.vecs[in.numVecs - 1].p = Point3(3.0f, 0.0f, 0.0f);
  const PatchMesh& out = output();
  expectSameShape(out, input());
  EXPECT_EQ(cache().resultValid, 0);
  expectUpdateSequenceRan(out, 2);
  EXPECT_EQ(cache().resultVecCount, input().numVecs);
}

TEST_F(PatchPath, AReplayOverAnotherVectorCountIsACountMismatch) {
  Params(mod)->SetValue(kConstantUpdate, 0, 0);
  sculptNegativeSide();
  output();
  ASSERT_EQ(cache().resultValid, 1);
  PatchMesh& in = input();
  in.setNumVecs(in.numVecs - 1, TRUE);
  const PatchMesh& out = output();
  expectSameShape(out, input());
  EXPECT_EQ(cache().resultValid, 0);
  expectUpdateSequenceRan(out, 1);
}

// --- Replay -------------------------------------------------------------------------------------

TEST_F(PatchPath, AReplayHandsOnTheStoredResultWithItsFlagsWords) {
  Params(mod)->SetValue(kConstantUpdate, 0, 0);
  sculptNegativeSide();
  const PatchMesh fresh = output();
  sculptEverything();  // ignored while the stored result is replayed
  const PatchMesh& replayed = output();
  expectSameShape(replayed, fresh);
  EXPECT_EQ(cache().resultValid, 1);
  expectUpdateSequenceRan(replayed, 1);
}

TEST_F(PatchPath, AfterResetTargetTheReplayHandsThePatchOnUnmirroredUntilReset) {
  Params(mod)->SetValue(kConstantUpdate, 0, 0);
  sculptNegativeSide();
  const PatchMesh mirrored = output();
  ASSERT_EQ(cache().resultValid, 1);

  invoke(L"resetTarget");
  const PatchMesh& unmirrored = output();
  expectSameShape(unmirrored, input());
  EXPECT_EQ(cache().resultValid, 0);
  expectUpdateSequenceRan(unmirrored, 1);

  invoke(L"reset");
  const PatchMesh& again = output();
  expectSameShape(again, mirrored);
  EXPECT_EQ(cache().resultValid, 1);
  expectUpdateSequenceRan(again, 2);
}

TEST_F(PatchPath, UpdateSequenceRunsTwiceAfterAFullEvaluationAndOnceAfterAReplay) {
  expectUpdateSequenceRan(output(), 2);
  Params(mod)->SetValue(kConstantUpdate, 0, 0);
  expectUpdateSequenceRan(output(), 1);
  invoke(L"reset");
  expectUpdateSequenceRan(output(), 2);
}

// --- The host's patch builder --------------------------------------------------------------------

//   3 ---- 2 ---- 5        two quads sharing the edge 1-2, and a triangle 1-5-2 laid over q1
//   |  q0  |  q1  |
//   0 ---- 1 ---- 4
TEST(PatchBuilder, KeepsTheVertexOrderAndSharesEachEdgesHandles) {
  const std::vector<Point3> v = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}, {6, 0, 0}, {6, 3, 0}};
  std::unique_ptr<PatchObject> obj(BuildPatchObject(v, {{0, 1, 2, 3}, {1, 4, 5, 2}, {1, 5, 2}}));
  ASSERT_NE(obj, nullptr);
  const PatchMesh& pm = obj->patch;
  ASSERT_EQ(pm.numVerts, 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(pm.verts[i].p, v[size_t(i)]);
  // Edges 0-1 1-2 2-3 3-0 1-4 4-5 5-2 1-5: eight, two handles each, then 4 + 4 + 3 interiors.
  ASSERT_EQ(pm.numVecs, 2 * 8 + 11);
  ASSERT_EQ(pm.numPatches, 3);
  EXPECT_EQ(pm.patches[2].type, PATCH_TRI);

  // The edge 1-2 runs 1 -> 2 in q0 and 2 -> 1 in q1 and the triangle; all use the same two handles.
  const Patch& q0 = pm.patches[0];
  const Patch& q1 = pm.patches[1];
  const Patch& tri = pm.patches[2];
  EXPECT_EQ(q1.vec[6], q0.vec[3]);  // q1's edge 2 -> 1 (corner 3 to 0): handle at 2
  EXPECT_EQ(q1.vec[7], q0.vec[2]);  // handle at 1
  EXPECT_EQ(tri.vec[4], q0.vec[3]);
  EXPECT_EQ(tri.vec[5], q0.vec[2]);
  const PatchVec& at1 = pm.vecs[q0.vec[2]];
  EXPECT_EQ(at1.vert, 1);
  EXPECT_EQ(at1.p, Point3(3, 1, 0));
  EXPECT_EQ(pm.vecs[q0.vec[3]].vert, 2);
  EXPECT_EQ(pm.vecs[q0.vec[3]].p, Point3(3, 2, 0));
}

TEST(PatchBuilder, InteriorsSitBetweenTheirCornersHandlesAndOwnNoVertex) {
  const std::vector<Point3> v = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}};
  std::unique_ptr<PatchObject> obj(BuildPatchObject(v, {{0, 1, 2, 3}}));
  ASSERT_NE(obj, nullptr);
  const PatchMesh& pm = obj->patch;
  const Point3 expected[4] = {{1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}};
  for (int k = 0; k < 4; ++k) {
    const PatchVec& in = pm.vecs[pm.patches[0].interior[k]];
    EXPECT_EQ(in.p, expected[k]) << "corner " << k;
    EXPECT_EQ(in.vert, -1);
  }
  // A flat triangle with its handles at thirds puts all three interiors on its centroid.
  std::unique_ptr<PatchObject> tri(BuildPatchObject(v, {{0, 1, 3}}));
  ASSERT_NE(tri, nullptr);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(tri->patch.vecs[tri->patch.patches[0].interior[k]].p, Point3(1, 1, 0));
}

TEST(PatchBuilder, MirrorImageEdgesGiveMirrorImageVectors) {
  std::unique_ptr<PatchObject> obj(MakeSymmetricPatchGrid(7, 4));
  const PatchMesh& pm = obj->patch;
  for (int i = 0; i < pm.numVecs; ++i) {
    bool found = false;
    for (int j = 0; j < pm.numVecs && !found; ++j) found = pm.vecs[j].p == reflectX(pm.vecs[i].p);
    EXPECT_TRUE(found) << "vector " << i;
  }
}

TEST(PatchBuilder, RefusesFacesThatCannotBePatches) {
  const std::vector<Point3> v(6);
  std::string error;
  EXPECT_EQ(BuildPatchObject(v, {{0, 1, 2}, {0, 1, 2, 3, 4}}, &error), nullptr);
  EXPECT_EQ(error, "face 2 has 5 corners; a patch has 3 or 4");
  EXPECT_EQ(BuildPatchObject(v, {{0, 1, 6}}, &error), nullptr);
  EXPECT_EQ(error, "face 1 names vertex 6, but the mesh has 6");
  EXPECT_EQ(BuildPatchObject(v, {{0, 1, 1, 2}}, &error), nullptr);
  EXPECT_EQ(error, "face 1 names vertex 1 twice");
  EXPECT_EQ(BuildPatchObject(v, {{0, 1}}, nullptr), nullptr);
}

}  // namespace
