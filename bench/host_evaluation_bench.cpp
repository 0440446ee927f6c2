// Speed of whole evaluations as the host runs them, at 100k and 1M vertices: a symmetric grid target
// and a sculpted copy of it carrying the modifier (triangle meshes). Every iteration is one
// EvalWorldState of the sculpted node; the host runs the stack again each time because the
// modifier's validity is NEVER, so each figure includes the host's copy of the object state.
//
//   FullMirror   constant update on, target and partners already held: copy, Mirror, store.
//   Replay       constant update off: copy, then the stored result copied over the positions.
//   HostCopyOnly the same node with a pass-through modifier: the host's share of both figures.
//   ...ModifierOnly the modifier's own share, ModifyObject called directly on one held copy.
//   PlainCopy    memcpy of the vertex positions alone (the bytes the replay writes).
//   PlainCopyObjectState memcpy of positions and faces (the bytes the host copies).
//
// per_vertex is the time per vertex; bytes_per_second counts the vertex positions.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "support/plugin_fixture.h"
#include "symmetry/local_mesh_data.h"

using namespace testing_support;

namespace {

// Columns (odd, so one column lies on the plane) and rows of the grid for a vertex count.
void gridFor(int count, int& r_columns, int& r_rows) {
  r_columns = int(std::sqrt(double(count))) | 1;
  r_rows = (count + r_columns - 1) / r_columns;
}

// A pass-through modifier whose result the host may never keep, so it re-evaluates like ambiflex.
class PassThrough : public Modifier {
 public:
  CreateMouseCallBack* GetCreateMouseCallBack() override { return nullptr; }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override { return defObjectClassID; }
  Interval LocalValidity(TimeValue) override { return NEVER; }
  RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override { return REF_SUCCEED; }
  void ModifyObject(TimeValue, ModContext&, ObjectState* os, INode*) override { benchmark::DoNotOptimize(os->obj); }
};

enum Kind { kFullMirror, kReplay, kHostCopyOnly };

struct BenchScene {
  INode* target = nullptr;
  INode* node = nullptr;
  int verts = 0;
  int faces = 0;
};

// Scenes live for the whole program: building a 1M-vertex scene and pairing it costs seconds.
const BenchScene& sceneFor(Kind kind, int count) {
  static std::map<int, INode*> targets;
  static std::map<std::pair<int, int>, BenchScene> scenes;
  BenchScene& s = scenes[{int(kind), count}];
  if (s.node != nullptr) return s;
  Plugin();
  int columns = 0, rows = 0;
  gridFor(count, columns, rows);
  INode*& target = targets[count];
  if (target == nullptr) target = Scene::Get().CreateNode(L"base", MakeSymmetricGrid(columns, rows));
  s.target = target;
  s.node = Scene::Get().CreateNode(L"sculpt", MakeSymmetricGrid(columns, rows));
  // Sculpt by a fraction of the grid spacing.
  Sculpt(BaseMeshOf(s.node), unsigned(count), 0.25f / float(columns));
  if (kind == kHostCopyOnly) {
    Scene::Get().ApplyModifier(s.node, new PassThrough());
  } else {
    Modifier* mod = NewModifier();
    if (mod == nullptr) throw std::runtime_error("the plug-in did not create its modifier");
    Scene::Get().ApplyModifier(s.node, mod);
    Params(mod)->SetValue(kUndefObject, 0, target);
    Params(mod)->SetValue(kConstantUpdate, 0, kind == kReplay ? 0 : 1);
    // The first evaluation captures the target and builds the partners (and, for the replay,
    // stores the result); every timed one after it reuses them.
    s.node->EvalWorldState(0);
    auto* cache = static_cast<vLocalMeshData*>(ContextOf(s.node)->localData);
    if (cache == nullptr || cache->vertMatch.Count() != BaseMeshOf(s.node).numVerts || cache->resultValid != 1) {
      throw std::runtime_error("the first evaluation did not pair the target");
    }
  }
  s.verts = BaseMeshOf(s.node).numVerts;
  s.faces = BaseMeshOf(s.node).numFaces;
  return s;
}

void report(benchmark::State& state, int verts) {
  state.counters["verts"] = double(verts);
  state.counters["per_vertex"] =
      benchmark::Counter(double(verts), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(verts) * int64_t(sizeof(Point3)));
}

void evaluate(benchmark::State& state, Kind kind) {
  const BenchScene& s = sceneFor(kind, int(state.range(0)));
  for (auto _ : state) {
    const ObjectState& os = s.node->EvalWorldState(0);
    benchmark::DoNotOptimize(static_cast<TriObject*>(os.obj)->GetMesh().verts);
    benchmark::ClobberMemory();
  }
  if (kind != kHostCopyOnly) {
    // Held partners were reused, never rebuilt, during the timed loop.
    auto* cache = static_cast<vLocalMeshData*>(ContextOf(s.node)->localData);
    if (cache->matchDirty != 0 || cache->targetDirty != 0) state.SkipWithError("partners were rebuilt");
  }
  report(state, s.verts);
}

// The modifier's own share: ModifyObject called directly, over and over, on one evaluated copy with
// the node's context (the replay overwrites the same positions each time; Mirror rewrites them from
// the driving side, at the same cost every time).
void modifyOnly(benchmark::State& state, Kind kind) {
  const BenchScene& s = sceneFor(kind, int(state.range(0)));
  IDerivedObject* stack = StackOf(s.node);
  Modifier* mod = stack->GetModifier(0);
  ModContext* mc = stack->GetModContext(0);
  std::unique_ptr<Object> copy(BaseObjectOf(s.node)->MakeShallowCopy(ALL_CHANNELS));
  ObjectState os(copy.get());
  for (auto _ : state) {
    mod->ModifyObject(0, *mc, &os, s.node);
    benchmark::DoNotOptimize(static_cast<TriObject*>(os.obj)->GetMesh().verts);
    benchmark::ClobberMemory();
  }
  report(state, s.verts);
}

void BM_FullMirror(benchmark::State& state) { evaluate(state, kFullMirror); }
void BM_FullMirrorModifierOnly(benchmark::State& state) { modifyOnly(state, kFullMirror); }
void BM_ReplayModifierOnly(benchmark::State& state) { modifyOnly(state, kReplay); }
void BM_Replay(benchmark::State& state) { evaluate(state, kReplay); }
void BM_HostCopyOnly(benchmark::State& state) { evaluate(state, kHostCopyOnly); }

void BM_PlainCopy(benchmark::State& state) {
  const BenchScene& s = sceneFor(kReplay, int(state.range(0)));
  std::vector<Point3> from = Positions(BaseMeshOf(s.node));
  std::vector<Point3> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), sizeof(Point3) * from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  report(state, s.verts);
}

void BM_PlainCopyObjectState(benchmark::State& state) {
  const BenchScene& s = sceneFor(kReplay, int(state.range(0)));
  const Mesh& mesh = BaseMeshOf(s.node);
  std::vector<Point3> verts(size_t(mesh.numVerts));
  std::vector<Face> faces(size_t(mesh.numFaces));
  for (auto _ : state) {
    std::memcpy(verts.data(), mesh.verts, sizeof(Point3) * verts.size());
    std::memcpy(static_cast<void*>(faces.data()), mesh.faces, sizeof(Face) * faces.size());
    benchmark::DoNotOptimize(verts.data());
    benchmark::DoNotOptimize(faces.data());
    benchmark::ClobberMemory();
  }
  report(state, s.verts);
}

#define SIZES ->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_FullMirror) SIZES;
BENCHMARK(BM_Replay) SIZES;
BENCHMARK(BM_HostCopyOnly) SIZES;
BENCHMARK(BM_FullMirrorModifierOnly) SIZES;
BENCHMARK(BM_ReplayModifierOnly) SIZES;
BENCHMARK(BM_PlainCopy) SIZES;
BENCHMARK(BM_PlainCopyObjectState) SIZES;

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  // The scenes go while the plug-in that made their modifiers is still whole.
  ResetScene();
  benchmark::Shutdown();
  return 0;
}
