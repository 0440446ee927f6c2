// What a user waits for: `velomorph apply` end to end on generated OBJ files, phase by phase, with
// the program's peak memory. The base is a symmetric quad grid (vertex order shuffled, as exported
// meshes are) and the input a sculpted copy; both are written as an exporter writes them
// ("v %.6f %.6f %.6f", then the quads).
//
//   velomorph_apply_bench [--sizes 100000,1000000] [--ten-million] [--batch] [--runs N] [--keep DIR]
//                         [--velomorph PROGRAM]
//
// For each size it runs `apply` in the default (polygon) form and with `--as mesh`, and prints the
// wall clock and peak resident memory of that run, and the phases `--timings` reports in a second. --ten-million
// adds 10M vertices; --batch runs 100 inputs of 100k vertices against one base in one call;
// --velomorph times another build of the program (an older one, to compare); --runs N reports the
// median of N runs.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

namespace fs = std::filesystem;

struct Grid {
  std::vector<float> xyz;            // 3 per vertex, in file order
  std::vector<int> quads;            // 4 file indices per face
};

// A symmetric grid about x = 0 of about `count` vertices; columns odd so one lies on the plane.
Grid symmetricGrid(int count, std::mt19937& random) {
  const int columns = int(std::sqrt(double(count))) | 1;
  const int rows = (count + columns - 1) / columns;
  const int n = columns * rows;
  std::vector<int> fileIndex(static_cast<size_t>(n));
  std::iota(fileIndex.begin(), fileIndex.end(), 0);
  std::shuffle(fileIndex.begin(), fileIndex.end(), random);
  Grid g;
  g.xyz.resize(size_t(n) * 3);
  const float step = 1.0f / float(columns);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const float x = float(c - columns / 2) * step;
      float* p = &g.xyz[size_t(fileIndex[size_t(r * columns + c)]) * 3];
      p[0] = x;
      p[1] = float(r) * step;
      p[2] = 0.1f * std::cos(3.0f * std::fabs(x)) * std::sin(float(r) * step * 2.0f);
    }
  }
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      for (int k : {r * columns + c, r * columns + c + 1, (r + 1) * columns + c + 1, (r + 1) * columns + c}) {
        g.quads.push_back(fileIndex[size_t(k)]);
      }
    }
  }
  return g;
}

void writeObj(const std::string& path, const std::vector<float>& xyz, const std::vector<int>& quads) {
  std::string text;
  text.reserve(xyz.size() * 11 + quads.size() * 9);
  char line[128];
  for (size_t v = 0; v < xyz.size(); v += 3) {
    text.append(line, size_t(std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", double(xyz[v]),
                                           double(xyz[v + 1]), double(xyz[v + 2]))));
  }
  for (size_t f = 0; f < quads.size(); f += 4) {
    text.append(line, size_t(std::snprintf(line, sizeof line, "f %d %d %d %d\n", quads[f] + 1, quads[f + 1] + 1,
                                           quads[f + 2] + 1, quads[f + 3] + 1)));
  }
  std::ofstream(path, std::ios::binary) << text;
}

// The base with an uneven sculpt: a bulge on the positive side, noise everywhere.
std::vector<float> sculpted(const std::vector<float>& base, std::mt19937& random) {
  std::vector<float> s = base;
  std::uniform_real_distribution<float> noise(-0.002f, 0.002f);
  for (size_t v = 0; v < s.size(); v += 3) {
    if (s[v] > 0.0f) s[v + 2] += 0.05f * s[v];
    for (int k = 0; k < 3; ++k) s[v + size_t(k)] += noise(random);
  }
  return s;
}

std::string g_program = std::string(VELOMORPH_BIN_DIR) + "/velomorph";

Run runVelomorph(const std::vector<std::string>& args, const std::string& folder) {
  return runProgram(g_program, args, folder);
}

int g_runs = 1;

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The run as a user makes it, for the wall clock and peak memory, then again with --timings (which
// adds an evaluation with partners held and a replay) for the phases. With --runs N each figure is
// the median of N such pairs, the peak the largest seen: on a shared or virtual machine single runs
// vary by tens of percent.
Run timedRun(std::vector<std::string> args, const std::string& folder) {
  std::vector<Run> plain, timed;
  std::vector<std::string> withTimings = args;
  withTimings.push_back("--timings");
  for (int r = 0; r < g_runs; ++r) {
    plain.push_back(runVelomorph(args, folder));
    timed.push_back(runVelomorph(withTimings, folder));
  }
  Run result;
  result.exitCode = 0;
  std::vector<double> walls;
  for (const Run& run : plain) {
    walls.push_back(run.wall);
    result.peakMB = std::max(result.peakMB, run.peakMB);
    if (run.exitCode != 0) result.exitCode = run.exitCode;
  }
  result.wall = median(walls);
  for (size_t k = 0; k < timed.front().phases.size(); ++k) {
    std::vector<double> seconds;
    for (const Run& run : timed) {
      if (k < run.phases.size()) seconds.push_back(run.phases[k].second);
    }
    result.phases.emplace_back(timed.front().phases[k].first, median(seconds));
  }
  return result;
}

void printRow(const std::string& label, const Run& run) {
  std::printf("%-22s", label.c_str());
  for (const auto& [phase, seconds] : run.phases) std::printf(" %s %.3f", phase.c_str(), seconds);
  std::printf("  | wall %.2f s  peak %.0f MB%s\n", run.wall, run.peakMB,
              run.exitCode == 0 ? "" : ("  FAILED, exit " + std::to_string(run.exitCode)).c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {100000, 1000000};
  bool batch = false;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--sizes" && i + 1 < argc) {
      sizes.clear();
      std::stringstream list(argv[++i]);
      for (std::string n; std::getline(list, n, ',');) sizes.push_back(std::stoi(n));
    } else if (a == "--ten-million") {
      sizes.push_back(10000000);
    } else if (a == "--batch") {
      batch = true;
    } else if (a == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else if (a == "--runs" && i + 1 < argc) {
      g_runs = std::max(1, std::stoi(argv[++i]));
    } else if (a == "--velomorph" && i + 1 < argc) {
      g_program = fs::absolute(argv[++i]).string();
    } else {
      std::fprintf(stderr, "usage: %s [--sizes N,N...] [--ten-million] [--batch] [--runs N] [--keep DIR] [--velomorph PROGRAM]\n", argv[0]);
      return 2;
    }
  }
  const std::string folder = keep.empty() ? (fs::temp_directory_path() / ("velomorph_apply_bench_" + std::to_string(getpid()))).string() : keep;
  fs::create_directories(folder);
  std::mt19937 random(20261208);
  for (int size : sizes) {
    const Grid grid = symmetricGrid(size, random);
    writeObj(folder + "/base.obj", grid.xyz, grid.quads);
    writeObj(folder + "/sculpt.obj", sculpted(grid.xyz, random), grid.quads);
    const std::string n = std::to_string(grid.xyz.size() / 3);
    std::printf("%s vertices: base.obj %.0f MB, sculpt.obj %.0f MB\n", n.c_str(),
                double(fs::file_size(folder + "/base.obj")) / 1e6, double(fs::file_size(folder + "/sculpt.obj")) / 1e6);
    for (const char* form : {"poly", "mesh"}) {
      printRow(std::string("  --as ") + form,
               timedRun({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--as", form},
                        folder));
    }
  }
  if (batch) {
    const Grid grid = symmetricGrid(100000, random);
    writeObj(folder + "/base.obj", grid.xyz, grid.quads);
    fs::create_directories(folder + "/batch");
    std::vector<std::string> args = {"apply", "--target", "base.obj", "--out-dir", "results", "--input"};
    for (int i = 0; i < 100; ++i) {
      const std::string name = "batch/shape" + std::to_string(i) + ".obj";
      writeObj(folder + "/" + name, sculpted(grid.xyz, random), grid.quads);
      args.push_back(name);
    }
    std::printf("batch: 100 inputs of %zu vertices, one base\n", grid.xyz.size() / 3);
    printRow("  --as poly", timedRun(args, folder));
  }
  if (keep.empty()) fs::remove_all(folder);
  return 0;
}
