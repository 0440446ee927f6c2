// Reading and writing dense OBJ files as `velomorph apply` does: the strict reader over a file of
// 1M vertices and 1M quads ("v %.6f ..." as exporters write it), and the writer putting moved
// positions back into that file (half the vertices moved, as a Mirror leaves them), reading its
// bytes again as apply does once it has let go of them. bytes_per_second counts the file's bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/obj_mesh_file.h"

namespace {

const std::string& objPath() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / ("velomorph_obj_io_" + std::to_string(getpid()) + ".obj")).string();
    constexpr int kSide = 1000;
    std::string text;
    char line[96];
    for (int r = 0; r < kSide; ++r) {
      for (int c = 0; c < kSide; ++c) {
        const float x = float(c - kSide / 2) / kSide, y = float(r) / kSide;
        text.append(line, size_t(std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", double(x), double(y),
                                               0.1 * std::sin(3.0 * x) * std::cos(2.0 * y))));
      }
    }
    for (int r = 0; r + 1 < kSide; ++r) {
      for (int c = 0; c + 1 < kSide; ++c) {
        const int v = r * kSide + c + 1;
        text.append(line, size_t(std::snprintf(line, sizeof line, "f %d %d %d %d\n", v, v + 1, v + kSide + 1, v + kSide)));
      }
    }
    std::ofstream(p, std::ios::binary) << text;
    std::atexit([] { std::filesystem::remove(objPath()); });
    return p;
  }();
  return path;
}

void BM_ReadObj(benchmark::State& state) {
  const std::string& path = objPath();
  for (auto _ : state) {
    ObjReadResult r = ReadObjFile(path);
    if (!r.ok) state.SkipWithError(r.error.c_str());
    benchmark::DoNotOptimize(r.mesh.positions.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadObj)->Unit(benchmark::kMillisecond);

void BM_WriteObj(benchmark::State& state) {
  const std::string& path = objPath();
  ObjReadResult r = ReadObjFile(path);
  LetGoOfSource(r.mesh);
  std::vector<Point3> moved = r.mesh.positions;
  for (Point3& p : moved) {
    if (p.x < 0.0f) p = Point3(-p.x * 1.0001f, p.y, p.z + 0.01f);
  }
  const std::string out = path + ".out";
  std::string error;
  for (auto _ : state) {
    if (!WriteObjWithPositions(r.mesh, moved, out, error)) state.SkipWithError(error.c_str());
  }
  std::filesystem::remove(out);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
}
BENCHMARK(BM_WriteObj)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
