// UTF-8 file names: passed through on Linux, widened for the system's calls on Windows.
#include "file_paths.h"

#include <cerrno>
#include <cstring>
#include <system_error>

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

namespace {

std::string failure(const std::string& what, int error) {
  return error != 0 ? what + ": " + std::strerror(error) : what;
}

// Writes and closes; a full disk often shows only at the close.
std::string writeAndClose(std::FILE* file, std::string_view bytes) {
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = written ? 0 : errno;
  const bool closed = std::fclose(file) == 0;
  if (!written) return failure("cannot write", writeError);
  if (!closed) return failure("cannot write", errno);
  return std::string();
}

}  // namespace

std::string WriteFileReplacing(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(FilePath(path), ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    std::FILE* file = OpenFile(path, "wb");
    if (file == nullptr) return failure("cannot create", errno);
    return writeAndClose(file, bytes);
  }
  // A link stays a link: the file it leads to is the one replaced.
  std::string destination = path;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(FilePath(path), ec))) {
    const std::filesystem::path target = std::filesystem::canonical(FilePath(path), ec);
    if (!ec) destination = target.u8string();
  }
  const std::string temporary = destination + ".saving";
  std::FILE* file = OpenFile(temporary, "wb");
  if (file == nullptr) return failure("cannot create", errno);
  std::string written = writeAndClose(file, bytes);
  if (written.empty()) {
    if (int renameError = RenameFileOver(temporary, destination); renameError != 0)
      written = failure("cannot replace", renameError);
  }
  if (!written.empty()) RemoveFile(temporary);
  return written;
}
