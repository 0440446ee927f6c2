// Pairing speed on grid-like, random and duplicate-heavy targets: the fast search at 10k, 100k and 1M
// vertices, the brute-force reference at 10k and 20k. The grid comes both in row order and shuffled,
// as a mesh read from a file may list it. On these symmetric sets nearly every reflection lands
// exactly on a vertex; a random set with no symmetry times the search that must do without.
// per_vertex is the time per target vertex; the brute-force runs also report brute_over_fast, how many
// times longer the reference takes than the fast search on the same set.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "support/point_sets.h"
#include "symmetry/engine/vertex_pairing.h"

namespace {

enum SetKind { kGrid, kShuffledGrid, kRandom, kDuplicates, kAsymmetric };

const std::vector<Point3>& targetSet(int kind, int count) {
  static std::map<std::pair<int, int>, std::vector<Point3>> sets;
  auto found = sets.find({kind, count});
  if (found != sets.end()) return found->second;
  std::vector<Point3> points;
  switch (kind) {
    case kGrid: points = point_sets::symmetricGrid(count, 0); break;
    case kShuffledGrid:
      points = point_sets::symmetricGrid(count, 0);
      std::shuffle(points.begin(), points.end(), std::mt19937(7));
      break;
    case kRandom: points = point_sets::symmetricRandom(count, 0); break;
    case kDuplicates: points = point_sets::duplicateHeavy(count, 8, 0); break;
    default: points = point_sets::randomPoints(count); break;
  }
  return sets.emplace(std::make_pair(kind, count), std::move(points)).first->second;
}

const char* kindLabel(int kind) {
  switch (kind) {
    case kGrid: return "grid";
    case kShuffledGrid: return "grid shuffled";
    case kRandom: return "random";
    case kDuplicates: return "duplicates x8";
    default: return "random, no symmetry";
  }
}

void reportPerVertex(benchmark::State& state, int n) {
  state.SetItemsProcessed(state.iterations() * n);
  // The inverted rate is the time per vertex, shown with its unit (for example "250ns").
  state.counters["per_vertex"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel(kindLabel(int(state.range(0))));
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PairingFast(benchmark::State& state) {
  const std::vector<Point3>& targets = targetSet(int(state.range(0)), int(state.range(1)));
  const int n = int(targets.size());
  const MirrorMatrices matrices = BuildMirrorMatrices(0, 0.0f);
  std::vector<int> partners(targets.size());
  for (auto _ : state) {
    BuildPartnerTable(targets.data(), n, matrices, partners.data());
    benchmark::DoNotOptimize(partners.data());
    benchmark::ClobberMemory();
  }
  reportPerVertex(state, n);
}

void BM_PairingBruteForce(benchmark::State& state) {
  const std::vector<Point3>& targets = targetSet(int(state.range(0)), int(state.range(1)));
  const int n = int(targets.size());
  const MirrorMatrices matrices = BuildMirrorMatrices(0, 0.0f);
  std::vector<int> partners(targets.size());

  double fastSeconds = 1e30;
  for (int run = 0; run < 5; ++run) {
    const auto start = std::chrono::steady_clock::now();
    BuildPartnerTable(targets.data(), n, matrices, partners.data());
    benchmark::DoNotOptimize(partners.data());
    fastSeconds = std::min(fastSeconds, secondsSince(start));
  }

  double bruteSeconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    BuildPartnerTableBruteForce(targets.data(), n, matrices, partners.data());
    benchmark::DoNotOptimize(partners.data());
    benchmark::ClobberMemory();
    bruteSeconds += secondsSince(start);
  }
  reportPerVertex(state, n);
  state.counters["brute_over_fast"] = bruteSeconds / double(state.iterations()) / fastSeconds;
}

}  // namespace

BENCHMARK(BM_PairingFast)
    ->ArgsProduct({{kGrid, kShuffledGrid, kRandom, kDuplicates, kAsymmetric}, {10000, 100000, 1000000}})
    ->ArgNames({"set", "n"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairingBruteForce)
    ->ArgsProduct({{kGrid, kRandom, kDuplicates}, {10000, 20000}})
    ->ArgNames({"set", "n"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
