// Whole-file reading and writing for the command-line host, with messages that name the file.
//
// The path "-" stands for standard input when read and standard output when written, as in most
// command-line tools.
//
// Errors come back as one line of text ("<path>: cannot open: No such file or directory"), ready
// for standard error; nothing is printed here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "file_paths.h"

// The path that stands for standard input or output.
inline bool IsStandardStream(const std::string& path) { return path == "-"; }
// The path as messages name it: "standard input" for "-" when `reading`, "standard output" otherwise;
// a file's name made printable (PrintableText), so it can neither break a line nor drive a terminal.
std::string StreamName(const std::string& path, bool reading);

// `name` in `folder`, as messages show it: "out/a.obj" for "out" and for "out/".
std::string InFolder(const std::string& folder, const std::string& name);

// Reads every byte of `path` into r_bytes (replacing its contents). `path` must be a regular file of
// at most maxBytes bytes: anything else is refused before a byte is read, so a pipe cannot hang the
// run and a hostile or mistaken input cannot exhaust memory. Standard input ("-") is read up to the
// same limit and refused beyond it. Returns false with r_error set on any failure. `r_stamp`, when
// given, receives the file's stamp (see ReadFileAgain); standard input has none and leaves it as it was.
// When `requiredStart` is given the bytes must begin with it, or the failure is `startMismatch`:
// judged on the first bytes, so an endless stream that does not start so is refused at once.
bool ReadFileBytes(const std::string& path, size_t maxBytes, std::string& r_bytes, std::string& r_error,
                   FileStamp* r_stamp = nullptr, std::string_view requiredStart = {},
                   const char* startMismatch = nullptr);

// Whether a write to `path` goes straight to it (standard output, a pipe, a device), so that what
// was written cannot be taken back, rather than to a new file that takes its place once complete.
bool WritesStraight(const std::string& path);

// Writes `bytes` as the whole content of `path` through WriteFileReplacing: an existing file is
// replaced only once the new content is completely written, keeps its permissions, and is refused
// when read-only. "-" writes to standard output. Returns false with r_error set when the file cannot
// be created, written, closed or put in place; the message names the path that failed, which is the
// folder when no file can be made in it. With `replace` false an existing file is never replaced
// (see WriteFileReplacing).
bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& r_error, bool replace = true);
// The same for content made piece by piece (see FilePieces), so a large file is never held whole.
bool WriteFilePieces(const std::string& path, const FilePieces& content, std::string& r_error, bool replace = true);

// Creates folder `path` and any missing parents (an existing folder is fine). Returns false with
// r_error set, naming the part of the path that is in the way, when it cannot.
bool MakeDirectories(const std::string& path, std::string& r_error);
