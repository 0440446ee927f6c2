// The start-of-run file check (RunFiles::Check) over a batch as `velomorph apply --input *.obj
// --out-dir out` gives it a second time: N inputs, all of one size, and N results of an earlier run
// in a folder of their own, of that size too (the case that once made it compare every pair of
// files: 14 s for 2,000 inputs). Each file is described once and the
// descriptions sorted, so the check grows as N log N; 2,000 inputs must take well under a second.
// Runs on real files of 4 KB each in a folder of the system's temporary folder.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_files.h"

namespace {

namespace fs = std::filesystem;

// `count` inputs of one size in a folder of their own, made once for every size asked.
const fs::path& batchFolder(int count) {
  static std::vector<std::pair<int, fs::path>> made;
  for (const auto& [n, folder] : made)
    if (n == count) return folder;
  const fs::path folder = fs::temp_directory_path() / ("velomorph_run_files_" + std::to_string(getpid()) + "_" +
                                                      std::to_string(count));
  fs::create_directories(folder / "out");
  const std::string bytes(4096, 'v');
  // The results of an earlier run are there too, of the same size: every output is an existing file.
  for (int i = 0; i < count; ++i) {
    std::ofstream(folder / ("shape" + std::to_string(i) + ".obj"), std::ios::binary) << bytes;
    std::ofstream(folder / "out" / ("shape" + std::to_string(i) + ".obj"), std::ios::binary) << bytes;
  }
  made.emplace_back(count, folder);
  if (made.size() == 1) std::atexit([] {
      for (const auto& entry : made) fs::remove_all(entry.second);
    });
  return made.back().second;
}

void BM_CheckBatchOfEqualSizes(benchmark::State& state) {
  const int count = int(state.range(0));
  const fs::path& folder = batchFolder(count);
  RunFiles files;
  files.AddInput("--target", (folder / "shape0.obj").string());
  for (int i = 1; i < count; ++i) files.AddInput("--input", (folder / ("shape" + std::to_string(i) + ".obj")).string());
  for (int i = 1; i < count; ++i) {
    const std::string input = (folder / ("shape" + std::to_string(i) + ".obj")).string();
    files.AddOutput("--out-dir result", (folder / "out" / ("shape" + std::to_string(i) + ".obj")).string(), input);
  }
  for (auto _ : state) {
    std::ostringstream err;
    if (files.Check("apply", err) != 0) state.SkipWithError(err.str().c_str());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(2 * count - 1));
}
BENCHMARK(BM_CheckBatchOfEqualSizes)->Arg(200)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
