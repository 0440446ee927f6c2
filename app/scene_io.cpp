// Scene files through the host's loader and saver, with standard input and output.
#include "scene_io.h"

#include "file_bytes.h"
#include "scene_file.h"

bool LoadSceneFile(const std::string& path, std::string& r_error) {
  if (!IsStandardStream(path)) return LoadScene(path, &r_error);
  std::string bytes;
  if (!ReadFileBytes(path, kMaxSceneInputBytes, bytes, r_error, nullptr,
                     std::string_view(kSceneFileMagic, sizeof(kSceneFileMagic)), "not a Velomorph scene file"))
    return false;
  return LoadSceneFromBytes(Scene::Get(), bytes, StreamName(path, true), &r_error);
}

bool SaveSceneFile(const std::string& path, std::string& r_error) {
  if (!IsStandardStream(path)) return SaveScene(path, &r_error);
  std::string bytes;
  return SaveSceneToBytes(Scene::Get(), bytes, &r_error) && WriteFileBytes(path, bytes, r_error);
}
