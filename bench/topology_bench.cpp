// Topology pairing and symmetrize at 100k and 1M vertices: the pairing's parts in process (half-edges,
// the walk) and the whole of it as callers get it (PairMeshByTopology, which also reads split quads
// back), `velomorph check --pairing topology --timings` (its phase `pair`), and `velomorph symmetrize
// --pairing topology` end to end, on a bumped quad grid with its vertex order shuffled: exact, with
// noise of 30% of the mean edge length, and exact with every quad split into two triangles.
//
//   topology_bench [--sizes 100000,1000000] [--runs N] [--velomorph PROGRAM]
//   topology_bench --write-corpus DIR
//
// Each figure is the median of N runs (default 5). --write-corpus writes the test corpus instead,
// for peer tools (bench/blender_topology_mirror.py): per mesh NAME.obj and NAME.truth (each
// vertex's partner, 1-based, one a line), and index.txt (file name, a tab, the mesh's name).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/topology_corpus.h"
#include "toolkit/half_edge_mesh.h"
#include "toolkit/mesh_topology_pairing.h"
#include "toolkit/topology_pairing.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Runs a shell command, returning its standard error and the wall clock it took.
std::string run(const std::string& command, double& r_seconds) {
  const std::string errFile = (fs::temp_directory_path() / "topology_bench_err.txt").string();
  const Clock::time_point start = Clock::now();
  const int status = std::system((command + " 2> " + errFile).c_str());
  r_seconds = seconds(start);
  std::ifstream in(errFile);
  std::stringstream text;
  text << in.rdbuf();
  if (status != 0 && command.find(" check ") == std::string::npos) std::fprintf(stderr, "failed: %s\n%s", command.c_str(), text.str().c_str());
  return text.str();
}

double phase(const std::string& err, const std::string& name) {
  const std::string key = "timing " + name + " ";
  const size_t at = err.find(key);
  return at == std::string::npos ? -1 : std::atof(err.c_str() + at + key.size());
}

}  // namespace

// The corpus as files; symmetric meshes first (s0, s1, ...), then the others (a0, ...).
int writeCorpus(const fs::path& folder) {
  fs::create_directories(folder);
  std::ofstream index(folder / "index.txt");
  auto write = [&](const std::vector<CorpusMesh>& meshes, const std::string& prefix) {
    for (size_t i = 0; i < meshes.size(); ++i) {
      const std::string name = prefix + std::to_string(i);
      std::ofstream(folder / (name + ".obj")) << CorpusObjText(meshes[i]);
      std::ofstream truth(folder / (name + ".truth"));
      for (int p : meshes[i].truth) truth << p + 1 << "\n";
      index << name << "\t" << meshes[i].name << "\n";
    }
  };
  write(SymmetricCorpus(), "s");
  write(AsymmetricCorpus(), "a");
  write(SplitQuadCorpus(), "q");
  return index ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-corpus") return writeCorpus(argv[2]);
  std::vector<int> sizes = {100000, 1000000};
  int runs = 5;
  std::string velomorph = std::string(VELOMORPH_BIN_DIR) + "/velomorph";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    else if (a == "--velomorph") velomorph = argv[i + 1];
    else if (a == "--sizes") {
      sizes.clear();
      std::stringstream list(argv[i + 1]);
      for (std::string s; std::getline(list, s, ',');) sizes.push_back(std::atoi(s.c_str()));
    }
  }
  const fs::path folder = fs::temp_directory_path() / "topology_bench";
  fs::create_directories(folder);
  std::printf("%-10s %-6s %10s %10s %12s %12s %14s %8s\n", "vertices", "pose", "half-edges", "walk", "in process",
              "check pair", "symmetrize", "correct");
  for (int size : sizes) {
    struct Row {
      const char* name;
      Pose pose;
      bool split;
    };
    for (const Row& row : {Row{"exact", Pose::kExact, false}, Row{"noise", Pose::kNoise, false}, Row{"split", Pose::kExact, true}}) {
      const CorpusMesh m = row.split ? SplitQuads(LargeGrid(size, row.pose)) : LargeGrid(size, row.pose);
      const int n = int(m.positions.size());
      std::vector<double> build, walk, total, pair, whole;
      int correct = 0;
      for (int r = 0; r < runs; ++r) {
        Clock::time_point start = Clock::now();
        HalfEdgeMesh h;
        std::string error;
        BuildHalfEdgeMesh(m.faceStart.data(), m.cornerVertex.data(), m.FaceCount(), n, h, error);
        build.push_back(seconds(start));
        const Clock::time_point walkStart = Clock::now();
        PairByTopology(h, m.positions.data(), TopologyPairingOptions());
        walk.push_back(seconds(walkStart));
        const Clock::time_point wholeStart = Clock::now();
        const TopologyPairing p = PairMeshByTopology(m.faceStart.data(), m.cornerVertex.data(), m.FaceCount(), n, m.positions.data(),
                                                     TopologyPairingOptions());
        total.push_back(seconds(wholeStart));
        correct = 0;
        for (int v = 0; v < n; ++v) correct += p.partners[size_t(v)] == m.truth[size_t(v)];
      }
      const std::string base = (folder / "base.obj").string(), sym = (folder / "sym.obj").string();
      std::ofstream(base) << CorpusObjText(m);
      for (int r = 0; r < runs; ++r) {
        double wall = 0;
        pair.push_back(phase(run(velomorph + " check --target " + base + " --pairing topology --timings > /dev/null", wall), "pair"));
        run(velomorph + " symmetrize --target " + base + " --out " + sym + " --pairing topology --quiet", wall);
        whole.push_back(wall);
      }
      std::printf("%-10d %-6s %9.3fs %9.3fs %11.3fs %11.3fs %13.3fs %7.2f%%\n", n, row.name,
                  median(build), median(walk), median(total), median(pair), median(whole), 100.0 * correct / n);
      std::fflush(stdout);
    }
  }
  fs::remove_all(folder);
  return 0;
}
