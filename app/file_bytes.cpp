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
#include "printable_text.h"

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

bool readStandardInput(size_t maxBytes, std::string& r_bytes, std::string& r_error, std::string_view requiredStart,
                       const char* startMismatch) {
  binaryMode(stdin);
  r_bytes.clear();
  char buffer[1 << 16];
  for (;;) {
    // The start is judged as soon as it is in: a stream that does not begin as it must is not read on.
    const size_t want = r_bytes.size() < requiredStart.size() ? requiredStart.size() - r_bytes.size() : sizeof buffer;
    const size_t got = std::fread(buffer, 1, want, stdin);
    if (r_bytes.size() + got > maxBytes) {
      r_bytes.clear();
      r_error = "standard input: larger than the limit of " + std::to_string(maxBytes) + " bytes";
      return false;
    }
    r_bytes.append(buffer, got);
    if (!requiredStart.empty() && r_bytes.size() <= requiredStart.size() &&
        (got < want || r_bytes.size() == requiredStart.size()) && r_bytes != requiredStart) {
      r_bytes.clear();
      r_error = std::string("standard input: ") + startMismatch;
      return false;
    }
    if (got < want) break;
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

// 0 when the folder takes new files, or why not (EACCES, EROFS).
int folderRefusesNewFiles(const fs::path& folder) {
#if defined(_WIN32)
  (void)folder;
  return 0;
#else
  return access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
#endif
}

}  // namespace

std::string StreamName(const std::string& path, bool reading) {
  if (!IsStandardStream(path)) return PrintableText(path);
  return reading ? "standard input" : "standard output";
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
  return folder + "/" + name;
}

bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& r_bytes, std::string& r_error,
                   FileStamp* r_stamp, std::string_view requiredStart, const char* startMismatch) {
  if (IsStandardStream(path)) return readStandardInput(maxBytes, r_bytes, r_error, requiredStart, startMismatch);
  return named(path, ReadRegularFile(path, maxBytes, r_bytes, requiredStart, startMismatch, r_stamp), r_error);
}

bool WritesStraight(const std::string& path) { return IsStandardStream(path) || WritesDirectly(path); }

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& r_error, bool replace) {
  return WriteFilePieces(
      path, [bytes](const std::function<bool(std::string_view)>& put) { return put(bytes); }, r_error, replace);
}

bool WriteFilePieces(const std::string& path, const FilePieces& content, std::string& r_error, bool replace) {
  if (IsStandardStream(path)) return writeStandardOutput(content, r_error);
  const std::string failure = WriteFileReplacing(path, content, replace);
  if (failure.empty()) return true;
  // The new content goes to a new file in the destination's folder first: when that folder is
  // missing or takes no new files, the folder is what failed, not the file the user named.
  const fs::path folder = folderWritten(path);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    r_error = folder.u8string() + ": no such folder (writing " + path + ")";
  } else if (const int refusal = folderRefusesNewFiles(folder); refusal != 0) {
    // A read-only file system is named as such, not as a permission the user could change.
    r_error = folder.u8string() + ": cannot create files in this folder: " +
              (refusal == EROFS ? std::string("read-only file system") : std::string(std::strerror(refusal))) +
              " (writing " + path + ")";
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
