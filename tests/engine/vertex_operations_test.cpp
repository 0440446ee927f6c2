// Mirror, Flip and Reset on a five-vertex strip across the X = 0 plane:
//
//   target   0 ------ 1 ------ 2 ------ 3 ------ 4        partners: 0-4, 1-3, 2 itself
//       x   -2       -1        0        1        2        (y = 1, z = 0)
//
// The deformed positions are dyadic, so reflections and the blends below are exact in floats.
#include <gtest/gtest.h>

#include <vector>

#include "support/point_sets.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/engine/vertex_pairing.h"

namespace {

Point3 reflectX(const Point3& p) { return Point3(-p.x, p.y, p.z); }

struct Strip : ::testing::Test {
  std::vector<Point3> target = {{-2.0f, 1.0f, 0.0f}, {-1.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f},
                                {1.0f, 1.0f, 0.0f}, {2.0f, 1.0f, 0.0f}};
  std::vector<Point3> input = {{-2.5f, 1.25f, 0.5f}, {-1.25f, 0.75f, -0.5f}, {0.5f, 1.5f, 0.25f},
                               {1.5f, 1.0f, 0.75f}, {2.25f, 0.5f, -0.25f}};
  std::vector<int> partners = std::vector<int>(5);
  Matrix3 mirror = BuildMirrorMatrices(0, 0.0f).mirror;
  OperationOptions options;
  VertexSelection selection;
  BaseSelectionGate gate;
  BitArray bits = BitArray(5);
  std::vector<float> weights;
  std::vector<Point3> positions = input;
  std::vector<float> record = std::vector<float>(5, 0.0f);

  Strip() {
    BuildPartnerTable(target.data(), 5, BuildMirrorMatrices(0, 0.0f), partners.data());
    options.resetCentreVerts = false;
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
  void mirrorAll() {
    MirrorVertices(positions.data(), target.data(), partners.data(), 5, mirror, options, selection, gate,
                   record.data());
  }
  void flipAll() {
    FlipVertices(positions.data(), target.data(), partners.data(), 5, mirror, options, selection, gate,
                 record.data());
  }
  void resetAll() { ResetVertices(positions.data(), target.data(), 5, options, selection, gate); }
};

TEST_F(Strip, PairsAreTheMirrorImages) { EXPECT_EQ(partners, (std::vector<int>{4, 3, 2, 1, 0})); }

TEST_F(Strip, MirrorNegativeWritesTheNegativeSideFromThePositive) {
  mirrorAll();
  const std::vector<Point3> expected = {reflectX(input[4]), reflectX(input[3]), reflectX(input[2]), input[3],
                                        input[4]};
  EXPECT_EQ(positions, expected);
}

TEST_F(Strip, MirrorPositiveWritesThePositiveSideAndTheOnPlaneVertexInBothDirections) {
  options.direction = 1;
  mirrorAll();
  const std::vector<Point3> expected = {input[0], input[1], reflectX(input[2]), reflectX(input[1]),
                                        reflectX(input[0])};
  EXPECT_EQ(positions, expected);
}

TEST_F(Strip, CentreRuleRestoresOnlyThePlaneCoordinate) {
  options.resetCentreVerts = true;
  select({2});
  for (int direction : {0, 1}) {
    positions = input;
    options.direction = direction;
    mirrorAll();
    EXPECT_EQ(positions[2], Point3(0.0f, 1.5f, 0.25f));
    EXPECT_EQ(record[2], 0.0f);
  }
  positions = input;
  flipAll();
  EXPECT_EQ(positions[2], Point3(0.0f, 1.5f, 0.25f));
}

TEST_F(Strip, MirrorHardSelectionWritesSelectedVerticesAndRecordsThePartnersSelection) {
  options.ignoreSelection = false;
  select({0, 3});
  mirrorAll();
  const std::vector<Point3> expected = {reflectX(input[4]), input[1], input[2], input[3], input[4]};
  EXPECT_EQ(positions, expected);
  // The written side inherits the driving side's selection; the driving side ends unselected.
  EXPECT_EQ(record, (std::vector<float>{0.0f, 1.0f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(Strip, MirrorSoftWeightMovesPartOfTheWay) {
  options.ignoreSelection = false;
  soften({0.25f, 0.0f, 0.0f, 0.5f, 0.75f});
  mirrorAll();
  const Point3 quarterWay = input[0] + 0.25f * (reflectX(input[4]) - input[0]);
  EXPECT_EQ(positions[0], quarterWay);
  EXPECT_EQ(positions[1], input[1]);
  EXPECT_EQ(record, (std::vector<float>{0.75f, 0.5f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(Strip, SelectionOnlyCarriesTheSelectionAndKeepsPositions) {
  soften({0.25f, 0.0f, 0.0f, 0.5f, 0.75f});
  for (bool ignore : {true, false}) {
    options.ignoreSelection = ignore;
    options.selectionOnly = true;
    std::fill(record.begin(), record.end(), 0.0f);
    mirrorAll();
    EXPECT_EQ(positions, input);
    EXPECT_EQ(record, (std::vector<float>{0.75f, 0.5f, 0.0f, 0.0f, 0.0f}));
    flipAll();
    EXPECT_EQ(positions, input);
    EXPECT_EQ(record, (std::vector<float>{0.75f, 0.5f, 0.0f, 0.0f, 0.25f}));
  }
}

TEST_F(Strip, FlipSwapsTheHalvesAndTwiceGivesTheInputBack) {
  flipAll();
  const std::vector<Point3> expected = {reflectX(input[4]), reflectX(input[3]), reflectX(input[2]),
                                        reflectX(input[1]), reflectX(input[0])};
  EXPECT_EQ(positions, expected);
  flipAll();
  EXPECT_EQ(positions, input);

  const std::vector<Point3> cloud = point_sets::symmetricRandom(500, 0, 9);
  std::vector<int> cloudPartners(cloud.size());
  BuildPartnerTable(cloud.data(), 500, BuildMirrorMatrices(0, 0.0f), cloudPartners.data());
  std::vector<Point3> deformed = point_sets::randomPoints(500, 10);
  const std::vector<Point3> before = deformed;
  std::vector<float> cloudRecord(500, 0.0f);
  for (int pass = 0; pass < 2; ++pass) {
    FlipVertices(deformed.data(), cloud.data(), cloudPartners.data(), 500, mirror, options, selection, gate,
                 cloudRecord.data());
  }
  EXPECT_EQ(deformed, before);
}

TEST_F(Strip, FlipHardSelectionOfOneVertexSwapsTheWholePairAndItsSelection) {
  options.ignoreSelection = false;
  select({4});
  flipAll();
  const std::vector<Point3> expected = {reflectX(input[4]), input[1], input[2], input[3], reflectX(input[0])};
  EXPECT_EQ(positions, expected);
  EXPECT_EQ(record, (std::vector<float>{1.0f, 0.0f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(Strip, FlipSoftWeightBlendsThePairAtBothVisits) {
  // W[1] = 0.5, W[3] = 0, neither hard-selected: the blend is applied from vertex 1 and again from 3.
  options.ignoreSelection = false;
  soften({0.0f, 0.5f, 0.0f, 0.0f, 0.0f});
  flipAll();
  EXPECT_EQ(positions[1], 0.75f * reflectX(input[3]) + 0.25f * input[1]);
  EXPECT_EQ(positions[3], 0.75f * reflectX(input[1]) + 0.25f * input[3]);
  EXPECT_EQ(positions[0], input[0]);
  EXPECT_EQ(positions[2], input[2]);
  EXPECT_EQ(record, (std::vector<float>{0.0f, 0.0f, 0.0f, 0.5f, 0.0f}));
}

TEST_F(Strip, ResetRestoresTheTargetByHardAndSoftSelection) {
  resetAll();
  EXPECT_EQ(positions, target);

  positions = input;
  options.ignoreSelection = false;
  resetAll();
  EXPECT_EQ(positions, input);

  // Weights cover only the first three vertices; the others read as weight 0.
  select({1});
  soften({0.5f, 0.0f, 0.25f});
  resetAll();
  EXPECT_EQ(positions[0], 0.5f * target[0] + 0.5f * input[0]);
  EXPECT_EQ(positions[1], target[1]);
  EXPECT_EQ(positions[2], 0.25f * target[2] + 0.75f * input[2]);
  EXPECT_EQ(positions[3], input[3]);
  EXPECT_EQ(positions[4], input[4]);
}

TEST_F(Strip, VerticesOutsideTheBaseMaskKeepPositionAndRecordZero) {
  BitArray base(5);
  base.Set(1);
  base.Set(3);
  gate.enabled = true;
  gate.bits = &base;
  soften({1.0f, 1.0f, 1.0f, 1.0f, 1.0f});
  mirrorAll();
  EXPECT_EQ(positions, (std::vector<Point3>{input[0], reflectX(input[3]), input[2], input[3], input[4]}));
  EXPECT_EQ(record, (std::vector<float>{0.0f, 1.0f, 0.0f, 0.0f, 0.0f}));

  positions = input;
  gate.invert = true;
  resetAll();
  EXPECT_EQ(positions, (std::vector<Point3>{target[0], input[1], target[2], input[3], target[4]}));
}

TEST(BaseSelectionGate, BitsWeightsAndInversion) {
  // The base mesh has only four vertices: vertex 4 counts as unselected with weight 0.
  BitArray bits(4);
  bits.Set(2);
  const float weights[] = {1.0f, 0.999f, 0.0f, 0.5f};
  auto passes = [&](bool invert, bool withWeights, bool bitsOnly) {
    BaseSelectionGate gate;
    gate.enabled = true;
    gate.invert = invert;
    gate.bitsOnly = bitsOnly;
    gate.bits = &bits;
    gate.weights = withWeights ? weights : nullptr;
    gate.weightCount = withWeights ? 4 : 0;
    std::vector<bool> r;
    for (int i = 0; i < 5; ++i) r.push_back(gate.Passes(i));
    return r;
  };
  EXPECT_EQ(passes(false, false, false), (std::vector<bool>{false, false, true, false, false}));
  EXPECT_EQ(passes(true, false, false), (std::vector<bool>{true, true, false, true, true}));
  EXPECT_EQ(passes(false, true, false), (std::vector<bool>{true, true, false, true, false}));
  // Inverted with weights: weight exactly 1.0 or a set bit is skipped, 0.999 is processed.
  EXPECT_EQ(passes(true, true, false), (std::vector<bool>{false, true, false, true, true}));
  // The polygon path's Flip and Reset judge by the bits even when weights exist.
  EXPECT_EQ(passes(false, true, true), passes(false, false, false));
  EXPECT_EQ(passes(true, true, true), passes(true, false, false));

  BaseSelectionGate off;
  off.bits = &bits;
  EXPECT_TRUE(off.Passes(0));
}

}  // namespace
