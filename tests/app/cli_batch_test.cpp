// velomorph apply on several inputs at once: --out-dir writes each result under its input's file
// name, an input that does not match the base is reported and skipped while the others are written;
// and --timings reports each phase on standard error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace {

class ApplyBatch : public CliTest {
 protected:
  const MirrorGrid grid{0};
  const std::vector<Point3> sculpt = grid.Sculpt();
  // A second sculpt, pushed the other way from the base.
  std::vector<Point3> otherSculpt() const {
    std::vector<Point3> other(sculpt.size());
    for (size_t v = 0; v < sculpt.size(); ++v) other[v] = grid.Base()[v] + 2.0f * (grid.Base()[v] - sculpt[v]);
    return other;
  }
};

TEST_F(ApplyBatch, WritesEveryMatchingInputAndSkipsTheOneThatDoesNotMatch) {
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("in/a.obj", grid.ObjText(sculpt));
  Write("in/sculpt.obj", grid.ObjText(sculpt) + "v 9 9 9\n");
  Write("in/c.obj", grid.ObjText(otherSculpt()));

  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "in/a.obj", "in/sculpt.obj", "in/c.obj",
                           "--out-dir", "out", "--as", "mesh", "--quiet"});
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_EQ(r.ErrLines(), (std::vector<std::string>{
                              "velomorph: in/sculpt.obj has 16 vertices, base.obj has 15: both must share vertex count and order",
                              "velomorph apply: 1 of 3 inputs failed"}));
  EXPECT_EQ(Entries("out"), (std::vector<std::string>{"a.obj", "c.obj"}));
  ExpectPositions(ReadPositions("out/a.obj"), grid.Mirrored(sculpt, true));
  ExpectPositions(ReadPositions("out/c.obj"), grid.Mirrored(otherSculpt(), true));
}

TEST_F(ApplyBatch, EveryInputMatchingExitsZero) {
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("a.obj", grid.ObjText(sculpt));
  Write("c.obj", grid.ObjText(otherSculpt()));
  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "a.obj", "c.obj", "--out-dir", "out/deeper",
                           "--operation", "flip", "--as", "mesh", "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Entries("out/deeper"), (std::vector<std::string>{"a.obj", "c.obj"}));
  ExpectPositions(ReadPositions("out/deeper/a.obj"), grid.Flipped(sculpt));
  ExpectPositions(ReadPositions("out/deeper/c.obj"), grid.Flipped(otherSculpt()));
}

// The inputs of a batch take turns on one node, whose cache keeps the target and partners: each
// result must still be its own input's, whatever the object kind, also with constant update off
// (where a cache replays its stored result) and with the target captured at every evaluation.
TEST_F(ApplyBatch, EachInputGetsItsOwnResultWhenInputsShareANode) {
  Write("base.obj", grid.ObjText(grid.Base()));
  std::vector<Point3> third = sculpt;
  for (Point3& p : third) p.z += 0.5f;
  const std::vector<std::vector<Point3>> inputs = {sculpt, otherSculpt(), third};
  for (size_t i = 0; i < inputs.size(); ++i) Write("in/" + std::to_string(i) + ".obj", grid.ObjText(inputs[i]));
  const std::vector<std::vector<std::string>> variants = {
      {"--as", "mesh", "--set", "constantUpdate=0"},
      {"--as", "poly", "--set", "updateResult=0"},
      {"--as", "patch"},
      {"--as", "poly", "--timings"}};
  for (const std::vector<std::string>& variant : variants) {
    std::vector<std::string> args = {"apply", "--target", "base.obj", "--input", "in/0.obj", "in/1.obj", "in/2.obj",
                                     "--out-dir", "out"};
    args.insert(args.end(), variant.begin(), variant.end());
    const RunResult r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << variant[1] << ": " << r.err;
    for (size_t i = 0; i < inputs.size(); ++i) {
      SCOPED_TRACE(variant[1] + " input " + std::to_string(i));
      ExpectPositions(ReadPositions("out/" + std::to_string(i) + ".obj"), grid.Mirrored(inputs[i], true));
    }
  }
}

// Artists name files in their own languages: every name reaches the file it names (on Windows, past
// the ANSI code page), results keep their input's name, and a scene saved over itself is replaced.
TEST_F(ApplyBatch, NamesOutsideAsciiWorkInEveryRole) {
  const std::string base = "Basis \xd0\xb3\xd0\xbe\xd0\xbb\xd0\xbe\xd0\xb2\xd0\xb0.obj";
  const std::string input = "\xe5\xbd\xa2 \xe2\x98\x83 \xf0\x9f\x98\x80.obj";
  const std::string folder = "r\xc3\xa9sultats";
  const std::string scene = folder + "/sc\xc3\xa8ne.vms";
  Write(base, grid.ObjText(grid.Base()));
  Write(input, grid.ObjText(sculpt));
  for (int run = 0; run < 2; ++run) {
    const RunResult r = Run({"apply", "--target", base, "--input", input, "--out-dir", folder, "--as", "mesh",
                             "--save-scene", scene, "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
  }
  EXPECT_EQ(Entries(folder), (std::vector<std::string>{"sc\xc3\xa8ne.vms", input}));
  ExpectPositions(ReadPositions(folder + "/" + input), grid.Mirrored(sculpt, true));

  Write(input, grid.ObjText(sculpt) + "v 9 9 9\n");
  const RunResult mismatch = Run({"apply", "--target", base, "--input", input, "--out-dir", folder, "--as", "mesh"});
  EXPECT_EQ(mismatch.exitCode, 4);
  EXPECT_NE(mismatch.err.find(input + " has 16 vertices, " + base + " has 15"), std::string::npos) << mismatch.err;
}

class ApplyTimings : public ApplyBatch, public ::testing::WithParamInterface<std::string> {};

TEST_P(ApplyTimings, PrintsEachPhaseInOrderAndWritesTheSameResult) {
  Write("base.obj", grid.ObjText(grid.Base()));
  Write("sculpt.obj", grid.ObjText(sculpt));
  const RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--timings",
                           "--as", GetParam(), "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;

  const std::regex line("timing (\\S+) ([0-9]+(\\.[0-9]+)?)");
  std::vector<std::string> phases;
  for (const std::string& text : r.ErrLines()) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, line)) << "not a timing line: " << text;
    phases.push_back(m[1]);
    EXPECT_GE(std::strtod(m[2].str().c_str(), nullptr), 0.0) << text;
  }
  EXPECT_EQ(phases, (std::vector<std::string>{"read", "pair-and-apply", "apply-again", "replay", "write"}));
  // The phases after the first evaluation are measured only: the file holds the first result.
  ExpectPositions(ReadPositions("out.obj"), grid.Mirrored(sculpt, true));
}

INSTANTIATE_TEST_SUITE_P(MeshAndPoly, ApplyTimings, ::testing::Values(std::string("mesh"), std::string("poly")),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
