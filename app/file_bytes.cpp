// Whole-file reading and writing for the command-line host, over the host's careful file calls.
#include "file_bytes.h"

#include <filesystem>

#include "file_paths.h"

namespace {

bool named(const std::string& path, const std::string& failure, std::string& r_error) {
  if (failure.empty()) return true;
  r_error = path + ": " + failure;
  return false;
}

}  // namespace

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& r_bytes, std::string& r_error) {
  return named(path, ReadRegularFile(path, maxBytes, r_bytes), r_error);
}

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& r_error) {
  return named(path, WriteFileReplacing(path, bytes), r_error);
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
