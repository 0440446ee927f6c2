// Topology pairing on the command line: symmetrize makes every corpus mesh pass check at tolerance
// 0 with every other byte kept; check writes and marks partners; apply hands the modifier the
// partners from the connectivity; meshes topology cannot pair are refused with nothing written.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "support/topology_corpus.h"

namespace {

std::string withoutVertexLines(const std::string& obj) {
  std::istringstream in(obj);
  std::string line, kept;
  while (std::getline(in, line)) {
    if (line.rfind("v ", 0) != 0) kept += line + "\n";
  }
  return kept;
}

std::vector<int> numbersIn(const std::string& text) {
  std::istringstream in(text);
  std::vector<int> numbers;
  for (int n = 0; in >> n;) numbers.push_back(n);
  return numbers;
}

const CorpusMesh& named(const std::vector<CorpusMesh>& corpus, const std::string& name) {
  for (const CorpusMesh& m : corpus) {
    if (m.name == name) return m;
  }
  throw std::runtime_error("no corpus mesh " + name);
}

using TopologyCommands = CliTest;

TEST_F(TopologyCommands, SymmetrizedCorpusPassesCheckAtToleranceZeroWithEveryOtherLineKept) {
  for (const CorpusMesh& m : SymmetricCorpus()) {
    const std::string base = CorpusObjText(m);
    Write("base.obj", base);
    for (const char* pairing : {"topology", "position"}) {
      const RunResult made = Run({"symmetrize", "--target", "base.obj", "--out", "sym.obj", "--pairing", pairing, "--quiet"});
      ASSERT_EQ(made.exitCode, 0) << m.name << ": " << made.err;
      if (std::string(pairing) == "position") continue;  // noise makes nearest images wrong: no exactness promised
      const RunResult checked = Run({"check", "--target", "sym.obj", "--tolerance", "0"});
      EXPECT_EQ(checked.exitCode, 0) << m.name << ": " << checked.out;
      EXPECT_EQ(withoutVertexLines(Read("sym.obj")), withoutVertexLines(base)) << m.name;
    }
  }
}

TEST_F(TopologyCommands, CheckWritesPartnersAndReportsAndDrawsTheUnpaired) {
  const std::vector<CorpusMesh> corpus = SymmetricCorpus();
  const CorpusMesh& noisy = named(corpus, "eight shells (noise+twist)");
  Write("noisy.obj", CorpusObjText(noisy));
  RunResult r = Run({"check", "--target", "noisy.obj", "--pairing", "topology", "--partners-out", "partners.txt"});
  EXPECT_EQ(r.exitCode, 1);  // paired, but far from the mirror images
  std::vector<int> expected;
  for (int p : noisy.truth) expected.push_back(p + 1);
  EXPECT_EQ(numbersIn(Read("partners.txt")), expected);
  EXPECT_NE(r.out.find("unpaired vertices     0"), std::string::npos) << r.out;

  const std::vector<CorpusMesh> faulty = AsymmetricCorpus();
  const CorpusMesh& centreSplit = named(faulty, "grid with one quad split at its centre on one side (exact)");
  Write("centre.obj", CorpusObjText(centreSplit));
  r = Run({"check", "--target", "centre.obj", "--pairing", "topology", "--partners-out", "partners.txt", "--svg", "p.svg"});
  EXPECT_EQ(r.exitCode, 1);
  const std::vector<int> partners = numbersIn(Read("partners.txt"));
  ASSERT_EQ(partners.size(), centreSplit.truth.size());
  size_t unpaired = 0;
  for (size_t v = 0; v < partners.size(); ++v) {
    if (partners[v] == 0) ++unpaired;
    else EXPECT_EQ(partners[v], centreSplit.truth[v] + 1) << "vertex " << v + 1;
  }
  EXPECT_NE(r.out.find("unpaired vertices     " + std::to_string(unpaired)), std::string::npos) << r.out;
  const std::string svg = Read("p.svg");
  size_t squares = 0;
  for (size_t at = svg.find("<rect x="); at != std::string::npos; at = svg.find("<rect x=", at + 1)) ++squares;
  EXPECT_EQ(squares, unpaired + 1);  // and the legend's

  // By position on an exact mesh, the partners are the nearest images, which are the right ones.
  const CorpusMesh& exact = named(corpus, "eight shells (exact)");
  Write("exact.obj", CorpusObjText(exact));
  EXPECT_EQ(Run({"check", "--target", "exact.obj", "--partners-out", "partners.txt"}).exitCode, 0);
  expected.clear();
  for (int p : exact.truth) expected.push_back(p + 1);
  EXPECT_EQ(numbersIn(Read("partners.txt")), expected);
}

TEST_F(TopologyCommands, ApplyHandsTheModifierThePartnersFromTheConnectivity) {
  // A noisy base, and a sculpt moving every vertex by its own amount: Flip gives each vertex off the
  // plane the reflection of its partner's sculpt, so every wrong partner shows.
  const std::vector<CorpusMesh> corpus = SymmetricCorpus();
  const CorpusMesh& m = named(corpus, "head and eyes (noise)");
  Write("base.obj", CorpusObjText(m));
  CorpusMesh sculpt = m;
  for (size_t v = 0; v < sculpt.positions.size(); ++v) sculpt.positions[v].y += 0.001f * float(v % 17);
  Write("sculpt.obj", CorpusObjText(sculpt));
  const std::vector<Point3> input = ReadPositions("sculpt.obj");
  for (const char* kind : {"mesh", "poly"}) {
    for (bool saved : {false, true}) {
      std::vector<std::string> args = {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--quiet",
                                       "--operation", "flip", "--pairing", "topology", "--as", kind};
      if (saved) args.insert(args.end(), {"--save-scene", "s.vms"});
      const RunResult r = Run(args);
      ASSERT_EQ(r.exitCode, 0) << r.err;
      std::vector<Point3> out = ReadPositions("out.obj");
      if (saved) {
        // The saved scene holds the partners too: evaluated again, it gives the same result.
        ASSERT_EQ(Run({"scene", "s.vms", "--call", "reset", "--out-dir", "again", "--quiet"}).exitCode, 0);
        out = ReadPositions("again/sculpt.obj");
      }
      int wrong = 0;
      for (size_t v = 0; v < out.size(); ++v) {
        const int p = m.truth[v];
        if (p == int(v)) continue;
        const Point3 image(-input[size_t(p)].x, input[size_t(p)].y, input[size_t(p)].z);
        wrong += !(out[v] == image);
      }
      EXPECT_EQ(wrong, 0) << kind << (saved ? ", scene evaluated again" : "");
    }
  }
  // By position the noise makes some partners wrong: the test above would see them.
  ASSERT_EQ(Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "pos.obj", "--quiet", "--operation", "flip"}).exitCode, 0);
  const std::vector<Point3> byPosition = ReadPositions("pos.obj");
  int differ = 0;
  for (size_t v = 0; v < byPosition.size(); ++v) {
    const int p = m.truth[v];
    if (p != int(v)) differ += !(byPosition[v] == Point3(-input[size_t(p)].x, input[size_t(p)].y, input[size_t(p)].z));
  }
  EXPECT_GT(differ, 0);
}

TEST_F(TopologyCommands, MeshesTopologyCannotPairAreRefusedNamingTheFaultWithNothingWritten) {
  const std::string quads = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv -1 0 0\nv -1 1 0\n";
  const struct {
    const char* obj;
    const char* says;
  } cases[] = {
      {"f 1 2 3 4\nf 1 4 6 5\nf 1 4 3\n", "has more than two faces (face 3 is the third)"},
      {"f 1 2 3 4\nf 1 4 6\n", "vertex 5 is isolated"},
      {"f 1 2 3 3\nf 1 4 6 5\n", "face 1 is degenerate: it uses vertex 3 twice"},
  };
  for (const auto& c : cases) {
    Write("bad.obj", quads + c.obj);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"symmetrize", "--target", "bad.obj", "--out", "out.obj", "--pairing", "topology", "--report-out", "r.csv"},
          std::vector<std::string>{"check", "--target", "bad.obj", "--pairing", "topology", "--partners-out", "p.txt"},
          std::vector<std::string>{"apply", "--target", "bad.obj", "--input", "bad.obj", "--out", "out.obj", "--pairing", "topology"}}) {
      const RunResult r = Run(args);
      EXPECT_EQ(r.exitCode, 3) << args[0] << " " << c.obj;
      EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
      EXPECT_EQ(Entries(""), (std::vector<std::string>{"bad.obj"})) << args[0];
    }
  }
  Write("quads.obj", quads + "f 1 2 3 4\nf 1 4 6 5\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", "--target", "quads.obj", "--seed-edge", "1,4"},
        std::vector<std::string>{"symmetrize", "--target", "quads.obj", "--out", "o.obj", "--pairing", "topology", "--seed-edge", "1;4"},
        std::vector<std::string>{"apply", "--target", "quads.obj", "--input", "quads.obj", "--out", "o.obj", "--pairing", "topology", "--as", "patch"},
        std::vector<std::string>{"apply", "--target", "quads.obj", "--input", "quads.obj", "--out", "o.obj", "--pairing", "topology", "--set", "updateResult=0"}}) {
    EXPECT_EQ(Run(args).exitCode, 2) << args.back();
    EXPECT_FALSE(Exists("o.obj"));
  }
  EXPECT_EQ(Run({"symmetrize", "--target", "quads.obj", "--out", "o.obj", "--pairing", "topology", "--seed-edge", "1,3"}).exitCode, 3);
}

}  // namespace
