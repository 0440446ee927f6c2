// Speed of the per-vertex operations with a held partner table (as between re-pairings): Mirror,
// Flip and Reset on grid-like, random and duplicate-heavy targets of 10k, 100k and 1M vertices, once
// with the selection ignored and once with soft selection. per_vertex is the time per vertex.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "support/point_sets.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/vertex_operations.h"
#include "symmetry/engine/vertex_pairing.h"

namespace {

enum SetKind { kGrid, kRandom, kDuplicates };
enum Selection { kIgnored, kSoft };

// One prepared evaluation: target, partners, a deformed input and a soft selection.
struct Scene {
  std::vector<Point3> target;
  std::vector<int> partners;
  std::vector<Point3> deformed;
  std::vector<float> weights;
  BitArray bits;
};

const Scene& scene(int kind, int count) {
  static std::map<std::pair<int, int>, std::unique_ptr<Scene>> scenes;
  std::unique_ptr<Scene>& slot = scenes[{kind, count}];
  if (slot) return *slot;
  slot = std::make_unique<Scene>();
  Scene& s = *slot;
  switch (kind) {
    case kGrid: s.target = point_sets::symmetricGrid(count, 0); break;
    case kRandom: s.target = point_sets::symmetricRandom(count, 0); break;
    default: s.target = point_sets::duplicateHeavy(count, 8, 0); break;
  }
  const int n = int(s.target.size());
  s.partners.resize(s.target.size());
  BuildPartnerTable(s.target.data(), n, BuildMirrorMatrices(0, 0.0f), s.partners.data());
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> offset(-0.01f, 0.01f);
  std::uniform_real_distribution<float> weight(0.0f, 1.0f);
  s.bits.SetSize(n);
  for (int i = 0; i < n; ++i) {
    s.deformed.push_back(s.target[std::size_t(i)] + Point3(offset(rng), offset(rng), offset(rng)));
    const float w = weight(rng);
    s.weights.push_back(w < 0.3f ? 0.0f : w);
    if (w > 0.9f) s.bits.Set(i);
  }
  return s;
}

const char* label(int kind, int selection) {
  static const char* labels[3][2] = {{"grid", "grid soft"},
                                     {"random", "random soft"},
                                     {"duplicates x8", "duplicates x8 soft"}};
  return labels[kind][selection];
}

template <typename Operation>
void runOperation(benchmark::State& state, Operation operation) {
  const int kind = int(state.range(0));
  const Scene& s = scene(kind, int(state.range(1)));
  const int n = int(s.target.size());
  OperationOptions options;
  VertexSelection selection;
  if (state.range(2) == kSoft) {
    options.ignoreSelection = false;
    selection.bits = &s.bits;
    selection.weights = s.weights.data();
    selection.weightCount = n;
  }
  const Matrix3 mirror = BuildMirrorMatrices(0, 0.0f).mirror;
  std::vector<Point3> positions = s.deformed;
  std::vector<float> record(s.target.size(), 0.0f);
  for (auto _ : state) {
    operation(positions.data(), s, n, mirror, options, selection, record.data());
    benchmark::DoNotOptimize(positions.data());
    benchmark::DoNotOptimize(record.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["per_vertex"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel(label(kind, int(state.range(2))));
}

void BM_Mirror(benchmark::State& state) {
  runOperation(state, [](Point3* p, const Scene& s, int n, const Matrix3& c, const OperationOptions& o,
                         const VertexSelection& sel, float* r) {
    MirrorVertices(p, s.target.data(), s.partners.data(), n, c, o, sel, BaseSelectionGate(), r);
  });
}

void BM_Flip(benchmark::State& state) {
  runOperation(state, [](Point3* p, const Scene& s, int n, const Matrix3& c, const OperationOptions& o,
                         const VertexSelection& sel, float* r) {
    FlipVertices(p, s.target.data(), s.partners.data(), n, c, o, sel, BaseSelectionGate(), r);
  });
}

void BM_Reset(benchmark::State& state) {
  runOperation(state, [](Point3* p, const Scene& s, int n, const Matrix3&, const OperationOptions& o,
                         const VertexSelection& sel, float*) {
    ResetVertices(p, s.target.data(), n, o, sel, BaseSelectionGate());
  });
}

void operationArgs(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{kGrid, kRandom, kDuplicates}, {10000, 100000, 1000000}, {kIgnored, kSoft}})
      ->ArgNames({"set", "n", "selection"})
      ->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_Mirror)->Apply(operationArgs);
BENCHMARK(BM_Flip)->Apply(operationArgs);
BENCHMARK(BM_Reset)->Apply(operationArgs);

BENCHMARK_MAIN();
