// Speed of the polygon path through the host, on symmetric bumpy quad grids of 100k and 1M
// vertices with the target and partners already held:
//   PolyMirror        a full evaluation (Mirror) as the host runs it, the dispatch's triangle copy
//                     included;
//   PolyReplay        the replay of the stored result (constant update off);
//   SurfaceAsymmetry  a full evaluation with the Surface asymmetry on (its cost is the difference
//                     to PolyMirror);
//   SurfaceTransport  the engine's frames and offset carrying alone, on plain arrays.
// per_vertex is the time per vertex.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/plugin_fixture.h"
#include "symmetry/engine/surface_frames.h"

using namespace testing_support;

namespace {

// A grid of about `count` vertices, symmetric about X = 0, with a relief symmetric in x.
PolyObject* bumpyGrid(int count) {
  int rows = int(std::sqrt(double(count)));
  int columns = count / rows;
  if (columns % 2 == 0) ++columns;
  PolyObject* obj = MakeSymmetricPolyGrid(columns, rows);
  MNMesh& mm = obj->GetMesh();
  for (int i = 0; i < mm.numv; ++i) {
    Point3& p = mm.P(i);
    p.z = 0.25f * std::sin(3.0f * p.x * p.x + 0.01f * p.y);
  }
  return obj;
}

struct PolyScene {
  INode* target = nullptr;
  INode* sculpt = nullptr;
  INode* asym = nullptr;
  Modifier* mod = nullptr;
  int vertices = 0;
};

PolyScene& polyScene(int count) {
  static std::map<int, std::unique_ptr<PolyScene>> scenes;
  std::unique_ptr<PolyScene>& slot = scenes[count];
  if (slot) return *slot;
  slot = std::make_unique<PolyScene>();
  PolyScene& s = *slot;
  const std::wstring tag = std::to_wstring(count);
  s.target = Scene::Get().CreateNode((L"base " + tag).c_str(), bumpyGrid(count));
  PolyObject* sculpt = bumpyGrid(count);
  MNMesh& sm = sculpt->GetMesh();
  for (int i = 0; i < sm.numv; ++i) {
    if (sm.P(i).x > 0.0f) sm.P(i).z += 0.1f * sm.P(i).x;
  }
  PolyObject* asym = bumpyGrid(count);
  MNMesh& am = asym->GetMesh();
  for (int i = 0; i < am.numv; i += 7) am.P(i) += Point3(0.01f, 0.0f, 0.02f);
  s.vertices = sm.numv;
  s.sculpt = Scene::Get().CreateNode((L"sculpt " + tag).c_str(), sculpt);
  s.asym = Scene::Get().CreateNode((L"asym " + tag).c_str(), asym);
  s.mod = NewModifier();
  Scene::Get().ApplyModifier(s.sculpt, s.mod);
  Params(s.mod)->SetValue(kUndefObject, 0, s.target);
  Params(s.mod)->SetValue(kAsymNode, 0, s.asym);
  s.sculpt->EvalWorldState(0);  // capture and pairing, paid once
  return s;
}

void configure(PolyScene& s, int constant, int asymmetry) {
  IParamBlock2* pb = Params(s.mod);
  pb->SetValue(kConstantUpdate, 0, constant);
  pb->SetValue(kEnableAsymmetry, 0, asymmetry);
  pb->SetValue(kAsynType, 0, 1);
}

void perVertex(benchmark::State& state, int n) {
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["per_vertex"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void evaluate(benchmark::State& state, int constant, int asymmetry) {
  PolyScene& s = polyScene(int(state.range(0)));
  configure(s, constant, asymmetry);
  s.sculpt->EvalWorldState(0);
  for (auto _ : state) {
    const ObjectState& os = s.sculpt->EvalWorldState(0);
    benchmark::DoNotOptimize(static_cast<PolyObject*>(os.obj)->GetMesh().P(0));
  }
  perVertex(state, s.vertices);
}

void BM_PolyMirror(benchmark::State& state) { evaluate(state, 1, 0); }
void BM_PolyReplay(benchmark::State& state) { evaluate(state, 0, 0); }
void BM_SurfaceAsymmetry(benchmark::State& state) { evaluate(state, 1, 1); }

struct DeleteObject {
  void operator()(Object* obj) const { obj->DeleteThis(); }
};
using ObjectPtr = std::unique_ptr<Object, DeleteObject>;

void BM_SurfaceTransport(benchmark::State& state) {
  PolyScene& s = polyScene(int(state.range(0)));
  configure(s, 1, 0);
  PolyObject* result = static_cast<PolyObject*>(s.sculpt->EvalWorldState(0).obj);
  ObjectPtr resultTri(result->ConvertToType(0, triObjectClassID));
  PolyObject* target = static_cast<PolyObject*>(s.target->GetObjectRef());
  ObjectPtr targetTri(target->ConvertToType(0, triObjectClassID));
  auto surfaceOf = [](Object* obj) {
    Mesh& m = static_cast<TriObject*>(obj)->GetMesh();
    SurfaceTriangles t;
    t.positions = m.verts;
    t.positionCount = m.numVerts;
    t.faces = m.faces;
    t.faceCount = m.numFaces;
    t.mapFaces = m.mapFaces(1);
    t.mapVerts = m.mapVerts(1);
    t.mapVertCount = m.getNumMapVerts(1);
    return t;
  };
  const SurfaceTriangles from = surfaceOf(targetTri.get());
  const SurfaceTriangles to = surfaceOf(resultTri.get());
  const int n = from.positionCount;
  const std::vector<Point3> original(size_t(n), Point3(0.01f, 0.0f, 0.02f));
  std::vector<Point3> offsets;
  for (auto _ : state) {
    offsets = original;
    TransportOffsets(from, to, n, SurfaceFrameOptions(), offsets.data(), n);
    benchmark::DoNotOptimize(offsets.data());
    benchmark::ClobberMemory();
  }
  perVertex(state, n);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Arg(100000)->Arg(1000000)->ArgName("n")->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_PolyMirror)->Apply(sizes);
BENCHMARK(BM_PolyReplay)->Apply(sizes);
BENCHMARK(BM_SurfaceAsymmetry)->Apply(sizes);
BENCHMARK(BM_SurfaceTransport)->Apply(sizes);

BENCHMARK_MAIN();
