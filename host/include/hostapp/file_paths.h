// Files named by UTF-8 paths, alike on every system. Host programs take their paths as UTF-8 (on
// Windows from the wide command line), and on Windows these calls hand them to the system's
// wide-character functions, so a name outside the ANSI code page still opens the file it names.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// fopen of a UTF-8 path; null with errno set on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Renames `from` to `to`, replacing a `to` that exists (which std::rename refuses on Windows).
// Returns 0, or an errno value saying why not.
int RenameFileOver(const std::string& from, const std::string& to);

// Removes the file; false when it could not.
bool RemoveFile(const std::string& path);

// The path as the standard library's filesystem calls take it.
std::filesystem::path FilePath(const std::string& path);

// Writes `bytes` to `path` so that the file is always either what it was or the whole new content:
// through a temporary file beside it ("<path>.saving"), renamed over it once written and closed. A
// path that exists and is not a regular file (a device, a pipe) is written directly. Returns an
// empty string, or the failure as "<what>: <reason>" ("cannot write: No space left on device").
std::string WriteFileReplacing(const std::string& path, std::string_view bytes);
