// Speed of the patch path on symmetric quad-patch grids of about 10k and 100k vertices (each with
// about eight vectors per vertex), through the host as an artist meets it: a Mirror evaluation with
// the target and partner tables held, a replay of the stored result (constant update off), and a
// capture with a fresh pairing of vertices, vectors and owners. Each figure includes the host's copy
// of the patch into the pipeline. Mirror on the plain arrays alone is timed too. per_vertex is the
// time per patch vertex.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <vector>

#include "support/plugin_fixture.h"
#include "symmetry/engine/mirror_matrices.h"
#include "symmetry/engine/patch_operations.h"
#include "symmetry/engine/vertex_pairing.h"

using namespace testing_support;

namespace {

int columnsFor(int vertices) {
  int columns = 1;
  while (columns * columns < vertices) columns += 2;  // odd: a column on the plane
  return columns;
}

// A sculpt node carrying the modifier on a deformed copy of a symmetric patch grid, and its target.
struct PatchScene {
  INode* target = nullptr;
  INode* sculpt = nullptr;
  Modifier* mod = nullptr;
  int vertices = 0;

  explicit PatchScene(int count) {
    ResetScene();
    const int columns = columnsFor(count);
    target = Scene::Get().CreateNode(L"base", MakeSymmetricPatchGrid(columns, columns));
    PatchObject* deformed = MakeSymmetricPatchGrid(columns, columns);
    PatchMesh& pm = deformed->patch;
    for (int i = 0; i < pm.numVerts; ++i) pm.verts[i].p.z += 0.001f * float(i % 17);
    vertices = pm.numVerts;
    sculpt = Scene::Get().CreateNode(L"sculpt", deformed);
    mod = NewModifier();
    Scene::Get().ApplyModifier(sculpt, mod);
    Params(mod)->SetValue(kUndefObject, 0, target);
  }
  PatchMesh& evaluate() { return static_cast<PatchObject*>(sculpt->EvalWorldState(0).obj)->patch; }
  void invoke(const MCHAR* name) {
    FPInterface* ops = MirrorOps(mod);
    ops->Invoke(ops->FindFn(name));
  }
};

void report(benchmark::State& state, int vertices) {
  state.counters["vertices"] = vertices;
  state.counters["per_vertex"] =
      benchmark::Counter(double(state.iterations()) * vertices, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_PatchMirrorEvaluation(benchmark::State& state) {
  PatchScene scene(int(state.range(0)));
  scene.evaluate();  // capture and pair once
  for (auto _ : state) benchmark::DoNotOptimize(scene.evaluate().verts[0].p);
  report(state, scene.vertices);
}

void BM_PatchReplay(benchmark::State& state) {
  PatchScene scene(int(state.range(0)));
  Params(scene.mod)->SetValue(kConstantUpdate, 0, 0);
  scene.evaluate();
  for (auto _ : state) benchmark::DoNotOptimize(scene.evaluate().verts[0].p);
  report(state, scene.vertices);
}

void BM_PatchCaptureAndPair(benchmark::State& state) {
  PatchScene scene(int(state.range(0)));
  for (auto _ : state) {
    scene.invoke(L"resetTarget");
    benchmark::DoNotOptimize(scene.evaluate().verts[0].p);
  }
  report(state, scene.vertices);
}

// Mirror alone, on the arrays the path hands to the engine, with soft selection.
void BM_PatchMirrorArrays(benchmark::State& state) {
  const int columns = columnsFor(int(state.range(0)));
  std::unique_ptr<PatchObject> obj(MakeSymmetricPatchGrid(columns, columns));
  const PatchMesh& pm = obj->patch;
  std::vector<Point3> target, targetVecs;
  std::vector<DWORD> targetFlags;
  for (int i = 0; i < pm.numVerts; ++i) target.push_back(pm.verts[i].p);
  for (int i = 0; i < pm.numVecs; ++i) targetVecs.push_back(pm.vecs[i].p);
  targetFlags.assign(target.size(), 0);
  const int n = int(target.size()), nv = int(targetVecs.size());
  const MirrorMatrices matrices = BuildMirrorMatrices(0, 0.0f);
  std::vector<int> vertMatch(target.size()), vecMatch(targetVecs.size()), vecOwner(targetVecs.size());
  BuildPartnerTable(target.data(), n, matrices, vertMatch.data());
  BuildPartnerTable(targetVecs.data(), nv, matrices, vecMatch.data());
  FindOwnerVertices(targetVecs.data(), nv, target.data(), n, vecOwner.data());

  std::vector<Point3> verts = target, vecs = targetVecs;
  std::vector<DWORD> flags(target.size(), 1);
  std::vector<int> recorded(vecOwner);
  std::vector<float> weights(target.size());
  BitArray bits(n);
  for (int i = 0; i < n; ++i) {
    weights[size_t(i)] = float(i % 4) * 0.25f;
    if (i % 4 == 3) bits.Set(i);
  }
  PatchArrays arrays;
  arrays.verts = verts.data();
  arrays.vertFlags = flags.data();
  arrays.numVerts = n;
  arrays.vecs = vecs.data();
  arrays.recordedOwners = recorded.data();
  arrays.numVecs = nv;
  PatchTarget tables;
  tables.verts = target.data();
  tables.vertFlags = targetFlags.data();
  tables.vertMatch = vertMatch.data();
  tables.vecs = targetVecs.data();
  tables.vecMatch = vecMatch.data();
  tables.vecOwner = vecOwner.data();
  OperationOptions options;
  options.ignoreSelection = false;
  VertexSelection selection;
  selection.bits = &bits;
  selection.weights = weights.data();
  selection.weightCount = n;
  for (auto _ : state) {
    MirrorPatch(arrays, tables, matrices.mirror, options, selection);
    benchmark::DoNotOptimize(verts.data());
    benchmark::DoNotOptimize(vecs.data());
  }
  report(state, n);
}

}  // namespace

BENCHMARK(BM_PatchMirrorEvaluation)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatchReplay)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatchCaptureAndPair)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PatchMirrorArrays)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
