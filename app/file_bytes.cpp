// Whole-file reading through stdio, so errno gives the reason for every failure; writing through the
// host's replacing write.
#include "file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "file_paths.h"

namespace {

std::string failure(const std::string& path, const std::string& what, int error) {
  std::string message = path + ": " + what;
  if (error != 0) message += std::string(": ") + std::strerror(error);
  return message;
}

}  // namespace

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& r_bytes, std::string& r_error) {
  r_bytes.clear();
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) {
    r_error = failure(path, "cannot open", errno);
    return false;
  }
  bool ok = true;
  try {
    char chunk[1 << 16];
    for (;;) {
      const size_t got = std::fread(chunk, 1, sizeof chunk, file);
      if (got > maxBytes - r_bytes.size()) {
        r_error = failure(path, "larger than the limit of " + std::to_string(maxBytes) + " bytes", 0);
        ok = false;
        break;
      }
      r_bytes.append(chunk, got);
      if (got < sizeof chunk) {
        if (std::ferror(file)) {
          // Reading a directory opens fine and fails here with EISDIR.
          r_error = failure(path, "cannot read", errno);
          ok = false;
        }
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    r_error = failure(path, "not enough memory to read it", 0);
    ok = false;
  }
  std::fclose(file);
  if (!ok) r_bytes.clear();
  return ok;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& r_error) {
  const std::string failed = WriteFileReplacing(path, bytes);
  if (failed.empty()) return true;
  r_error = path + ": " + failed;
  return false;
}

bool MakeDirectories(const std::string& path, std::string& r_error) {
  std::error_code ec;
  std::filesystem::create_directories(FilePath(path), ec);
  if (ec || !std::filesystem::is_directory(FilePath(path))) {
    r_error = path + ": cannot create folder: " + (ec ? ec.message() : std::string("not a folder"));
    return false;
  }
  return true;
}
