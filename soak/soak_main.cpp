// velomorph_soak: a long session on one dense mesh. A driver makes random moves on the scene (picks
// targets, switches axis, operation, direction and constant update, calls the three reset
// functions, saves and reloads the scene, sculpts the input and changes its vertex count) and after
// each one checks the evaluated mesh against a fresh modifier's result (see soak_scene.h). Resident
// memory is measured after a warm-up and at the end, each time in the same settled state, and must
// not grow beyond a small tolerance.
//
//   velomorph_soak [--cycles N] [--vertices V] [--seed S] [--tolerance-mb M]
//
// Exit codes: 0 every check passed, 1 a result differed from its expectation or a move failed,
// 2 usage, 3 memory grew beyond the tolerance.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "process_memory.h"
#include "soak_scene.h"

namespace {

struct Options {
  int cycles = 2000;
  int vertices = 100000;
  unsigned seed = 1;
  double toleranceMb = 4.0;
};

bool parse(int argc, char** argv, Options& r_options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    char* end = nullptr;
    const char* value = argv[++i];
    if (arg == "--cycles") {
      r_options.cycles = int(std::strtol(value, &end, 10));
    } else if (arg == "--vertices") {
      r_options.vertices = int(std::strtol(value, &end, 10));
    } else if (arg == "--seed") {
      r_options.seed = unsigned(std::strtoul(value, &end, 10));
    } else if (arg == "--tolerance-mb") {
      r_options.toleranceMb = std::strtod(value, &end);
    } else {
      return false;
    }
    if (end == value || *end != 0) return false;
  }
  return r_options.cycles >= 1 && r_options.vertices >= 9 && r_options.toleranceMb >= 0.0;
}

// One random move of the session, weighted towards the moves that leave a result to replay.
bool move(SoakScene& scene, std::mt19937& random, std::string& r_error) {
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  switch (pick(20)) {
    case 0: case 1: case 2:
      // Mostly meshes of the input's first grid, sometimes the other grid, a non-mesh or none.
      return scene.PickTarget(pick(6) != 0 ? pick(2) : 2 + pick(3), r_error);
    case 3:
      return scene.SetAxis(pick(3), r_error);
    case 4:
      return scene.SetOperation(pick(3), r_error);
    case 5:
      return scene.SetDirection(pick(2), r_error);
    case 6: case 7:
      return scene.SetConstantUpdate(pick(2) == 0, r_error);
    case 8: case 9: {
      static const char* const kResets[] = {"reset", "resetTarget", "resetMatch"};
      return scene.CallReset(kResets[pick(3)], r_error);
    }
    case 10: case 11: case 12:
      return scene.SaveAndReload(r_error);
    case 13: case 14: case 15: case 16:
      scene.ChangeInput(pick(8) == 0, unsigned(random()));
      return true;
    default:
      return true;  // evaluate again as it is
  }
}

// The same state at every measurement: the first grid's input, target baseA, a full evaluation;
// freed memory handed back to the system so that only what is still held counts.
bool settle(SoakScene& scene, std::string& r_error) {
  scene.ChangeInput(false, 12345u);
  bool ok = scene.PickTarget(0, r_error) && scene.SetAxis(0, r_error) && scene.SetOperation(0, r_error) &&
            scene.SetDirection(0, r_error) && scene.SetConstantUpdate(true, r_error) && scene.EvaluateAndCheck(r_error);
  malloc_trim(0);
  return ok;
}

double megabytes(size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: velomorph_soak [--cycles N>=1] [--vertices V>=9] [--seed S] [--tolerance-mb M]\n");
    return 2;
  }
  const int warmup = std::max(std::min(options.cycles, 10), options.cycles / 10);
  std::mt19937 random(options.seed);
  auto started = std::chrono::steady_clock::now();

  SoakScene scene(options.vertices);
  std::printf("soak: %d cycles on %d vertices (seed %u)\n", options.cycles, scene.InputVertexCount(), options.seed);
  std::string error;
  size_t before = 0;
  bool ok = scene.PickTarget(0, error) && scene.EvaluateAndCheck(error);
  for (int cycle = 1; ok && cycle <= options.cycles; ++cycle) {
    ok = move(scene, random, error) && scene.EvaluateAndCheck(error);
    if (!ok) error = "cycle " + std::to_string(cycle) + ": " + error;
    if (ok && cycle == warmup) {
      ok = settle(scene, error);
      before = ResidentBytes();
    }
  }
  if (ok) ok = settle(scene, error);
  size_t after = ResidentBytes();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  std::printf("soak: evaluations checked: %d full, %d replays, %d unchanged, in %.1f s\n", scene.fullEvaluations,
              scene.replays, scene.unchanged, seconds);
  if (!ok) {
    std::printf("soak: FAILED: %s\n", error.c_str());
    return 1;
  }
  double growth = megabytes(after) - megabytes(before);
  std::printf("soak: resident memory after the %d-cycle warm-up %.1f MB, after %d cycles %.1f MB, growth %+.2f MB "
              "(tolerance %.1f MB)\n",
              warmup, megabytes(before), options.cycles, megabytes(after), growth, options.toleranceMb);
  if (before == 0 || after == 0 || growth > options.toleranceMb) {
    std::printf("soak: FAILED: memory grew across the cycles\n");
    return 3;
  }
  std::printf("soak: ok\n");
  return 0;
}
