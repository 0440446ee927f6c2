// Scene files on disk: whole-file reads that look at the header first, and writes that replace a
// file only once complete.
#include "scene_file.h"

#include "file_paths.h"

namespace {

// Chunks hold at most 2 GiB, so no valid scene file is larger.
constexpr size_t kMaxSceneFileBytes = (1LL << 31) + 64;

void setError(std::string* r_error, const std::string& path, const std::string& what) {
  if (r_error != nullptr) *r_error = path + ": " + what;
}

}  // namespace

bool SaveScene(const std::string& path, std::string* r_error) {
  std::string bytes, error;
  if (!SaveSceneToBytes(Scene::Get(), bytes, &error)) {
    setError(r_error, path, error);
    return false;
  }
  if (std::string failure = WriteFileReplacing(path, bytes); !failure.empty()) {
    setError(r_error, path, failure);
    return false;
  }
  return true;
}

bool LoadScene(const std::string& path, std::string* r_error) {
  std::string bytes;
  // The first bytes tell a scene file; nothing else is read from a file that is not one.
  const std::string problem = ReadRegularFile(path, kMaxSceneFileBytes, bytes,
                                              std::string_view(kSceneFileMagic, sizeof(kSceneFileMagic)),
                                              "not a Velomorph scene file");
  if (!problem.empty()) {
    setError(r_error, path, problem);
    return false;
  }
  return LoadSceneFromBytes(Scene::Get(), bytes, path, r_error);
}
