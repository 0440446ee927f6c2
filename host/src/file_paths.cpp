// UTF-8 file names: passed through on Linux, widened for the system's calls on Windows.
#include "file_paths.h"

#include <cerrno>

#if defined(_WIN32)
#include <windows.h>

#include "strclass.h"

namespace {

std::wstring wide(const std::string& text) { return std::wstring(MSTR::FromUTF8(text).data()); }

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

int RenameFileOver(const std::string& from, const std::string& to) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  return errnoOf(GetLastError());
}

bool RemoveFile(const std::string& path) { return _wremove(wide(path).c_str()) == 0; }

std::filesystem::path FilePath(const std::string& path) { return std::filesystem::path(wide(path)); }

#else

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

int RenameFileOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

std::filesystem::path FilePath(const std::string& path) { return std::filesystem::path(path); }

#endif
