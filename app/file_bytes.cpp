// Whole-file reading and writing for the command-line host, over the host's careful file calls.
#include "file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "file_paths.h"

namespace {

namespace fs = std::filesystem;

bool named(const std::string& path, const std::string& failure, std::string& r_error) {
  if (failure.empty()) return true;
  r_error = path + ": " + failure;
  return false;
}

void binaryMode(std::FILE* stream) {
#if defined(_WIN32)
  _setmode(_fileno(stream), _O_BINARY);
#else
  (void)stream;
#endif
}

bool readStandardInput(size_t maxBytes, std::string& r_bytes, std::string& r_error) {
  binaryMode(stdin);
  r_bytes.clear();
  char buffer[1 << 16];
  for (;;) {
    const size_t got = std::fread(buffer, 1, sizeof buffer, stdin);
    if (r_bytes.size() + got > maxBytes) {
      r_bytes.clear();
      r_error = "standard input: larger than the limit of " + std::to_string(maxBytes) + " bytes";
      return false;
    }
    r_bytes.append(buffer, got);
    if (got < sizeof buffer) break;
  }
  if (std::ferror(stdin)) {
    r_bytes.clear();
    r_error = std::string("standard input: cannot read: ") + std::strerror(errno);
    return false;
  }
  return true;
}

bool writeStandardOutput(const FilePieces& content, std::string& r_error) {
  binaryMode(stdout);
  const bool written = content([](std::string_view piece) {
    return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
  });
  if (std::fflush(stdout) != 0 || !written) {
    r_error = std::string("standard output: cannot write: ") + std::strerror(errno);
    return false;
  }
  return true;
}

// The folder a new file for `path` is made in: a destination that is a link is written where the
// link points.
fs::path folderWritten(const std::string& path) {
  const fs::path file = ReplacedFile(path);
  return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

bool folderTakesNewFiles(const fs::path& folder) {
#if defined(_WIN32)
  (void)folder;
  return true;
#else
  return access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

}  // namespace

std::string StreamName(const std::string& path, bool reading) {
  if (!IsStandardStream(path)) return path;
  return reading ? "standard input" : "standard output";
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + "/" + name;
}

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& r_bytes, std::string& r_error,
                   FileStamp* r_stamp) {
  if (IsStandardStream(path)) return readStandardInput(maxBytes, r_bytes, r_error);
  return named(path, ReadRegularFile(path, maxBytes, r_bytes, {}, nullptr, r_stamp), r_error);
}

bool WritesStraight(const std::string& path) { return IsStandardStream(path) || WritesDirectly(path); }

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& r_error) {
  return WriteFilePieces(path, [bytes](const std::function<bool(std::string_view)>& put) { return put(bytes); }, r_error);
}

bool WriteFilePieces(const std::string& path, const FilePieces& content, std::string& r_error) {
  if (IsStandardStream(path)) return writeStandardOutput(content, r_error);
  const std::string failure = WriteFileReplacing(path, content);
  if (failure.empty()) return true;
  // The new content goes to a new file in the destination's folder first: when that folder is
  // missing or takes no new files, the folder is what failed, not the file the user named.
  const fs::path folder = folderWritten(path);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    r_error = folder.u8string() + ": no such folder (writing " + path + ")";
  } else if (!folderTakesNewFiles(folder)) {
    r_error = folder.u8string() + ": cannot create files in this folder: " + std::strerror(EACCES) + " (writing " +
              path + ")";
  } else {
    named(path, failure, r_error);
  }
  return false;
}

bool MakeDirectories(const std::string& path, std::string& r_error) {
  std::error_code ec;
  std::filesystem::create_directories(FilePath(path), ec);
  if (!ec && std::filesystem::is_directory(FilePath(path))) return true;
  // Name the first part of the path that is in the way: a file where a folder should be, or a
  // folder that takes no new folders.
  fs::path blocking = FilePath(path);
  for (fs::path part = FilePath(path); !part.empty(); part = part.parent_path()) {
    std::error_code statusError;
    if (fs::exists(part, statusError)) {
      blocking = part;
      break;
    }
    if (part == part.parent_path()) break;
  }
  std::string why = ec ? ec.message() : std::string("not a folder");
  if (fs::exists(blocking, ec) && !fs::is_directory(blocking, ec)) why = "is a file, not a folder";
  r_error = blocking.u8string() + ": " + why + (blocking.u8string() == path ? "" : " (making folder " + path + ")");
  return false;
}
