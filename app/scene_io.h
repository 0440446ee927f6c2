// Scene files (.vms) as the command line names them: a path, or "-" for standard input when
// loading and standard output when saving.
#pragma once

#include <string>

// A scene read from standard input beyond this size is refused (no valid scene is larger).
constexpr size_t kMaxSceneInputBytes = (size_t(1) << 31) + 64;

// Scene::Get() from or to `path`; false with r_error set to one line naming the file.
bool LoadSceneFile(const std::string& path, std::string& r_error);
bool SaveSceneFile(const std::string& path, std::string& r_error);
