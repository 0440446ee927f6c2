// One application's local-data chunks, given as the raw chunk stream the host hands LoadLocalData.
// Whatever the bytes, loading yields a cache (IO_OK); that cache saves to a stream that loads and
// saves again to the same bytes; and, put on the triangle, polygon and patch meshes of a small
// scene, it replays or is rebuilt without an evaluation failure and without changing the meshes'
// vertex counts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chunk_stream.h"
#include "fuzz_check.h"
#include "maxapi.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

struct Stage {
  Modifier* loader = nullptr;      // the modifier whose LoadLocalData reads the input
  std::vector<INode*> sculpts;     // one node per mesh kind, each with its own modifier and target
  std::vector<Modifier*> modifiers;
};

void addSculpt(Stage& stage, const MCHAR* name, Object* target, Object* sculpt) {
  INode* base = Scene::Get().CreateNode(name, target);
  INode* node = Scene::Get().CreateNode(name, sculpt);
  Modifier* mod = NewModifier();
  FUZZ_CHECK(mod != nullptr, "the plug-in creates its modifier");
  Scene::Get().ApplyModifier(node, mod);
  Params(mod)->SetValue(kUndefObject, 0, base);
  node->EvalWorldState(0);
  stage.sculpts.push_back(node);
  stage.modifiers.push_back(mod);
}

// Eight-vertex meshes, the size of the seed caches, so replays are reached as well as rebuilds.
Stage& stage() {
  static Stage* s = [] {
    auto* st = new Stage();
    addSculpt(*st, L"tri", MakeSymmetricGrid(4, 2), MakeSymmetricGrid(4, 2));
    addSculpt(*st, L"poly", MakeSymmetricPolyGrid(4, 2), MakeSymmetricPolyGrid(4, 2));
    addSculpt(*st, L"patch", MakeSymmetricPatchGrid(4, 2), MakeSymmetricPatchGrid(4, 2));
    st->loader = st->modifiers.front();
    // The scene must go before the plug-in's statics at exit (its parameter blocks point into
    // them); handlers registered later run earlier.
    std::atexit([] { Scene::Get().Clear(); });
    return st;
  }();
  return *s;
}

LocalModData* load(Modifier* mod, std::string_view bytes) {
  ChunkLoader in(bytes);
  LocalModData* ld = nullptr;
  FUZZ_CHECK(mod->LoadLocalData(&in, &ld) == IO_OK, "LoadLocalData returns IO_OK");
  FUZZ_CHECK(ld != nullptr, "LoadLocalData hands back a cache");
  return ld;
}

std::string save(Modifier* mod, LocalModData* ld) {
  ChunkSaver out;
  FUZZ_CHECK(mod->SaveLocalData(&out, ld) == IO_OK, "SaveLocalData returns IO_OK");
  FUZZ_CHECK(!out.Failed() && out.Depth() == 0, "SaveLocalData writes whole chunks");
  return out.Bytes();
}

int pointCount(Object* obj) {
  if (obj == nullptr) return -1;
  if (obj->IsSubClassOf(triObjectClassID)) return static_cast<TriObject*>(obj)->GetMesh().numVerts;
  if (obj->IsSubClassOf(polyObjectClassID)) return static_cast<PolyObject*>(obj)->GetMesh().numv;
  if (obj->IsSubClassOf(patchObjectClassID)) return static_cast<PatchObject*>(obj)->patch.numVerts;
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  Stage& st = stage();
  std::string_view input(reinterpret_cast<const char*>(data), size);

  LocalModData* loaded = load(st.loader, input);
  std::string first = save(st.loader, loaded);
  LocalModData* reloaded = load(st.loader, first);
  FUZZ_CHECK(save(st.loader, reloaded) == first, "a saved cache loads and saves to the same bytes");
  delete reloaded;

  for (size_t i = 0; i < st.sculpts.size(); ++i) {
    // Constant update off replays the loaded result, on rebuilds from the loaded target. The
    // parameter is set first: changing it resets the caches, which would forbid the replay.
    for (int constant : {0, 1}) {
      Params(st.modifiers[i])->SetValue(kConstantUpdate, 0, constant);
      ModContext* mc = ContextOf(st.sculpts[i]);
      delete mc->localData;
      mc->localData = loaded->Clone();
      GetCOREInterface()->ClearReports();
      Object* out = st.sculpts[i]->EvalWorldState(0).obj;
      FUZZ_CHECK(GetCOREInterface()->Reports().empty(), "a loaded cache never makes an evaluation fail");
      FUZZ_CHECK(pointCount(out) == 8, "the modifier keeps the mesh's vertex count");
    }
  }
  delete loaded;
  return 0;
}
