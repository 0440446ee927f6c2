// Whole scene files, with the plug-in loaded so its modifiers' Load and LoadLocalData read their
// own chunks. Whatever the bytes, loading either refuses them with a message and leaves the
// (empty) scene as it was, or builds a scene that saves and loads back to a scene that saves to the
// same bytes, and that evaluates without a failure report and still saves and loads afterwards.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "maxapi.h"
#include "scene_file.h"
#include "support/plugin_fixture.h"

using namespace testing_support;

namespace {

std::string save(Scene& scene) {
  std::string bytes, error;
  FUZZ_CHECK(SaveSceneToBytes(scene, bytes, &error), "a loaded scene can be saved");
  return bytes;
}

// Loads `bytes` into the emptied scene; they must be a scene file the host wrote.
void reload(Scene& scene, const std::string& bytes) {
  std::string error;
  scene.Clear();
  FUZZ_CHECK(LoadSceneFromBytes(scene, bytes, "saved.vms", &error), "a saved scene loads");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static bool loaded = (Plugin(), true);
  (void)loaded;
  Scene& scene = Scene::Get();
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (!LoadSceneFromBytes(scene, input, "fuzz.vms", &error)) {
    FUZZ_CHECK(!error.empty(), "a refused file says why");
    FUZZ_CHECK(scene.NodeCount() == 0, "a refused file leaves the scene as it was");
    return 0;
  }

  std::string first = save(scene);
  reload(scene, first);
  FUZZ_CHECK(save(scene) == first, "a saved scene loads and saves to the same bytes");

  GetCOREInterface()->ClearReports();
  for (int i = 0; i < scene.NodeCount(); ++i) scene.GetNode(i)->EvalWorldState(0);
  FUZZ_CHECK(GetCOREInterface()->Reports().empty(), "a loaded scene evaluates without a failure");

  // A loaded cache's own resultValid starts at 0, so the evaluated scene settles after one reload.
  reload(scene, save(scene));
  std::string settled = save(scene);
  reload(scene, settled);
  FUZZ_CHECK(save(scene) == settled, "an evaluated scene loads and saves to the same bytes");
  scene.Clear();
  GetCOREInterface()->ClearReports();
  return 0;
}
