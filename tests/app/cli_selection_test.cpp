// velomorph apply with selection files: the input's hard and soft selection limiting the work, the
// base's selection masking it (and inverted), the selection carried across the plane into
// --selection-out, and --selection-only. Mirror about X = 0 on the mirror grid, for both object types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_fixture.h"

namespace {

// Cell numbers of the grid's drawing (column + 5 * row).
constexpr int cell(int column, int row) { return column + MirrorGrid::kColumns * row; }

std::vector<float> weightsOn(std::initializer_list<std::pair<int, float>> cells) {
  std::vector<float> byCell(MirrorGrid::kVertices, 0.0f);
  for (const auto& [c, w] : cells) byCell[size_t(c)] = w;
  return byCell;
}

class ApplySelections : public CliTest, public ::testing::WithParamInterface<std::string> {
 protected:
  const std::string& kind() const { return GetParam(); }
  const MirrorGrid grid{0};
  const std::vector<Point3> sculpt = grid.Sculpt();

  const Point3& sculptAt(int column, int row) const { return sculpt[size_t(grid.At(column, row))]; }
  Point3 reflectedPartnerOf(int column, int row) const {
    return grid.Reflect(sculpt[size_t(grid.Partner(grid.At(column, row)))]);
  }
  // The sculpt with its centre vertices put onto the plane: what Mirror and Flip do to the centre
  // column, selected or not, while Align Centre is on.
  std::vector<Point3> sculptWithCentresOnPlane() const {
    std::vector<Point3> p = sculpt;
    for (int v = 0; v < MirrorGrid::kVertices; ++v) {
      if (grid.IsCentre(v)) p[size_t(v)] = grid.OnPlane(sculpt[size_t(v)], v);
    }
    return p;
  }
};

TEST_P(ApplySelections, HardSelectionLimitsMirrorToTheSelectedWrittenVertices) {
  // Two written vertices selected, and one on the driving side, whose selection changes nothing.
  Write("sel.txt", grid.WeightsText(weightsOn({{cell(0, 0), 1.0f}, {cell(1, 2), 1.0f}, {cell(4, 1), 1.0f}})));
  std::vector<Point3> expected = sculptWithCentresOnPlane();
  expected[size_t(grid.At(0, 0))] = reflectedPartnerOf(0, 0);
  expected[size_t(grid.At(1, 2))] = reflectedPartnerOf(1, 2);
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--selection", "sel.txt"}), expected);
}

TEST_P(ApplySelections, SoftWeightsMoveWrittenVerticesPartWay) {
  Write("sel.txt", grid.WeightsText(weightsOn({{cell(0, 0), 0.25f}, {cell(1, 1), 0.5f}, {cell(0, 2), 1.0f},
                                               {cell(3, 1), 0.75f}})));
  std::vector<Point3> expected = sculptWithCentresOnPlane();
  expected[size_t(grid.At(0, 0))] = 0.25f * reflectedPartnerOf(0, 0) + 0.75f * sculptAt(0, 0);
  expected[size_t(grid.At(1, 1))] = 0.5f * reflectedPartnerOf(1, 1) + 0.5f * sculptAt(1, 1);
  expected[size_t(grid.At(0, 2))] = reflectedPartnerOf(0, 2);
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--selection", "sel.txt"}), expected);
}

TEST_P(ApplySelections, FlipOfOneSelectedVertexSwapsItsWholePair) {
  Write("sel.txt", grid.WeightsText(weightsOn({{cell(0, 1), 1.0f}})));
  std::vector<Point3> expected = sculptWithCentresOnPlane();
  expected[size_t(grid.At(0, 1))] = reflectedPartnerOf(0, 1);
  expected[size_t(grid.At(4, 1))] = reflectedPartnerOf(4, 1);
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--operation", "flip", "--selection", "sel.txt"}), expected);
}

TEST_P(ApplySelections, ResetWithSoftWeightsGoesPartWayBack) {
  Write("sel.txt", grid.WeightsText(weightsOn({{cell(1, 0), 0.5f}, {cell(3, 2), 1.0f}})));
  std::vector<Point3> expected = sculpt;
  const int half = grid.At(1, 0), whole = grid.At(3, 2);
  expected[size_t(half)] = 0.5f * grid.Base()[size_t(half)] + 0.5f * sculpt[size_t(half)];
  expected[size_t(whole)] = grid.Base()[size_t(whole)];
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--operation", "reset", "--selection", "sel.txt"}), expected);
}

// The base selection covers row 0: only there does Mirror write, centre vertex included.
TEST_P(ApplySelections, BaseSelectionMasksTheWork) {
  Write("base_sel.txt", grid.WeightsText(weightsOn({{cell(0, 0), 1.0f}, {cell(1, 0), 1.0f}, {cell(2, 0), 1.0f},
                                                    {cell(3, 0), 1.0f}, {cell(4, 0), 1.0f}})));
  std::vector<Point3> expected = sculpt;
  expected[size_t(grid.At(0, 0))] = reflectedPartnerOf(0, 0);
  expected[size_t(grid.At(1, 0))] = reflectedPartnerOf(1, 0);
  expected[size_t(grid.At(2, 0))] = grid.OnPlane(sculptAt(2, 0), grid.At(2, 0));
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--base-selection", "base_sel.txt"}), expected);
}

TEST_P(ApplySelections, InvertedBaseSelectionWorksEverywhereElse) {
  Write("base_sel.txt", grid.WeightsText(weightsOn({{cell(0, 0), 1.0f}, {cell(1, 0), 1.0f}, {cell(2, 0), 1.0f},
                                                    {cell(3, 0), 1.0f}, {cell(4, 0), 1.0f}})));
  std::vector<Point3> expected = sculptWithCentresOnPlane();
  expected[size_t(grid.At(2, 0))] = sculptAt(2, 0);
  for (int row = 1; row < MirrorGrid::kRows; ++row) {
    for (int column = 0; column < MirrorGrid::kCentreColumn; ++column) {
      expected[size_t(grid.At(column, row))] = reflectedPartnerOf(column, row);
    }
  }
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--base-selection", "base_sel.txt", "--invert-base-selection"}),
                  expected);
}

// Selected on the driving side: (4, 1) fully and (3, 2) half; on the written side (0, 0), whose
// partner (4, 0) is not selected. The written side inherits its partners' weights; everything else
// ends unselected.
TEST_P(ApplySelections, CarrySelectionWritesThePartnersSelectionAcrossThePlane) {
  Write("sel.txt", grid.WeightsText(weightsOn({{cell(4, 1), 1.0f}, {cell(3, 2), 0.5f}, {cell(0, 0), 1.0f}})));
  std::vector<Point3> expected = sculptWithCentresOnPlane();
  expected[size_t(grid.At(0, 0))] = reflectedPartnerOf(0, 0);
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--selection", "sel.txt", "--carry-selection", "--selection-out", "out_sel.txt"}),
                  expected);
  EXPECT_EQ(ReadWeights("out_sel.txt"), grid.ByVertex(weightsOn({{cell(0, 1), 1.0f}, {cell(1, 2), 0.5f}})));
}

TEST_P(ApplySelections, SelectionOnlyCarriesTheSelectionAndLeavesThePositions) {
  Write("sel.txt", grid.WeightsText(weightsOn({{cell(4, 1), 1.0f}, {cell(3, 2), 0.5f}, {cell(0, 0), 1.0f}})));
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(),
                              {"--selection", "sel.txt", "--carry-selection", "--selection-only", "--align-centre", "off",
                               "--selection-out", "out_sel.txt"}),
                  sculpt, 0.0f);
  EXPECT_EQ(ReadWeights("out_sel.txt"), grid.ByVertex(weightsOn({{cell(0, 1), 1.0f}, {cell(1, 2), 0.5f}})));
}

TEST_P(ApplySelections, SelectionOutWithoutCarryGivesBackTheInputSelection) {
  const std::vector<float> byCell = weightsOn({{cell(4, 1), 1.0f}, {cell(3, 2), 0.5f}, {cell(0, 0), 0.25f}});
  Write("sel.txt", grid.WeightsText(byCell));
  ApplyToGrid(grid, sculpt, kind(), {"--selection", "sel.txt", "--selection-out", "out_sel.txt"});
  EXPECT_EQ(ReadWeights("out_sel.txt"), grid.ByVertex(byCell));
}

INSTANTIATE_TEST_SUITE_P(MeshAndPoly, ApplySelections, ::testing::Values(std::string("mesh"), std::string("poly")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
