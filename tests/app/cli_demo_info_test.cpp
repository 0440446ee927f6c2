// velomorph demo and velomorph info, the two commands that need no input: the demo writes its five
// files and a mirrored head that passes `check`; info names the plug-in and its twenty parameters.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace {

// A build with glTF support also writes the head as a character file.
#ifdef VELOMORPH_WITH_GLTF
const std::vector<std::string> kDemoFiles = {"base.obj", "character.glb", "flipped.obj", "mirrored.obj", "reset.obj",
                                             "sculpt.obj"};
#else
const std::vector<std::string> kDemoFiles = {"base.obj", "flipped.obj", "mirrored.obj", "reset.obj", "sculpt.obj"};
#endif

class Demo : public CliTest {};

TEST_F(Demo, WritesItsFilesAndAMirroredHeadThatIsSymmetric) {
  const RunResult r = Run({"demo", "--out", "demo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("vertices"), std::string::npos) << r.out;
  EXPECT_EQ(Entries("demo"), kDemoFiles);

  EXPECT_EQ(Run({"check", "--target", "demo/base.obj"}).exitCode, 0);
  // The sculpt is one-sided, so the mirrored head passing says the mirror did its work.
  EXPECT_EQ(Run({"check", "--target", "demo/sculpt.obj"}).exitCode, 1);
  const RunResult mirrored = Run({"check", "--target", "demo/mirrored.obj"});
  EXPECT_EQ(mirrored.exitCode, 0) << mirrored.out;
  ExpectPositions(ReadPositions("demo/reset.obj"), ReadPositions("demo/base.obj"), 0.0f);
}

#ifdef VELOMORPH_WITH_GLTF
TEST_F(Demo, TheCharacterFilesSplitQuadsArePairedByTopologyAsByPosition) {
  // The head is exact, so its nearest images are its partners: topology pairing, reading its quads
  // back from the triangles the file holds, must hand the modifier the very same ones.
  ASSERT_EQ(Run({"demo", "--out", "demo"}).exitCode, 0);
  const RunResult topology = Run({"apply", "--target", "demo/character.glb", "--out", "topology.glb", "--pairing", "topology"});
  ASSERT_EQ(topology.exitCode, 0) << topology.err;
  EXPECT_EQ(topology.err.find("could not be paired"), std::string::npos) << topology.err;
  ASSERT_EQ(Run({"apply", "--target", "demo/character.glb", "--out", "position.glb"}).exitCode, 0);
  EXPECT_EQ(Read("topology.glb"), Read("position.glb"));
}
#endif

TEST_F(Demo, WritesIntoVelomorphDemoByDefault) {
  const RunResult r = Run({"demo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Entries(""), std::vector<std::string>{"velomorph-demo"});
  EXPECT_EQ(Entries("velomorph-demo"), kDemoFiles);
}

TEST_F(Demo, RefusesAnUnknownOption) {
  const RunResult r = Run({"demo", "--fast"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("--fast"), std::string::npos) << r.err;
  EXPECT_EQ(Entries(""), std::vector<std::string>{});
}

class Info : public CliTest {};

TEST_F(Info, NamesThePluginAndItsTwentyParameters) {
  const RunResult r = Run({"info"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string& out = r.out;
  for (const char* line : {"description\\s+Ambiflex", "class name\\s+Velomorph", "category\\s+TollwickPlugins",
                           "internal\\s+ambiflex", "class id\\s+Class_ID\\(0x7E3D7747, 0xBA5FB623\\)",
                           "version\\s+0x3A982800", "parameter block 0 \"params\", 20 parameters"}) {
    EXPECT_TRUE(std::regex_search(out, std::regex("(^|\n)" + std::string(line) + "\n"))) << line << "\n" << out;
  }
  // The block's parameters by id, as scripts and scene files know them.
  const std::vector<std::string> names = {
      "UndefObject",        "mirrorAxis",          "updateResult",    "operation",          "direction",
      "constantUpdate",     "ignoreSO",            "displayAxis",     "axisOffset",         "displaySize",
      "resetCentreVerts",   "baseSelectionMasks",  "invertBaseSelection", "enableAsymmetry", "asymNode",
      "asynType",           "UVDominance",         "NormXforms",      "OperateOnSelection", "OperateOnlyOnSelection"};
  std::vector<std::string> listed;
  std::istringstream lines(out);
  const std::regex parameter("\\s+([0-9]+)\\s+(\\S+)\\s+(node|int|bool|float)\\b.*");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, parameter)) continue;
    EXPECT_EQ(std::stoi(m[1]), int(listed.size())) << line;
    listed.push_back(m[2]);
  }
  EXPECT_EQ(listed, names);
}

}  // namespace
