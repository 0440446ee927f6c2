// Scene files on disk: whole-file reads, and writes that replace a file only once complete.
#include "scene_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_paths.h"

namespace {

// Chunks hold at most 2 GiB, so no valid scene file is larger.
constexpr long long kMaxSceneFileBytes = (1LL << 31) + 64;

void setError(std::string* r_error, const std::string& path, const std::string& what, int error) {
  if (r_error == nullptr) return;
  *r_error = path + ": " + what;
  if (error != 0) *r_error += std::string(": ") + std::strerror(error);
}

bool readAll(const std::string& path, std::string& r_bytes, std::string* r_error) {
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) {
    setError(r_error, path, "cannot open", errno);
    return false;
  }
  r_bytes.clear();
  char block[1 << 16];
  bool ok = true;
  for (;;) {
    size_t got = std::fread(block, 1, sizeof(block), file);
    r_bytes.append(block, got);
    if ((long long)r_bytes.size() > kMaxSceneFileBytes) {
      setError(r_error, path, "too large to be a scene file", 0);
      ok = false;
      break;
    }
    if (got < sizeof(block)) {
      if (std::ferror(file)) {
        setError(r_error, path, "cannot read", errno);
        ok = false;
      }
      break;
    }
  }
  std::fclose(file);
  return ok;
}

}  // namespace

bool SaveScene(const std::string& path, std::string* r_error) {
  std::string bytes, error;
  if (!SaveSceneToBytes(Scene::Get(), bytes, &error)) {
    setError(r_error, path, error, 0);
    return false;
  }
  if (std::string failure = WriteFileReplacing(path, bytes); !failure.empty()) {
    setError(r_error, path, failure, 0);
    return false;
  }
  return true;
}

bool LoadScene(const std::string& path, std::string* r_error) {
  std::string bytes;
  if (!readAll(path, bytes, r_error)) return false;
  return LoadSceneFromBytes(Scene::Get(), bytes, path, r_error);
}
