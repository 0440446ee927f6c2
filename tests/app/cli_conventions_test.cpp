// velomorph behaves as the command-line tools its users know: help on every command, options
// written either way, contradictions refused rather than settled by word order, "-" for standard
// input and output, one range check for every command, a summary of what each run did, the exit
// code of the worst failure, numbers as typed, clear messages for compressed files and failed
// writes, and pictures that explain themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "file_paths.h"
#include "scene.h"
#include "scene_file.h"

namespace {

namespace fs = std::filesystem;

class Conventions : public CliTest {
 protected:
  const MirrorGrid grid{0};
  void writeGrid() const {
    Write("base.obj", grid.ObjText(grid.Base()));
    Write("sculpt.obj", grid.ObjText(grid.Sculpt()));
  }
  std::vector<std::string> apply(std::vector<std::string> more) const {
    std::vector<std::string> args = {"apply", "--target", "base.obj", "--input", "sculpt.obj"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
};

// The matches point into `text`, which must outlive them.
std::vector<std::smatch> allMatches(const std::string& text, const std::regex& re) {
  std::vector<std::smatch> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it) found.push_back(*it);
  return found;
}

TEST_F(Conventions, HelpVersionAndOptionsAsUsersWriteThem) {
  writeGrid();
  for (const std::string command : {"info", "demo", "apply", "check", "scene", "rollout", "gizmo"}) {
    for (const std::vector<std::string>& asking : {std::vector<std::string>{command, "--help"},
                                                   std::vector<std::string>{command, "-h"},
                                                   std::vector<std::string>{"help", command}}) {
      const RunResult r = Run(asking);
      EXPECT_EQ(r.exitCode, 0) << command << ": " << r.err;
      EXPECT_EQ(r.out.rfind("usage: velomorph " + command, 0), 0u) << r.out;
    }
  }
  EXPECT_NE(Run({"check", "--help"}).out.find("--offset F"), std::string::npos);
  EXPECT_NE(Run({"gizmo", "--help"}).out.find("--size F"), std::string::npos);
  EXPECT_TRUE(std::regex_match(Run({"--version"}).out, std::regex("velomorph [0-9]+\\.[0-9]+\\.[0-9]+\n")));

  // Unknown, repeated and contradicting options are refused everywhere, naming the word at fault.
  struct Refused {
    std::vector<std::string> args;
    const char* mentions;
  };
  for (const Refused& bad : {Refused{{"info", "--bogus"}, "--bogus"},
                             Refused{apply({"--target", "other.obj", "--out", "o.obj"}), "--target is given twice"},
                             Refused{apply({"--out", "o.obj", "--axis", "x", "--set", "mirrorAxis=2"}), "both set mirrorAxis"},
                             Refused{{"rollout", "--svg", "r.svg", "--axis", "y", "--set=mirrorAxis=0"}, "both set mirrorAxis"},
                             Refused{{"rollout", "--svg", "r.svg", "--axis", "w"}, "--axis takes x|y|z"},
                             Refused{{"check", "--target", "base.obj", "--timings=yes"}, "takes no value"}}) {
    const RunResult r = Run(bad.args);
    EXPECT_EQ(r.exitCode, 2) << bad.mentions << ": " << r.err;
    EXPECT_NE(r.err.find(bad.mentions), std::string::npos) << r.err;
  }

  // --opt=value, --align-center and --align-centre alike, and "-" for standard input and output:
  // the same result, on standard output, as written to a file.
  const RunResult toFile = Run(apply({"--out", "out.obj", "--align-centre", "off", "--quiet"}));
  ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
  const RunResult toStdout = Run({"apply", "--target=base.obj", "--input=-", "--out=-", "--align-center=off", "--quiet"},
                                 "sculpt.obj");
  ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, Read("out.obj"));
  EXPECT_FALSE(Exists("-"));
  const RunResult twice = Run({"apply", "--target", "-", "--input", "-", "--out", "o.obj"}, "sculpt.obj");
  EXPECT_EQ(twice.exitCode, 2) << twice.err;
  EXPECT_NE(twice.err.find("standard input"), std::string::npos) << twice.err;

  // A plug-in named without a folder is the one in the current folder.
  const fs::path plugin = FilePath(VELOMORPH_PLUGIN_PATH);
  const std::string local = "myplug" + plugin.extension().u8string();
  fs::copy_file(plugin, FilePath(Path(local)));
  const RunResult info = Run({"--plugin", local, "info"});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find(local), std::string::npos) << info.out;
}

TEST_F(Conventions, EveryCommandChecksValuesAlikeAndRefusesOptionsItWouldIgnore) {
  writeGrid();
  ASSERT_EQ(Run(apply({"--out", "out.obj", "--save-scene", "s.vms", "--quiet"})).exitCode, 0);
  for (const std::string setting : {"mirrorAxis=7", "operation=-1", "displaySize=-5", "updateResult=2"}) {
    for (const std::vector<std::string>& command :
         {apply({"--out", "o.obj"}), std::vector<std::string>{"scene", "s.vms", "--out-dir", "o"},
          std::vector<std::string>{"gizmo", "--svg", "g.svg"}, std::vector<std::string>{"rollout", "--svg", "r.svg"}}) {
      std::vector<std::string> args = command;
      args.insert(args.end(), {"--set", setting});
      const RunResult r = Run(args);
      EXPECT_EQ(r.exitCode, 2) << command[0] << " --set " << setting << ": " << r.err;
      EXPECT_NE(r.err.find("'" + setting.substr(setting.find('=') + 1) + "'"), std::string::npos) << r.err;
    }
  }
  EXPECT_FALSE(Exists("o.obj") || Exists("o") || Exists("g.svg") || Exists("r.svg"));

  struct Ignored {
    std::vector<std::string> args;
    const char* says;
  };
  for (const Ignored& c : {Ignored{apply({"--out", "o.obj", "--asymmetry", "base.obj", "--as", "mesh"}), "polygon meshes only"},
                           Ignored{apply({"--out", "o.obj", "--uv-dominance", "v", "--as", "patch"}), "polygon meshes only"},
                           Ignored{apply({"--out", "o.obj", "--asymmetry-type", "local"}), "give --asymmetry"},
                           Ignored{apply({"--out", "o.obj", "--invert-base-selection"}), "give --base-selection"}}) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.says << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("o.obj"));
  }
}

TEST_F(Conventions, EachRunSaysWhatItDidAndABatchEndsWithItsWorstFailure) {
  // The sculpt moves every vertex, so Mirror writing the negative side overwrites a sculpt there;
  // a sculpt of the positive side alone is not lost by the same run.
  writeGrid();
  RunResult r = Run(apply({"--out", "out.obj"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.ErrLines(),
            (std::vector<std::string>{
                "velomorph: sculpt.obj -> out.obj: mirror wrote the negative side (x < 0) from the positive; 9 of 15 "
                "vertices changed",
                "velomorph: warning: sculpt.obj: 6 vertices of the negative side (x < 0) had been sculpted and are now "
                "overwritten; to mirror that sculpt instead, use --direction positive"}));
  std::vector<Point3> positiveOnly = grid.Base();
  for (int v = 0; v < MirrorGrid::kVertices; ++v)
    if (grid.OnPositiveSide(v)) positiveOnly[size_t(v)] = grid.Sculpt()[size_t(v)];
  Write("positive.obj", grid.ObjText(positiveOnly));
  r = Run({"apply", "--target", "base.obj", "--input", "positive.obj", "--out", "out.obj", "--operation", "flip"});
  EXPECT_EQ(r.err, "velomorph: positive.obj -> out.obj: flip swapped the sides of x = 0; 12 of 15 vertices changed\n");
  EXPECT_EQ(Run(apply({"--out", "out.obj", "--quiet"})).err, "");

  // The exit code is the worst failure's, whichever came first; a result that cannot be written
  // has a code of its own.
  Write("short.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  r = Run({"apply", "--target", "base.obj", "--input", "missing.obj", "short.obj", "sculpt.obj", "--out-dir", "out",
           "--quiet"});
  EXPECT_EQ(r.exitCode, 4) << r.err;
  EXPECT_EQ(r.ErrLines().back(), "velomorph apply: 2 of 3 inputs failed");
  EXPECT_TRUE(Exists("out/sculpt.obj"));
  r = Run(apply({"--out", "nowhere/out.obj", "--quiet"}));
  EXPECT_EQ(r.exitCode, 6) << r.err;
  EXPECT_EQ(r.err, "velomorph: nowhere: no such folder (writing nowhere/out.obj)\n");

  // A scene with nothing to evaluate says so.
  Scene::Get().Clear();
  std::string error;
  ASSERT_TRUE(SaveScene(Path("empty.vms"), &error)) << error;
  r = Run({"scene", "empty.vms"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("nothing to evaluate or write"), std::string::npos) << r.err;

  // Every command that does timed work names its phases.
  for (const std::vector<std::string>& timed :
       {std::vector<std::string>{"check", "--target", "base.obj", "--timings"},
        apply({"--out", "out.obj", "--save-scene", "s.vms", "--timings", "--quiet"}),
        std::vector<std::string>{"scene", "s.vms", "--out-dir", "again", "--timings", "--quiet"}}) {
    r = Run(timed);
    EXPECT_EQ(r.ErrLines().front().rfind("timing read ", 0), 0u) << r.err;
  }
}

TEST_F(Conventions, MessagesShowNumbersAsTypedAndNameWhatIsWrong) {
  writeGrid();
  RunResult r = Run(apply({"--out", "o.obj", "--set", "displaySize=0.001"}));
  EXPECT_EQ(r.err, "velomorph apply: --set displaySize=0.001: displaySize takes 0.01 to 9999999, not '0.001'\n");
  r = Run({"check", "--target", "base.obj", "--tolerance", "0.001", "--json"});
  EXPECT_NE(r.out.find("\"tolerance\": 0.001,"), std::string::npos) << r.out;
  r = Run({"check", "--target", "base.obj", "--tolerance", "0.001"});
  EXPECT_NE(r.out.find("beyond tolerance 0.001 "), std::string::npos) << r.out;

  Write("packed.obj", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8) + "gzip");
  r = Run({"check", "--target", "packed.obj"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.err, "velomorph: packed.obj: is compressed (gzip); unpack it first\n");

  // A byte-order mark is skipped on reading and kept on writing, like every byte outside a coordinate.
  const std::string bom = "\xEF\xBB\xBF";
  Write("sculpt.obj", bom + grid.ObjText(grid.Sculpt()));
  r = Run(apply({"--out", "o.obj", "--quiet"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read("o.obj").rfind(bom + "# velomorph test grid", 0), 0u);
  ExpectPositions(ReadPositions("o.obj"), grid.Mirrored(grid.Sculpt(), true));
}

TEST_F(Conventions, CheckPictureHasAxesALegendSidesApartAndSaysWhenItSamples) {
  // One vertex pushed off its mirror image: it and its partner are marked, each in its side's colour.
  std::vector<Point3> nudged = grid.Base();
  nudged[size_t(grid.At(3, 1))].y += 0.25f;
  Write("nudged.obj", grid.ObjText(nudged));
  ASSERT_EQ(Run({"check", "--target", "nudged.obj", "--svg", "n.svg"}).exitCode, 1);
  const std::string svg = Read("n.svg");
  for (const char* words : {">x (mirror axis)<", ">y<", ">mirror plane x = 0<", ">beyond tolerance on the +x side<",
                            ">beyond tolerance on the -x side<"}) {
    EXPECT_NE(svg.find(words), std::string::npos) << words;
  }
  const auto rings = allMatches(svg, std::regex("<circle cx=\"([-0-9.]+)\"[^>]*r=\"4\" fill=\"none\" stroke=\"(#[0-9a-f]+)\""));
  ASSERT_EQ(rings.size(), 2u) << svg;
  EXPECT_NE(rings[0][2].str(), rings[1][2].str());
  EXPECT_EQ(svg.find("showing"), std::string::npos);

  // A mesh too dense to draw every vertex says how many it shows.
  std::string dense;
  const int side = 150;
  for (int i = 0; i < side; ++i)
    for (int j = 0; j < side; ++j) dense += "v " + std::to_string(2 * i - (side - 1)) + " " + std::to_string(j) + " 0\n";
  Write("dense.obj", dense);
  ASSERT_EQ(Run({"check", "--target", "dense.obj", "--svg", "d.svg"}).exitCode, 0);
  EXPECT_NE(Read("d.svg").find("showing 11250 of 22500 vertices"), std::string::npos);
}

TEST_F(Conventions, GizmoArrowTipNeverLandsOnACornerOfTheSquare) {
  const std::regex line("<line x1=\"([-0-9.]+)\" y1=\"([-0-9.]+)\" x2=\"([-0-9.]+)\" y2=\"([-0-9.]+)\" stroke=\"#[0-9a-f]+\" "
                        "stroke-width=\"1.5\"/>");
  for (const char* axis : {"x", "y", "z"}) {
    for (const char* direction : {"negative", "positive"}) {
      SCOPED_TRACE(std::string(axis) + " " + direction);
      ASSERT_EQ(Run({"gizmo", "--axis", axis, "--direction", direction, "--svg", "g.svg"}).exitCode, 0);
      // The square's corners are drawn as points; the arrow's tip is where most lines end.
      std::vector<std::pair<double, double>> corners;
      std::map<std::pair<long, long>, int> ends;
      const std::string svg = Read("g.svg");  // the matches point into it
      for (const std::smatch& m : allMatches(svg, line)) {
        const double x1 = std::stod(m[1]), y1 = std::stod(m[2]), x2 = std::stod(m[3]), y2 = std::stod(m[4]);
        if (x1 == x2 && y1 == y2) {
          corners.emplace_back(x1, y1);
          continue;
        }
        ++ends[{std::lround(x1), std::lround(y1)}];
        ++ends[{std::lround(x2), std::lround(y2)}];
      }
      ASSERT_EQ(corners.size(), 4u);
      const auto tip = std::max_element(ends.begin(), ends.end(), [](auto& a, auto& b) { return a.second < b.second; });
      for (const auto& [cx, cy] : corners) {
        EXPECT_GT(std::hypot(cx - double(tip->first.first), cy - double(tip->first.second)), 20.0)
            << "tip at " << tip->first.first << "," << tip->first.second;
      }
    }
  }
}

}  // namespace
