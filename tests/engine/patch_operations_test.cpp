// Patch Mirror, Flip and Reset on a five-vertex strip across the mirror plane with one handle near
// each vertex. Vectors are listed out of vertex order so a vector's own index never equals its
// owner's:
//
//   vertices  0 ------ 1 ------ 2 ------ 3 ------ 4       a = -2, -1, 0, 1, 2 on the mirror axis
//   vectors   4    1            2(+)          3    0       (+): off the line, on the plane
//            -1.75 -1.25        0          1.25  1.75
//
// The positions are dyadic and the plane is at 0, so reflections and the blends are exact in floats.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "support/point_sets.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/patch_operations.h"
#include "symmetry/engine/vertex_pairing.h"

namespace {

// A strip along axis `axis`, the other coordinates fixed.
Point3 along(int axis, float a, float side, float up) {
  Point3 p;
  p[axis] = a;
  p[(axis + 1) % 3] = side;
  p[(axis + 2) % 3] = up;
  return p;
}

struct PatchStrip : ::testing::Test {
  int axis = 0;
  std::vector<Point3> target, targetVecs, verts, vecs;
  std::vector<DWORD> targetFlags = {20, 21, 22, 23, 24};
  std::vector<DWORD> flags = {10, 11, 12, 13, 14};
  std::vector<int> recordedOwners = {4, 1, 2, 3, 0};
  std::vector<int> vertMatch = std::vector<int>(5), vecMatch = std::vector<int>(5), vecOwner = std::vector<int>(5);
  MirrorMatrices matrices;
  OperationOptions options;
  VertexSelection selection;
  BitArray bits = BitArray(5);
  std::vector<float> weights;

  void build(int a) {
    axis = a;
    target.clear();
    for (float x : {-2.0f, -1.0f, 0.0f, 1.0f, 2.0f}) target.push_back(along(axis, x, 1.0f, 0.0f));
    targetVecs = {along(axis, 1.75f, 1.0f, 0.0f), along(axis, -1.25f, 1.0f, 0.0f), along(axis, 0.0f, 1.25f, 0.0f),
                  along(axis, 1.25f, 1.0f, 0.0f), along(axis, -1.75f, 1.0f, 0.0f)};
    verts = {along(axis, -2.5f, 1.25f, 0.5f), along(axis, -1.25f, 0.75f, -0.5f), along(axis, 0.5f, 1.5f, 0.25f),
             along(axis, 1.5f, 1.0f, 0.75f), along(axis, 2.25f, 0.5f, -0.25f)};
    vecs = {along(axis, 2.0f, 1.5f, 0.25f), along(axis, -1.5f, 0.5f, 0.5f), along(axis, 0.25f, 1.5f, -0.5f),
            along(axis, 1.0f, 1.25f, 0.75f), along(axis, -1.5f, 1.0f, -0.25f)};
    matrices = BuildMirrorMatrices(axis, 0.0f);
    BuildPartnerTable(target.data(), 5, matrices, vertMatch.data());
    BuildPartnerTable(targetVecs.data(), 5, matrices, vecMatch.data());
    FindOwnerVertices(targetVecs.data(), 5, target.data(), 5, vecOwner.data());
    options.axis = axis;
    options.resetCentreVerts = false;
  }
  void SetUp() override { build(0); }

  Point3 reflect(const Point3& p) const {
    Point3 r = p;
    r[axis] = -r[axis];
    return r;
  }
  void select(std::initializer_list<int> vertices) {
    for (int v : vertices) bits.Set(v);
    selection.bits = &bits;
  }
  void soften(std::vector<float> w) {
    weights = std::move(w);
    selection.weights = weights.data();
    selection.weightCount = int(weights.size());
  }
  PatchArrays arrays() {
    PatchArrays a;
    a.verts = verts.data();
    a.vertFlags = flags.data();
    a.numVerts = 5;
    a.vecs = vecs.data();
    a.recordedOwners = recordedOwners.data();
    a.numVecs = 5;
    return a;
  }
  PatchTarget tables() const {
    PatchTarget t;
    t.verts = target.data();
    t.vertFlags = targetFlags.data();
    t.vertMatch = vertMatch.data();
    t.vecs = targetVecs.data();
    t.vecMatch = vecMatch.data();
    t.vecOwner = vecOwner.data();
    return t;
  }
  void mirror() { MirrorPatch(arrays(), tables(), matrices.mirror, options, selection); }
  void flip() { FlipPatch(arrays(), tables(), matrices.mirror, options, selection); }
  void reset() { ResetPatch(arrays(), tables(), options, selection); }
};

TEST_F(PatchStrip, VectorsPairWithTheirMirrorImagesAndOwnTheNearestVertex) {
  EXPECT_EQ(vecMatch, (std::vector<int>{4, 3, 2, 1, 0}));
  EXPECT_EQ(vecOwner, (std::vector<int>{4, 1, 2, 3, 0}));
}

// --- Mirror -------------------------------------------------------------------------------------

TEST_F(PatchStrip, MirrorWritesThePositiveSideAndCarriesThePartnersFlags) {
  options.direction = 1;
  const std::vector<Point3> before = verts, beforeVecs = vecs;
  mirror();
  EXPECT_EQ(verts[0], before[0]);
  EXPECT_EQ(verts[3], reflect(before[1]));
  EXPECT_EQ(verts[4], reflect(before[0]));
  EXPECT_EQ(verts[2], reflect(before[2]));  // on the plane: written in both directions
  EXPECT_EQ(flags, (std::vector<DWORD>{10, 11, 12, 11, 10}));
  EXPECT_EQ(vecs[0], reflect(beforeVecs[4]));
  EXPECT_EQ(vecs[3], reflect(beforeVecs[1]));
  EXPECT_EQ(vecs[1], beforeVecs[1]);
  EXPECT_EQ(vecs[4], beforeVecs[4]);
}

TEST_F(PatchStrip, MirrorCentreRuleSetsOnlyTheAxisCoordinateOfVerticesAndVectors) {
  options.resetCentreVerts = true;
  const Point3 vertexBefore = verts[2], vectorBefore = vecs[2];
  mirror();
  EXPECT_EQ(verts[2], along(axis, 0.0f, vertexBefore[(axis + 1) % 3], vertexBefore[(axis + 2) % 3]));
  EXPECT_EQ(vecs[2], along(axis, 0.0f, vectorBefore[(axis + 1) % 3], vectorBefore[(axis + 2) % 3]));
  EXPECT_EQ(flags[2], 12u);
}

TEST_F(PatchStrip, MirrorHandlesFollowTheirOwnersSelectionAndSoftWeight) {
  options.direction = 1;
  options.ignoreSelection = false;
  select({3});
  soften({0.0f, 1.0f, 0.0f, 0.0f, 0.25f});  // vertex 1 is weighted but on the driving side
  const std::vector<Point3> before = verts, beforeVecs = vecs;
  mirror();
  EXPECT_EQ(vecs[3], reflect(beforeVecs[1]));  // owner 3 selected
  EXPECT_EQ(vecs[0], 0.25f * reflect(beforeVecs[4]) + 0.75f * beforeVecs[0]);  // owner 4 at 0.25
  EXPECT_EQ(vecs[2], beforeVecs[2]);  // owner 2 neither selected nor weighted
  EXPECT_EQ(verts[3], reflect(before[1]));
  EXPECT_EQ(verts[4], 0.25f * reflect(before[0]) + 0.75f * before[4]);
  EXPECT_EQ(verts[2], before[2]);
}

// The partner's current flags word, except for a blend about X and a full write ignoring the selection
// about Z, which take the partner's word from the target. A hard-selected full write never does.
TEST_F(PatchStrip, MirrorFlagsComeFromTheTargetOnlyInTheTwoKeptCases) {
  enum How { kIgnoring, kSelected, kBlended };
  struct Case {
    int axis;
    How how;
    DWORD expected;  // flags word of vertex 4, whose partner is 0
  };
  for (Case c : {Case{0, kIgnoring, 10}, Case{1, kIgnoring, 10}, Case{2, kIgnoring, 20}, Case{0, kBlended, 20},
                 Case{1, kBlended, 10}, Case{2, kBlended, 10}, Case{0, kSelected, 10}, Case{2, kSelected, 10}}) {
    build(c.axis);
    flags = {10, 11, 12, 13, 14};
    bits = BitArray(5);
    if (c.how == kSelected) select({4});
    options.direction = 1;
    options.ignoreSelection = c.how == kIgnoring;
    soften({0.0f, 0.0f, 0.0f, 0.0f, 0.5f});
    mirror();
    EXPECT_EQ(flags[4], c.expected) << "axis " << c.axis << " case " << c.how;
  }
}

// --- Flip ---------------------------------------------------------------------------------------

TEST_F(PatchStrip, FlipTwiceGivesBackVerticesVectorsAndFlags) {
  const std::vector<Point3> before = verts, beforeVecs = vecs;
  const std::vector<DWORD> beforeFlags = flags;
  flip();
  EXPECT_EQ(verts[0], reflect(before[4]));
  EXPECT_EQ(vecs[1], reflect(beforeVecs[3]));
  EXPECT_EQ(flags, (std::vector<DWORD>{14, 13, 12, 11, 10}));
  flip();
  EXPECT_EQ(verts, before);
  EXPECT_EQ(vecs, beforeVecs);
  EXPECT_EQ(flags, beforeFlags);
}

TEST_F(PatchStrip, FlipWithSelectionSwapsPairsOfASelectedOwner) {
  options.ignoreSelection = false;
  select({1});
  const std::vector<Point3> before = verts, beforeVecs = vecs;
  flip();
  EXPECT_EQ(verts[1], reflect(before[3]));
  EXPECT_EQ(verts[3], reflect(before[1]));
  EXPECT_EQ(verts[0], before[0]);
  EXPECT_EQ(flags, (std::vector<DWORD>{10, 13, 12, 11, 14}));
  // Vector 1 (owner 1) swaps with vector 3 at its own visit; at vector 3's visit the owner 3 is not
  // selected, so the swap stands.
  EXPECT_EQ(vecs[1], reflect(beforeVecs[3]));
  EXPECT_EQ(vecs[3], reflect(beforeVecs[1]));
  EXPECT_EQ(vecs[0], beforeVecs[0]);
}

TEST_F(PatchStrip, FlipSoftOwnerBlendsTheVectorPairAtEachOfItsVisits) {
  options.ignoreSelection = false;
  selection.bits = &bits;
  soften({0.0f, 0.5f, 0.0f, 0.5f, 0.5f});
  const std::vector<Point3> o = vecs, before = verts;
  flip();
  // Pair (1, 3): both owners weigh 0.5, so the pair blends at vector 1's visit and again, from the
  // blended positions, at vector 3's. Pair (0, 4): only vector 0's owner (4) is weighted.
  const Point3 once1 = 0.5f * reflect(o[3]) + 0.5f * o[1];
  const Point3 once3 = 0.5f * reflect(o[1]) + 0.5f * o[3];
  EXPECT_EQ(vecs[1], 0.5f * reflect(o[3]) + 0.5f * once1);
  EXPECT_EQ(vecs[3], 0.5f * reflect(o[1]) + 0.5f * once3);
  EXPECT_EQ(vecs[4], 0.5f * reflect(o[0]) + 0.5f * o[4]);
  EXPECT_EQ(vecs[0], 0.5f * reflect(o[4]) + 0.5f * o[0]);
  // Vertices 1 and 3 weigh the same: no blend.
  EXPECT_EQ(verts[1], before[1]);
  EXPECT_EQ(verts[3], before[3]);
}

TEST_F(PatchStrip, FlipFlagsFollowTheSoftBlendButNotEqualWeights) {
  options.ignoreSelection = false;
  selection.bits = &bits;
  soften({0.5f, 0.25f, 0.0f, 0.25f, 0.0f});
  flip();
  // Pair (0, 4) has unequal weights and swaps its words; pair (1, 3) has equal weights and keeps them.
  EXPECT_EQ(flags, (std::vector<DWORD>{14, 11, 12, 13, 10}));
}

// --- Reset --------------------------------------------------------------------------------------

TEST_F(PatchStrip, ResetIgnoringSelectionRestoresTheWholeTarget) {
  reset();
  EXPECT_EQ(verts, target);
  EXPECT_EQ(vecs, targetVecs);
  EXPECT_EQ(flags, targetFlags);
}

TEST_F(PatchStrip, ResetPrefersTheRecordedOwnerAndFallsBackOnTheNearestVertex) {
  options.ignoreSelection = false;
  select({0});
  soften({1.0f, 0.0f, 0.0f, 0.25f, 0.0f});
  recordedOwners = {0, 3, -1, 2, 1};
  const std::vector<Point3> before = vecs;
  reset();
  EXPECT_EQ(vecs[0], targetVecs[0]);                                // recorded 0 selected (nearest is 4)
  EXPECT_EQ(vecs[1], before[1]);                                    // recorded 3 unselected, nearest 1 weight 0
  EXPECT_EQ(vecs[2], before[2]);                                    // no recorded owner, nearest 2 weight 0
  EXPECT_EQ(vecs[3], 0.25f * targetVecs[3] + 0.75f * before[3]);    // recorded 2 unselected, nearest 3 at 0.25
  EXPECT_EQ(vecs[4], targetVecs[4]);                                // recorded 1 unselected, nearest 0 selected
  EXPECT_EQ(flags, (std::vector<DWORD>{20, 11, 12, 23, 14}));
}

// --- Searches -----------------------------------------------------------------------------------

TEST(VectorSearches, AVectorFarFromEveryCandidateIsItsOwnPartner) {
  // Vector 1 sits 20000 units out: no reflection comes within the threshold, and it must not take
  // the partner found for vector 0.
  const std::vector<Point3> vecs = {{-1.0f, 0.0f, 0.0f}, {20000.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
  std::vector<int> partners(3, -7);
  BuildPartnerTable(vecs.data(), 3, BuildMirrorMatrices(0, 0.0f), partners.data());
  EXPECT_EQ(partners, (std::vector<int>{2, 1, 0}));
}

TEST(VectorSearches, OwnersBeyondTheThresholdAreTheNearestVertexNotACarriedIndex) {
  const std::vector<Point3> vertices = {{0.0f, 0.0f, 0.0f}, {30000.0f, 0.0f, 0.0f}, {0.0f, 50000.0f, 0.0f}};
  const std::vector<Point3> points = {{0.5f, 0.0f, 0.0f}, {0.0f, 40000.0f, 0.0f}, {28000.0f, 1.0f, 0.0f}};
  std::vector<int> owners(3, -7);
  FindOwnerVertices(points.data(), 3, vertices.data(), 3, owners.data());
  EXPECT_EQ(owners, (std::vector<int>{0, 2, 1}));
}

TEST(VectorSearches, OwnersAreNoneWithoutVerticesOrForPointsThatAreNotFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<Point3> vertices = {{0.0f, 0.0f, 0.0f}};
  const std::vector<Point3> points = {{nan, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};
  std::vector<int> owners(2, -7);
  FindOwnerVertices(points.data(), 2, vertices.data(), 1, owners.data());
  EXPECT_EQ(owners, (std::vector<int>{-1, 0}));
  FindOwnerVertices(points.data(), 2, nullptr, 0, owners.data());
  EXPECT_EQ(owners, (std::vector<int>{-1, -1}));
}

TEST(VectorSearches, OwnersMatchTheBruteForceSearchOnEveryKindOfSet) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> coord(-1.5f, 1.5f);
  const std::vector<std::vector<Point3>> vertexSets = {
      point_sets::symmetricGrid(900, 0), point_sets::symmetricRandom(700, 1), point_sets::duplicateHeavy(600, 6, 2)};
  for (const std::vector<Point3>& vertices : vertexSets) {
    std::vector<Point3> points;
    for (int k = 0; k < 800; ++k) points.emplace_back(coord(rng), coord(rng), coord(rng));
    points.push_back(vertices[3]);                      // exactly on a vertex
    points.emplace_back(40000.0f, -30000.0f, 0.0f);     // beyond the threshold
    std::vector<int> fast(points.size()), brute(points.size());
    FindOwnerVertices(points.data(), int(points.size()), vertices.data(), int(vertices.size()), fast.data());
    FindOwnerVerticesBruteForce(points.data(), int(points.size()), vertices.data(), int(vertices.size()), brute.data());
    EXPECT_EQ(fast, brute);
    for (int owner : fast) EXPECT_GE(owner, 0);
  }
}

}  // namespace
