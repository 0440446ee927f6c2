// velomorph apply on the mirror grid: Mirror in both directions, Flip and Reset on each axis and for
// both object types, the plane moved by --offset, centre vertices with --align-centre off, and
// parameters set by their internal names. Every expected position follows from the grid's drawing:
// which column a vertex is in, and the vertex across the plane from it.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cli_fixture.h"

namespace {

class ApplyOnEachAxis : public CliTest, public ::testing::WithParamInterface<std::tuple<std::string, int>> {
 protected:
  const std::string& kind() const { return std::get<0>(GetParam()); }
  int axis() const { return std::get<1>(GetParam()); }
  std::string axisName() const { return AxisName(axis()); }
};

TEST_P(ApplyOnEachAxis, MirrorNegativeWritesTheNegativeSideFromThePositive) {
  const MirrorGrid grid(axis());
  const std::vector<Point3> sculpt = grid.Sculpt();
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--operation", "mirror", "--axis", axisName(), "--direction", "negative"}),
                  grid.Mirrored(sculpt, true));
}

TEST_P(ApplyOnEachAxis, MirrorPositiveWritesThePositiveSideFromTheNegative) {
  const MirrorGrid grid(axis());
  const std::vector<Point3> sculpt = grid.Sculpt();
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--operation", "mirror", "--axis", axisName(), "--direction", "positive"}),
                  grid.Mirrored(sculpt, false));
}

TEST_P(ApplyOnEachAxis, FlipSwapsTheHalves) {
  const MirrorGrid grid(axis());
  const std::vector<Point3> sculpt = grid.Sculpt();
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--operation", "flip", "--axis", axisName()}), grid.Flipped(sculpt));
}

TEST_P(ApplyOnEachAxis, ResetGivesBackTheBase) {
  const MirrorGrid grid(axis());
  ExpectPositions(ApplyToGrid(grid, grid.Sculpt(), kind(), {"--operation", "reset", "--axis", axisName()}), grid.Base(), 0.0f);
}

TEST_P(ApplyOnEachAxis, AlignCentreOffReflectsCentreVerticesInPlace) {
  const MirrorGrid grid(axis());
  const std::vector<Point3> sculpt = grid.Sculpt();
  std::vector<Point3> expected = grid.Mirrored(sculpt, true);
  for (int v = 0; v < MirrorGrid::kVertices; ++v) {
    if (grid.IsCentre(v)) expected[size_t(v)] = grid.Reflect(sculpt[size_t(v)]);
  }
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--axis", axisName(), "--align-centre", "off"}), expected);
}

// With the plane at 1 the inner negative column lies at 0.25: it is written only if the side is
// judged against the plane rather than against 0.
TEST_P(ApplyOnEachAxis, OffsetMovesTheMirrorPlane) {
  const MirrorGrid grid(axis(), 1.0f);
  const std::vector<Point3> sculpt = grid.Sculpt();
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--axis", axisName(), "--offset", "1"}), grid.Mirrored(sculpt, true));
}

INSTANTIATE_TEST_SUITE_P(MeshAndPoly, ApplyOnEachAxis,
                         ::testing::Combine(::testing::Values(std::string("mesh"), std::string("poly")),
                                            ::testing::Values(0, 1, 2)),
                         [](const ::testing::TestParamInfo<std::tuple<std::string, int>>& info) {
                           return std::get<0>(info.param) + "_" + AxisName(std::get<1>(info.param));
                         });

// ---------------------------------------------------------------------------------------------

class ApplySettings : public CliTest, public ::testing::WithParamInterface<std::string> {
 protected:
  const std::string& kind() const { return GetParam(); }
};

TEST_P(ApplySettings, DefaultsMirrorTheNegativeSideAboutXZero) {
  const MirrorGrid grid(0);
  const std::vector<Point3> sculpt = grid.Sculpt();
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {}), grid.Mirrored(sculpt, true));
}

TEST_P(ApplySettings, SetNamesAnyParameterByItsInternalName) {
  const MirrorGrid grid(2, 1.0f);
  const std::vector<Point3> sculpt = grid.Sculpt();
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--set", "mirrorAxis=2", "--set", "axisOffset=1", "--set", "operation=1"}),
                  grid.Flipped(sculpt));
}

TEST_P(ApplySettings, SetTakesOnAndOffForSwitches) {
  const MirrorGrid grid(0);
  const std::vector<Point3> sculpt = grid.Sculpt();
  std::vector<Point3> expected = grid.Mirrored(sculpt, false);
  for (int v = 0; v < MirrorGrid::kVertices; ++v) {
    if (grid.IsCentre(v)) expected[size_t(v)] = grid.Reflect(sculpt[size_t(v)]);
  }
  ExpectPositions(ApplyToGrid(grid, sculpt, kind(), {"--set", "direction=1", "--set", "resetCentreVerts=off"}), expected);
}

// Two options for one parameter are not settled by their order: the run is refused before it starts.
TEST_P(ApplySettings, SettingsThatContradictEachOtherAreRefused) {
  const MirrorGrid grid(1);
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", grid.ObjText(grid.Sculpt()));
  for (const std::vector<std::string>& twice : {std::vector<std::string>{"--axis", "x", "--set", "mirrorAxis=1"},
                                                std::vector<std::string>{"--operation", "reset", "--operation=flip"},
                                                std::vector<std::string>{"--align-centre", "on", "--align-center", "off"}}) {
    std::vector<std::string> args = {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--as", kind()};
    args.insert(args.end(), twice.begin(), twice.end());
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find(twice[0]), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("out.obj"));
  }
}

INSTANTIATE_TEST_SUITE_P(MeshAndPoly, ApplySettings, ::testing::Values(std::string("mesh"), std::string("poly")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
