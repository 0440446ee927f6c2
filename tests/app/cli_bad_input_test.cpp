// velomorph apply on bad input: each case fails with its own exit code (2 usage, 3 a file that
// cannot be read or parsed, 4 meshes that do not match), one line on standard error naming the
// file (and line) or the option at fault, nothing on standard output, and nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cli_fixture.h"

namespace {

struct BadInput {
  std::string name;
  // Files written beside the good base.obj and sculpt.obj of the mirror grid.
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> args;
  int exitCode;
  // Text the message must hold: the file and line, or the option at fault.
  std::string mentions;
};
// Test listings name a case by what its message must say, not by its bytes.
void PrintTo(const BadInput& bad, std::ostream* os) { *os << bad.name; }

int lineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

std::vector<BadInput> badInputs() {
  const MirrorGrid grid(0);
  const std::string sculpt = grid.ObjText(grid.Sculpt());
  std::string badNumberOnLine7;
  for (int v = 0; v < MirrorGrid::kVertices; ++v) badNumberOnLine7 += v == 6 ? "abc\n" : "1\n";
  std::string outOfRangeOnLine10;
  for (int v = 0; v < MirrorGrid::kVertices; ++v) outOfRangeOnLine10 += v == 9 ? "1.5\n" : "0\n";
  const std::vector<std::string> apply = {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj"};
  auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> args = apply;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  return {
      // Files that cannot be read or parsed.
      {"MissingTarget", {}, {"apply", "--target", "nothere.obj", "--input", "sculpt.obj", "--out", "out.obj"}, 3,
       "nothere.obj"},
      {"MissingInput", {}, {"apply", "--target", "base.obj", "--input", "nothere.obj", "--out", "out.obj"}, 3,
       "nothere.obj"},
      {"MissingSelection", {}, with({"--selection", "nothere.txt"}), 3, "nothere.txt"},
      {"VertexWithTwoNumbers", {{"bad.obj", "# two\nv 0 0 0\nv 1 0\nv 0 1 0\nf 1 2 3\n"}},
       {"apply", "--target", "bad.obj", "--input", "sculpt.obj", "--out", "out.obj"}, 3, "bad.obj:3:"},
      {"NumberThatIsNotOne", {{"bad.obj", "# y is not a number\nv 1 y 0\nv 0 0 0\nv 1 1 0\nf 1 2 3\n"}},
       {"apply", "--target", "base.obj", "--input", "bad.obj", "--out", "out.obj"}, 3, "bad.obj:2:"},
      {"FaceOutsideTheFile", {{"bad.obj", sculpt + "f 1 2 99\n"}},
       {"apply", "--target", "base.obj", "--input", "bad.obj", "--out", "out.obj"}, 3,
       "bad.obj:" + std::to_string(lineCount(sculpt) + 1) + ":"},
      {"SelectionWithABadNumber", {{"sel.txt", badNumberOnLine7}}, with({"--selection", "sel.txt"}), 3, "sel.txt:7:"},
      {"SelectionWeightOutsideZeroToOne", {{"sel.txt", outOfRangeOnLine10}}, with({"--selection", "sel.txt"}), 3, "sel.txt:10:"},
      // Meshes that do not match.
      {"SelectionWithTooFewWeights", {{"sel.txt", "1\n0\n1\n"}}, with({"--selection", "sel.txt"}), 4, "sel.txt"},
      {"BaseSelectionWithTooManyWeights", {{"sel.txt", grid.WeightsText(std::vector<float>(MirrorGrid::kVertices, 1.0f)) + "0\n"}},
       with({"--base-selection", "sel.txt"}), 4, "sel.txt"},
      {"InputWithAnotherVertexCount", {{"sculpt.obj", sculpt + "v 0 0 0\n"}}, apply, 4,
       "velomorph: sculpt.obj has 16 vertices, base.obj has 15: both must share vertex count and order"},
      {"AsymmetryWithAnotherVertexCount", {{"asym.obj", sculpt + "v 0 0 0\nv 0 0 1\n"}}, with({"--asymmetry", "asym.obj"}), 4,
       "asym.obj has 17 vertices, base.obj has 15"},
      // Usage.
      {"UnknownOption", {}, with({"--mirror-everything"}), 2, "--mirror-everything"},
      {"NoTargetOption", {}, {"apply", "--input", "sculpt.obj", "--out", "out.obj"}, 2, "--target"},
      {"NoInputOption", {}, {"apply", "--target", "base.obj", "--out", "out.obj"}, 2, "--input"},
      {"BothOutAndOutDir", {}, with({"--out-dir", "out"}), 2, "--out-dir"},
      {"OutWithTwoInputs", {}, {"apply", "--target", "base.obj", "--input", "sculpt.obj", "base.obj", "--out", "out.obj"}, 2,
       "--out"},
      {"TwoInputsWithOneFileName", {{"in/sculpt.obj", sculpt}},
       {"apply", "--target", "base.obj", "--input", "sculpt.obj", "in/sculpt.obj", "--out-dir", "out"}, 2, "in/sculpt.obj"},
      {"SelectionOutWithTwoInputs", {{"in/a.obj", sculpt}},
       {"apply", "--target", "base.obj", "--input", "sculpt.obj", "in/a.obj", "--out-dir", "out", "--selection-out", "s.txt"}, 2,
       "--selection-out"},
      {"BadAxis", {}, with({"--axis", "w"}), 2, "'w'"},
      {"BadOperation", {}, with({"--operation", "spin"}), 2, "'spin'"},
      {"OptionWithoutItsValue", {}, with({"--offset"}), 2, "--offset"},
      {"SetOfAnUnknownParameter", {}, with({"--set", "mirrorAxes=1"}), 2, "mirrorAxes"},
      {"SetWithoutAValue", {}, with({"--set", "mirrorAxis"}), 2, "mirrorAxis"},
      {"SetOfAWordForANumber", {}, with({"--set", "mirrorAxis=y"}), 2, "'y'"},
      {"SetOutsideTheRange", {}, with({"--set", "operation=5"}), 2, "'5'"},
      {"SwitchSetToTwo", {}, with({"--set", "constantUpdate=2"}), 2, "'2'"},
      {"OffsetOutsideTheRange", {}, with({"--offset", "1e9"}), 2, "'1e9'"},
  };
}

class ApplyRefuses : public CliTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(ApplyRefuses, WithItsExitCodeAndOneLineAndWritesNothing) {
  const BadInput& bad = GetParam();
  const MirrorGrid grid(0);
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", grid.ObjText(grid.Sculpt()));
  for (const auto& [name, text] : bad.files) Write(name, text);
  const std::vector<std::string> before = Entries("");

  const RunResult r = Run(bad.args);
  EXPECT_EQ(r.exitCode, bad.exitCode) << r.err;
  const std::vector<std::string> lines = r.ErrLines();
  ASSERT_EQ(lines.size(), 1u) << r.err;
  EXPECT_NE(lines[0].find(bad.mentions), std::string::npos) << lines[0];
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Entries(""), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, ApplyRefuses, ::testing::ValuesIn(badInputs()),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

// A batch goes on past an input that cannot be read: the others are written, the exit code says
// what went wrong.
class ApplyBatchRefuses : public CliTest {};

TEST_F(ApplyBatchRefuses, OnlyTheUnreadableInputsAndWritesTheOthers) {
  const MirrorGrid grid(0);
  const std::vector<Point3> sculpt = grid.Sculpt();
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("a.obj", grid.ObjText(sculpt));
  Write("broken.obj", grid.ObjText(sculpt) + "f 1 2\n");
  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "a.obj", "broken.obj", "nothere.obj",
                           "--out-dir", "out", "--as", "mesh", "--quiet"});
  EXPECT_EQ(r.exitCode, 3);
  const std::vector<std::string> lines = r.ErrLines();
  ASSERT_EQ(lines.size(), 3u) << r.err;
  EXPECT_EQ(lines[2], "velomorph apply: 2 of 3 inputs failed");
  EXPECT_NE(lines[0].find("broken.obj:" + std::to_string(lineCount(grid.ObjText(sculpt)) + 1) + ":"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("nothere.obj"), std::string::npos) << lines[1];
  EXPECT_EQ(Entries("out"), std::vector<std::string>{"a.obj"});
  ExpectPositions(ReadPositions("out/a.obj"), grid.Mirrored(sculpt, true));
}

}  // namespace
