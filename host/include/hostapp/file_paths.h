// Files named by UTF-8 paths, alike on every system, read and written so that a user's files are
// never lost. Host programs take their paths as UTF-8 (on Windows from the wide command line), and
// on Windows these calls hand them to the system's wide-character functions, so a name outside the
// ANSI code page still opens the file it names.
//
// Failures come back as "<what>: <reason>" ("cannot write: No space left on device"), without the
// path, so the caller can name the file as its user knows it; an empty string means success.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// fopen of a UTF-8 path; null with errno set on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// The path as the standard library's filesystem calls take it.
std::filesystem::path FilePath(const std::string& path);

// What tells one state of a regular file from another: which file it is, its size and when it was
// last written (as finely as the system records it). A file whose stamp is unchanged holds the bytes
// it held, as far as the system can tell; build tools judge files the same way.
struct FileStamp {
  bool known = false;  // a file the system could not describe matches no stamp, not even its own
  unsigned long long device = 0, file = 0, size = 0;
  long long modified = 0;
  bool operator==(const FileStamp& other) const {
    return known && other.known && device == other.device && file == other.file && size == other.size &&
           modified == other.modified;
  }
};

// Reads the whole of `path` into r_bytes. It must be a regular file of at most maxBytes bytes:
// folders, pipes and devices are refused before a byte is read (a pipe would wait for a writer for
// ever, a device may never end), and so is a file over the limit, by its size. When
// `requiredStart` is given the file must begin with those bytes, checked before the rest is read;
// otherwise the failure is `startMismatch`. r_bytes is empty after a failure. `r_stamp`, when
// given, receives the stamp of the file as read.
std::string ReadRegularFile(const std::string& path, size_t maxBytes, std::string& r_bytes,
                            std::string_view requiredStart = {}, const char* startMismatch = nullptr,
                            FileStamp* r_stamp = nullptr);

// Reads a file read before again, in order, handing `take` pieces of about a megabyte, so a large
// file need not be held between the two reads. It must still be the file `stamp` describes, before
// the first piece and after the last: otherwise the failure is "changed since it was read", and
// what `take` was given must be discarded. `take` returning false stops the read quietly.
std::string ReadFileAgain(const std::string& path, const FileStamp& stamp,
                          const std::function<bool(std::string_view)>& take);

// The file a write to `path` replaces: `path` itself, or for a link the file it leads to (which
// may not exist yet). Its folder is where the write's temporary file is made.
std::filesystem::path ReplacedFile(const std::string& path);

// Why `path` cannot be written, or empty: it is a folder, or an existing file the user may not
// write (no write permission, or no write bit at all, which protects it even from an administrator).
// A missing file is writable here; whether its folder is shows only when it is made.
std::string WriteProblem(const std::string& path);

// Whether a write to `path` goes to it directly rather than through a temporary file: it exists and
// is neither a regular file nor a folder (a device, a pipe with a reader).
bool WritesDirectly(const std::string& path);

// Writes `bytes` as the whole content of `path`, which is always either what it was or the whole
// new content. The bytes go first to a new temporary file with an unpredictable name, created
// exclusively (never through a link) in the destination's folder, and renamed over the destination
// once written and closed. A destination that is a link is written through and stays a link. An
// existing file keeps its permissions (and, where the system allows, its owner and group); a file
// WriteProblem refuses is left alone. A path that exists and is not a regular file (a device, a pipe
// with a reader) is written directly.
std::string WriteFileReplacing(const std::string& path, std::string_view bytes);

// The same for content made piece by piece, so a large file never has to be held whole:
// `content` hands each piece to `put` in order and returns false (after `put` refused a piece, or
// for a failure of its own) to abandon the write, which then fails as "cannot write".
using FilePieces = std::function<bool(const std::function<bool(std::string_view)>& put)>;
std::string WriteFileReplacing(const std::string& path, const FilePieces& content);

// Makes SIGINT and SIGTERM remove the temporary file of a write in progress before the program
// ends as the signal says, so a stopped run leaves nothing behind. Call once, early in main.
void RemoveTemporaryFilesOnSignals();
