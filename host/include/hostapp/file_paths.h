// Files named by UTF-8 paths, alike on every system, read and written so that a user's files are
// never lost. Host programs take their paths as UTF-8 (on Windows from the wide command line), and
// on Windows these calls hand them to the system's wide-character functions, so a name outside the
// ANSI code page still opens the file it names.
//
// Failures come back as "<what>: <reason>" ("cannot write: No space left on device"), without the
// path, so the caller can name the file as its user knows it; an empty string means success.
#pragma once

#include <cstddef>
#include <cstdint>
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
// last written (as finely as the system records it), and, for a file read whole, a digest of its
// bytes (ByteDigest). The system's stamp alone misses an edit within one tick of a coarse clock, or
// a file put back with its old time (`touch -r`): the digest is what proves the bytes the same.
struct FileStamp {
  bool known = false;  // a file the system could not describe matches no stamp, not even its own
  unsigned long long device = 0, file = 0, size = 0;
  long long modified = 0;
  bool digested = false;  // ReadRegularFile digests what it reads; stamps of open files have none
  std::uint64_t digest = 0;
  // The system's part: the digest is compared by ReadFileAgain once it has read every byte again.
  bool operator==(const FileStamp& other) const {
    return known && other.known && device == other.device && file == other.file && size == other.size &&
           modified == other.modified;
  }
};

// The stamp of the file `path` leads to (links followed), without digest; not known when there is
// none or the system cannot describe it. Which file it is (device and file) tells two names of one
// file apart without comparing every pair of names.
FileStamp StampOfPath(const std::string& path);

// Reads the whole of `path` into r_bytes. It must be a regular file of at most maxBytes bytes:
// folders, pipes and devices are refused before a byte is read (a pipe would wait for a writer for
// ever, a device may never end), and so is a file over the limit, by its size. When
// `requiredStart` is given the file must begin with those bytes, checked before the rest is read;
// otherwise the failure is `startMismatch`. r_bytes is empty after a failure. `r_stamp`, when
// given, receives the stamp of the file as read, digest included.
std::string ReadRegularFile(const std::string& path, size_t maxBytes, std::string& r_bytes,
                            std::string_view requiredStart = {}, const char* startMismatch = nullptr,
                            FileStamp* r_stamp = nullptr);

// Reads a file read before again, in order, handing `take` pieces of about a megabyte, so a large
// file need not be held between the two reads. It must still be the file `stamp` describes, before
// the first piece and after the last, and the bytes read again must have the stamp's digest:
// otherwise the failure is "changed since it was read", and what `take` was given must be discarded
// (a write made from it is abandoned before it replaces anything). `take` returning false stops the
// read quietly.
std::string ReadFileAgain(const std::string& path, const FileStamp& stamp,
                          const std::function<bool(std::string_view)>& take);

// The file a write to `path` replaces: `path` itself, or for a link the file it leads to, followed
// link by link (it may not exist yet: a dangling link is written through, and stays a link). Its
// folder is where the write's temporary file is made.
std::filesystem::path ReplacedFile(const std::string& path);

// Whether `path` reaches an open file through a process's descriptor links (/dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N or a link to one): such a path names a stream, even when
// the stream is a regular file (`--out /dev/stdout >> run.log`), and is written as one.
bool NamesOpenStream(const std::string& path);

// Why `path` cannot be written, or empty: it is a folder, or an existing file the user may not
// write (no write permission, or no write bit at all, which protects it even from an administrator).
// A missing file is writable here; whether its folder is shows only when it is made.
std::string WriteProblem(const std::string& path);

// Whether a write to `path` goes to it directly rather than through a temporary file: it names an
// open stream (NamesOpenStream), or it exists and is neither a regular file nor a folder (a device,
// a pipe with a reader, a socket).
bool WritesDirectly(const std::string& path);

// Writes `bytes` as the whole content of `path`, which is always either what it was or the whole
// new content. The bytes go first to a new temporary file with an unpredictable name, created
// exclusively (never through a link) in the destination's folder, and renamed over the destination
// once written and closed. A destination that is a link is written through and stays a link. An
// existing file keeps its permissions (and, where the system allows, its owner and group); a file
// WriteProblem refuses is left alone. What WritesDirectly names is written directly: a stream
// reached through a descriptor link is written through that descriptor, at its position (appended
// when it appends), never replaced by a file.
//
// Just before the new file is put in place the destination is resolved again: when it now leads
// elsewhere (a link made or changed while the content was written), or the placement check refuses
// it, nothing is replaced. With `replace` false the new file is put in place only if nothing has
// that name by then (atomically: a file made meanwhile is not replaced either).
std::string WriteFileReplacing(const std::string& path, std::string_view bytes, bool replace = true);

// The same for content made piece by piece, so a large file never has to be held whole:
// `content` hands each piece to `put` in order and returns false (after `put` refused a piece, or
// for a failure of its own) to abandon the write, which then fails as "cannot write".
using FilePieces = std::function<bool(const std::function<bool(std::string_view)>& put)>;
std::string WriteFileReplacing(const std::string& path, const FilePieces& content, bool replace = true);

// The last word on a finished write, asked just before it replaces anything: given the destination
// as its writer named it, why it must not be put in place (it now names a file the program must not
// replace), or empty. One for the program, set by what knows its files; none by default.
using PlacementCheck = std::function<std::string(const std::string& path)>;
void SetPlacementCheck(PlacementCheck check);

// Makes every signal that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM,
// SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, the real-time signals and the rest) remove the
// temporary file of a write in progress before the program ends as the signal says, so a stopped run
// leaves nothing behind; a signal ignored when the program started stays ignored. SIGXFSZ (a file
// over `ulimit -f`) is ignored, so such a write fails as "File too large" and is cleaned up like any
// failed write. SIGKILL cannot be caught: it leaves a temporary file (named .velomorph-*.tmp) behind.
// Call once, early in main.
void RemoveTemporaryFilesOnSignals();

// Holds those signals back in the calling thread for its lifetime; a thread started meanwhile
// inherits the hold for good. Helper threads (a reader, the progress line) are started under one,
// so a stop always reaches the thread that writes files, which registers each temporary file with
// the signals held: taken by another thread in between, a stop would end the program before the
// file it had just made was known. (Nothing to hold on Windows.)
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
  alignas(8) unsigned char previous_[128];  // the thread's signal mask before, as the system keeps it
};
