// `velomorph apply` on a glTF character file, end to end as a user runs it: a symmetric grid of
// 100k vertices (vertex order shuffled, as exported meshes are) with 50 morph targets, each an
// uneven sculpt, all run through Mirror in one call. Prints the wall clock, the peak resident memory
// against the budget (1.5 s; three times the file's size + 100 MB), and the phases --timings reports.
//
//   gltf_apply_bench [--vertices N] [--targets N] [--sparse] [--runs N] [--keep DIR]
//
// --sparse stores the targets as sparse accessors (each sculpt then moves a third of the vertices),
// which makes the run restructure the file; --runs N reports the median of N runs.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gltf_morph_builder.h"

#include "program_run.h"

namespace {

namespace fs = std::filesystem;

// A symmetric grid about x = 0 of about `count` vertices as triangles; columns odd so one lies on the plane.
GltfPrimitiveDescription symmetricGrid(int count, std::mt19937& random) {
  const int columns = int(std::sqrt(double(count))) | 1;
  const int rows = (count + columns - 1) / columns;
  const int n = columns * rows;
  std::vector<uint32_t> fileIndex(static_cast<size_t>(n));
  std::iota(fileIndex.begin(), fileIndex.end(), 0u);
  std::shuffle(fileIndex.begin(), fileIndex.end(), random);
  GltfPrimitiveDescription prim;
  prim.positions.resize(size_t(n) * 3);
  const float step = 1.0f / float(columns);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const float x = float(c - columns / 2) * step;
      float* p = &prim.positions[size_t(fileIndex[size_t(r * columns + c)]) * 3];
      p[0] = x;
      p[1] = float(r) * step;
      p[2] = 0.1f * std::cos(3.0f * std::fabs(x)) * std::sin(float(r) * step * 2.0f);
    }
  }
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      const uint32_t a = fileIndex[size_t(r * columns + c)], b = fileIndex[size_t(r * columns + c + 1)],
                     d = fileIndex[size_t((r + 1) * columns + c + 1)], e = fileIndex[size_t((r + 1) * columns + c)];
      prim.triangles.insert(prim.triangles.end(), {a, b, d, a, d, e});
    }
  }
  return prim;
}

Run runVelomorph(const std::vector<std::string>& args, const std::string& folder) {
  return runProgram(std::string(VELOMORPH_BIN_DIR) + "/velomorph", args, folder);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int vertices = 100000, targets = 50, runs = 1;
  bool sparse = false;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--vertices" && i + 1 < argc) vertices = std::atoi(argv[++i]);
    else if (a == "--targets" && i + 1 < argc) targets = std::atoi(argv[++i]);
    else if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--keep" && i + 1 < argc) keep = argv[++i];
    else if (a == "--sparse") sparse = true;
    else {
      std::fprintf(stderr, "usage: gltf_apply_bench [--vertices N] [--targets N] [--sparse] [--runs N] [--keep DIR]\n");
      return 2;
    }
  }
  const std::string folder = keep.empty() ? (fs::temp_directory_path() / ("gltf_apply_bench." + std::to_string(getpid()))).string() : keep;
  fs::create_directories(folder);

  std::mt19937 random(7);
  GltfMeshDescription character;
  character.name = "character";
  character.primitives.push_back(symmetricGrid(vertices, random));
  GltfPrimitiveDescription& prim = character.primitives[0];
  std::uniform_real_distribution<float> noise(-0.002f, 0.002f);
  for (int t = 0; t < targets; ++t) {
    character.targetNames.push_back("shape_" + std::to_string(t));
    GltfTargetDescription target;
    target.sparse = sparse;
    target.positions.assign(prim.positions.size(), 0.0f);
    for (size_t v = 0; v < prim.positions.size(); v += 3) {
      if (sparse && (v / 3) % 3 != size_t(t) % 3) continue;
      if (prim.positions[v] > 0.0f) target.positions[v + 2] = 0.05f * prim.positions[v] * float(1 + t % 5);
      for (int k = 0; k < 3; ++k) target.positions[v + size_t(k)] += noise(random);
    }
    prim.targets.push_back(std::move(target));
  }
  const std::string file = BuildMorphGltf(character);
  std::ofstream(folder + "/character.glb", std::ios::binary) << file;
  character = GltfMeshDescription();
  const double fileMB = double(file.size()) / (1024.0 * 1024.0);

  std::vector<double> walls, peaks;
  std::map<std::string, std::vector<double>> phases;
  for (int r = 0; r < runs; ++r) {
    const Run plain = runVelomorph({"apply", "--target", "character.glb", "--out", "result.glb", "--quiet"}, folder);
    const Run timed = runVelomorph({"apply", "--target", "character.glb", "--out", "result.glb", "--quiet", "--timings"}, folder);
    if (plain.exitCode != 0 || timed.exitCode != 0) {
      std::fprintf(stderr, "velomorph apply failed (exit %d)\n", plain.exitCode != 0 ? plain.exitCode : timed.exitCode);
      return 1;
    }
    walls.push_back(plain.wall);
    peaks.push_back(plain.peakMB);
    for (const auto& [phase, seconds] : timed.phases) phases[phase].push_back(seconds);
  }
  const double wall = median(walls), peak = median(peaks), budgetMB = 3.0 * fileMB + 100.0;
  std::printf("glTF apply: %d targets x %d vertices (%s), file %.1f MB, %d run%s\n", targets, vertices,
              sparse ? "sparse" : "dense", fileMB, runs, runs > 1 ? "s (medians)" : "");
  std::printf("  wall        %.3f s   (budget 1.5 s: %s)\n", wall, wall <= 1.5 ? "within" : "OVER");
  std::printf("  peak memory %.0f MB   (budget 3 x file + 100 MB = %.0f MB: %s)\n", peak, budgetMB,
              peak <= budgetMB ? "within" : "OVER");
  for (const auto& [phase, seconds] : phases) std::printf("  %-15s %.3f s\n", phase.c_str(), median(seconds));
  if (keep.empty()) fs::remove_all(folder);
  return 0;
}
