// Files named by UTF-8 paths, alike on every system. Host programs take their paths as UTF-8 (on
// Windows from the wide command line), and on Windows these calls hand them to the system's
// wide-character functions, so a name outside the ANSI code page still opens the file it names.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// fopen of a UTF-8 path; null with errno set on failure.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Renames `from` to `to`, replacing a `to` that exists (which std::rename refuses on Windows).
// Returns 0, or an errno value saying why not.
int RenameFileOver(const std::string& from, const std::string& to);

// Removes the file; false when it could not.
bool RemoveFile(const std::string& path);

// The path as the standard library's filesystem calls take it.
std::filesystem::path FilePath(const std::string& path);
