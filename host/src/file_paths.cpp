// UTF-8 file names passed through on Linux and widened for the system's calls on Windows; reads
// that refuse what is not a file before reading it, and writes through exclusive temporary files.
#include "file_paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <system_error>
#include <vector>

#include "byte_digest.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include "strclass.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string failure(const std::string& what, int error) {
  return error != 0 ? what + ": " + std::strerror(error) : what;
}

const char kChangedSinceRead[] = "changed since it was read";
constexpr size_t kReadAgainPiece = size_t(1) << 20;

std::string tooLarge(size_t maxBytes) { return "larger than the limit of " + std::to_string(maxBytes) + " bytes"; }

// The temporary file of the write in progress, for the signal handler; one at a time, since every
// write finishes before the next begins. Plain storage: the handler may only read it.
char g_temporary[4096];
volatile std::sig_atomic_t g_temporaryActive = 0;

PlacementCheck& placementCheck() {
  static PlacementCheck check;
  return check;
}

extern "C" void removeTemporaryAndStop(int signal) {
  if (g_temporaryActive != 0) {
#if defined(_WIN32)
    std::remove(g_temporary);
#else
    unlink(g_temporary);
#endif
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// A name nobody can guess before the write: 64 random bits.
std::string temporaryNameIn(const std::filesystem::path& folder) {
  static std::random_device entropy;
  static std::mt19937_64 random((std::uint64_t(entropy()) << 32) ^ entropy());
  char leaf[40];
  std::snprintf(leaf, sizeof(leaf), ".velomorph-%016llx.tmp", static_cast<unsigned long long>(random()));
  return (folder / leaf).u8string();
}

}  // namespace

#if defined(_WIN32)

namespace {

std::wstring wide(const std::string& text) { return std::wstring(MSTR::FromUTF8(text).data()); }

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

// Console stops arrive on another thread on Windows; there is nothing to hold.
using SignalsHeld = StopSignalsHeld;

int createExclusive(const std::string& path) {
  return _wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int renameOver(const std::string& from, const std::string& to) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
  return errnoOf(GetLastError());
}

// Without MOVEFILE_REPLACE_EXISTING the move fails where a file has the name.
int renameNew(const std::string& from, const std::string& to) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  return errnoOf(GetLastError());
}

void removeFile(const std::string& path) { _wremove(wide(path).c_str()); }

// Windows keeps no mode bits beyond read-only, which WriteProblem refuses, and no owner to keep.
void keepAccessOf(int, const std::filesystem::path&) {}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

std::filesystem::path FilePath(const std::string& path) { return std::filesystem::path(wide(path)); }

namespace {

// The stamp of an open file.
FileStamp stampOf(std::FILE* file) {
  FileStamp stamp;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &info)) {
    stamp.known = true;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.file = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.modified = static_cast<long long>((static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                            info.ftLastWriteTime.dwLowDateTime);
  }
  return stamp;
}

}  // namespace

FileStamp StampOfPath(const std::string& path) {
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return FileStamp();
  const FileStamp stamp = stampOf(file);
  std::fclose(file);
  return stamp;
}

std::string ReadRegularFile(const std::string& path, size_t maxBytes, std::string& r_bytes,
                            std::string_view requiredStart, const char* startMismatch, FileStamp* r_stamp) {
  r_bytes.clear();
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return failure("cannot open", errno);
  struct _stat64 st;
  std::string problem;
  if (_fstat64(_fileno(file), &st) != 0) problem = failure("cannot read", errno);
  else if ((st.st_mode & _S_IFMT) == _S_IFDIR) problem = "is a folder, not a file";
  else if ((st.st_mode & _S_IFMT) != _S_IFREG) problem = "is not a regular file";
  else if (static_cast<unsigned long long>(st.st_size) > maxBytes) problem = tooLarge(maxBytes);
  if (problem.empty()) {
    try {
      const size_t size = static_cast<size_t>(st.st_size);
      r_bytes.resize(std::min(requiredStart.size(), size));
      size_t got = std::fread(r_bytes.data(), 1, r_bytes.size(), file);
      if (got < requiredStart.size() || r_bytes != requiredStart) {
        problem = startMismatch;
      } else {
        r_bytes.resize(size);
        got += std::fread(r_bytes.data() + got, 1, size - got, file);
        if (got < size || std::fgetc(file) != EOF) problem = "changed while it was read";
      }
    } catch (const std::bad_alloc&) {
      problem = "not enough memory to read it";
    }
  }
  if (problem.empty() && r_stamp != nullptr) {
    *r_stamp = stampOf(file);
    r_stamp->digested = true;
    r_stamp->digest = ByteDigest::Of(r_bytes);
  }
  std::fclose(file);
  if (!problem.empty()) r_bytes = std::string();
  return problem;
}

std::string ReadFileAgain(const std::string& path, const FileStamp& stamp,
                          const std::function<bool(std::string_view)>& take) {
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) return failure("cannot open", errno);
  std::string problem;
  if (!(stampOf(file) == stamp)) problem = kChangedSinceRead;
  std::string piece(kReadAgainPiece, '\0');
  ByteDigest digest;
  bool whole = false;
  while (problem.empty()) {
    const size_t got = std::fread(piece.data(), 1, piece.size(), file);
    if (got == 0) {
      if (std::ferror(file)) problem = failure("cannot read", EIO);
      whole = true;
      break;
    }
    digest.Add(std::string_view(piece.data(), got));
    if (!take(std::string_view(piece.data(), got))) break;
  }
  if (problem.empty() && !(stampOf(file) == stamp)) problem = kChangedSinceRead;
  if (problem.empty() && whole && stamp.digested && digest.Value() != stamp.digest) problem = kChangedSinceRead;
  std::fclose(file);
  return problem;
}

std::string WriteProblem(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::string();
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "is a folder, not a file";
  if (attributes & FILE_ATTRIBUTE_READONLY) return "cannot replace: the file is read-only";
  return std::string();
}

bool NamesOpenStream(const std::string&) { return false; }

StopSignalsHeld::StopSignalsHeld() {}
StopSignalsHeld::~StopSignalsHeld() {}

void RemoveTemporaryFilesOnSignals() {
  for (int stop : {SIGINT, SIGTERM, SIGABRT, SIGBREAK}) std::signal(stop, removeTemporaryAndStop);
}

#else

namespace {

// Every signal whose default action ends the program and that can be caught. SIGXFSZ is not among
// them: it is ignored, so an oversized write fails like any other. Under AddressSanitizer the
// program's own faults are left to the sanitizer, whose report would otherwise be lost.
std::vector<int> stopSignals() {
  std::vector<int> stops = {SIGHUP,  SIGINT,  SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM,
                            SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO, SIGPWR, SIGSTKFLT,
#if !defined(__SANITIZE_ADDRESS__)
                            SIGSEGV, SIGBUS,  SIGFPE,  SIGILL,  SIGTRAP, SIGSYS,
#endif
  };
  for (int realTime = SIGRTMIN; realTime <= SIGRTMAX; ++realTime) stops.push_back(realTime);
  return stops;
}

sigset_t stopSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int stop : stopSignals()) sigaddset(&set, stop);
  return set;
}

// Held while a temporary file is made and registered, and while it is put in place and let go, so
// it is never made without being registered for removal, nor registered after it is gone.
using SignalsHeld = StopSignalsHeld;

int createExclusive(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
}

int renameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A rename that fails where a file has the name. File systems without it take a hard link instead,
// which fails alike, and then the temporary name goes.
int renameNew(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (link(from.c_str(), to.c_str()) != 0) return errno;
  unlink(from.c_str());
  return 0;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

mode_t creationMask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// The new file takes the replaced file's permissions, owner and group; a new file gets what the
// user's umask gives any new file. Where the group cannot be kept (the user is not in it), the
// group's permissions are dropped rather than granted to the user's own group.
void keepAccessOf(int file, const std::filesystem::path& replaced) {
  struct stat old;
  if (stat(replaced.c_str(), &old) != 0) {
    fchmod(file, (S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP | S_IROTH | S_IWOTH) & ~creationMask());
    return;
  }
  mode_t mode = old.st_mode & 07777;
  if (fchown(file, old.st_uid, old.st_gid) != 0 && fchown(file, static_cast<uid_t>(-1), old.st_gid) != 0) {
    mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
  }
  fchmod(file, mode);
}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::filesystem::path FilePath(const std::string& path) { return std::filesystem::path(path); }

namespace {

FileStamp stampOf(const struct stat& st) {
  FileStamp stamp;
  stamp.known = true;
  stamp.device = static_cast<unsigned long long>(st.st_dev);
  stamp.file = static_cast<unsigned long long>(st.st_ino);
  stamp.size = static_cast<unsigned long long>(st.st_size);
  stamp.modified = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return stamp;
}

// The stamp of an open file; a file that cannot be examined matches no stamp.
FileStamp stampOf(int file) {
  struct stat st;
  return fstat(file, &st) == 0 ? stampOf(st) : FileStamp();
}

}  // namespace

FileStamp StampOfPath(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? stampOf(st) : FileStamp();
}

std::string ReadRegularFile(const std::string& path, size_t maxBytes, std::string& r_bytes,
                            std::string_view requiredStart, const char* startMismatch, FileStamp* r_stamp) {
  r_bytes.clear();
  // Without O_NONBLOCK, opening a pipe would wait for a writer before the check below could run.
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return failure("cannot open", errno);
  struct stat st;
  std::string problem;
  if (fstat(file, &st) != 0) problem = failure("cannot read", errno);
  else if (S_ISDIR(st.st_mode)) problem = "is a folder, not a file";
  else if (!S_ISREG(st.st_mode)) problem = "is not a regular file";
  else if (static_cast<unsigned long long>(st.st_size) > maxBytes) problem = tooLarge(maxBytes);
  // Reads [at, end) of r_bytes; false with `problem` set on an error or a file cut short.
  auto readRange = [&](size_t at, size_t end) {
    while (at < end) {
      const ssize_t got = read(file, r_bytes.data() + at, end - at);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        problem = got < 0 ? failure("cannot read", errno) : "changed while it was read";
        return false;
      }
      at += static_cast<size_t>(got);
    }
    return true;
  };
  if (problem.empty()) {
    try {
      // The start is judged before memory for the whole file is taken.
      const size_t size = static_cast<size_t>(st.st_size);
      const size_t head = std::min(requiredStart.size(), size);
      r_bytes.resize(head);
      if (readRange(0, head)) {
        if (head < requiredStart.size() || r_bytes != requiredStart) problem = startMismatch;
        else {
          r_bytes.resize(size);
          char more;
          if (readRange(head, size) && read(file, &more, 1) > 0) problem = "changed while it was read";
        }
      }
    } catch (const std::bad_alloc&) {
      problem = "not enough memory to read it";
    }
  }
  if (problem.empty() && r_stamp != nullptr) {
    *r_stamp = stampOf(st);
    r_stamp->digested = true;
    r_stamp->digest = ByteDigest::Of(r_bytes);
  }
  close(file);
  if (!problem.empty()) r_bytes = std::string();
  return problem;
}

std::string ReadFileAgain(const std::string& path, const FileStamp& stamp,
                          const std::function<bool(std::string_view)>& take) {
  const int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return failure("cannot open", errno);
  std::string problem;
  if (!(stampOf(file) == stamp)) problem = kChangedSinceRead;
  std::string piece(kReadAgainPiece, '\0');
  ByteDigest digest;
  bool whole = false;
  while (problem.empty()) {
    const ssize_t got = read(file, piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) problem = failure("cannot read", errno);
    whole = got == 0;
    if (got <= 0) break;
    const std::string_view bytes(piece.data(), static_cast<size_t>(got));
    digest.Add(bytes);
    if (!take(bytes)) break;
  }
  // Same file, size and time are not enough: the bytes read again must be the bytes read.
  if (problem.empty() && !(stampOf(file) == stamp)) problem = kChangedSinceRead;
  if (problem.empty() && whole && stamp.digested && digest.Value() != stamp.digest) problem = kChangedSinceRead;
  close(file);
  return problem;
}

std::string WriteProblem(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::string();
  if (S_ISDIR(st.st_mode)) return "is a folder, not a file";
  if (!S_ISREG(st.st_mode) || NamesOpenStream(path)) return std::string();
  if (access(path.c_str(), W_OK) != 0 && errno == EROFS) return "cannot replace: read-only file system";
  if (access(path.c_str(), W_OK) != 0 || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return "cannot replace: the file is read-only";
  }
  return std::string();
}

namespace {

// Where a path reaches a process's descriptor links: which process and which descriptor.
struct DescriptorLink {
  bool found = false;
  bool ours = false;    // a descriptor of this program, written through a copy of it
  int descriptor = -1;  // -1: the link's name is no descriptor number
};

// The folder of a process's descriptor links as the system resolves it: /proc/<pid>/fd or
// /proc/<pid>/task/<tid>/fd. Its entries are links only in name: opening one reopens the stream.
bool isDescriptorFolder(const std::filesystem::path& folder, long& r_process) {
  std::vector<std::string> parts;
  for (const std::filesystem::path& part : folder) parts.push_back(part.string());
  if ((parts.size() != 4 && parts.size() != 6) || parts[0] != "/" || parts[1] != "proc" || parts.back() != "fd" ||
      (parts.size() == 6 && parts[3] != "task")) {
    return false;
  }
  char* end = nullptr;
  r_process = std::strtol(parts[2].c_str(), &end, 10);
  return !parts[2].empty() && *end == '\0';
}

// Follows `path` link by link (folders resolved at each step) until it stands in a descriptor
// folder, or ends at something that is no link.
DescriptorLink descriptorLinkOf(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path at = FilePath(path);
  for (int hop = 0; hop < 40; ++hop) {
    const fs::path folder = fs::canonical(at.has_parent_path() ? at.parent_path() : fs::path("."), ec);
    if (ec) return DescriptorLink();
    long process = 0;
    if (isDescriptorFolder(folder, process)) {
      DescriptorLink link;
      link.found = true;
      link.ours = process == static_cast<long>(getpid());
      const std::string leaf = at.filename().string();
      char* end = nullptr;
      const long number = std::strtol(leaf.c_str(), &end, 10);
      if (!leaf.empty() && *end == '\0' && number >= 0 && number <= INT_MAX) link.descriptor = static_cast<int>(number);
      return link;
    }
    struct stat st;
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return DescriptorLink();
    const fs::path target = fs::read_symlink(at, ec);
    if (ec) return DescriptorLink();
    at = target.is_absolute() ? target : folder / target;
  }
  return DescriptorLink();
}

}  // namespace

bool NamesOpenStream(const std::string& path) { return descriptorLinkOf(path).found; }

StopSignalsHeld::StopSignalsHeld() {
  static_assert(sizeof(sigset_t) <= sizeof(previous_) && alignof(sigset_t) <= 8, "room for a signal set");
  static const sigset_t stops = stopSignalSet();
  pthread_sigmask(SIG_BLOCK, &stops, reinterpret_cast<sigset_t*>(previous_));
}

StopSignalsHeld::~StopSignalsHeld() { pthread_sigmask(SIG_SETMASK, reinterpret_cast<sigset_t*>(previous_), nullptr); }

void RemoveTemporaryFilesOnSignals() {
  struct sigaction action = {};
  action.sa_handler = removeTemporaryAndStop;
  // One stop at a time: a second signal waits until the first has removed the file.
  action.sa_mask = stopSignalSet();
  for (int stop : stopSignals()) {
    struct sigaction before = {};
    // A signal the program was started ignoring (nohup's SIGHUP) stays ignored.
    if (sigaction(stop, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(stop, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

#endif

namespace {

// Writes and closes; a full disk often shows only at the close. Content that throws (runs out of
// memory) still has the file closed.
std::string writeAndClose(std::FILE* file, const FilePieces& content) {
  int writeError = 0;
  bool written = false;
  try {
    written = content([&](std::string_view piece) {
      if (std::fwrite(piece.data(), 1, piece.size(), file) == piece.size()) return true;
      writeError = errno;
      return false;
    });
  } catch (...) {
    std::fclose(file);
    throw;
  }
  const bool closed = std::fclose(file) == 0;
  if (!written) return failure("cannot write", writeError);
  if (!closed) return failure("cannot write", errno);
  return std::string();
}

// A device, a pipe or a socket, or a stream reached through a descriptor link: written as it is.
// A pipe without a reader is refused rather than waited for. One of the program's own descriptors
// (/dev/stdout) is written through a copy of it, so the output lands where that stream stands and
// appends when it appends; another process's is opened without truncating it, appending to a file.
std::string writeDirectly(const std::string& path, const FilePieces& content) {
#if defined(_WIN32)
  std::FILE* file = OpenFile(path, "wb");
#else
  int handle = -1;
  const DescriptorLink link = descriptorLinkOf(path);
  if (link.found && link.ours) {
    // What the program printed on that stream before goes first.
    std::fflush(nullptr);
    handle = link.descriptor >= 0 ? fcntl(link.descriptor, F_DUPFD_CLOEXEC, 0) : -1;
    if (link.descriptor < 0) errno = EBADF;
  } else {
    struct stat st;
    const bool regular = stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    handle = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | (regular ? O_APPEND : 0));
    if (handle >= 0) fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) & ~O_NONBLOCK);
  }
  std::FILE* file = handle >= 0 ? fdopen(handle, "wb") : nullptr;
  if (file == nullptr && handle >= 0) close(handle);
#endif
  if (file == nullptr) return errno == ENXIO ? "cannot write: nothing reads from the pipe" : failure("cannot open for writing", errno);
  return writeAndClose(file, content);
}

}  // namespace

std::filesystem::path ReplacedFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path given = FilePath(path);
  fs::path at = given;
  // Followed one link at a time rather than resolved whole, so a link to a file not made yet (a
  // dangling link) leads to that file instead of being taken for the file itself.
  for (int hop = 0; fs::is_symlink(fs::symlink_status(at, ec)); ++hop) {
    const fs::path target = fs::read_symlink(at, ec);
    if (ec || hop == 40) return given;  // unreadable, or a loop: the system refuses the write itself
    at = target.is_absolute() ? target : at.parent_path() / target;
  }
  if (at == given) return given;
  const fs::path folder = fs::weakly_canonical(at.has_parent_path() ? at.parent_path() : fs::path("."), ec);
  return ec ? at : folder / at.filename();
}

std::string WriteFileReplacing(const std::string& path, std::string_view bytes, bool replace) {
  return WriteFileReplacing(
      path, [bytes](const std::function<bool(std::string_view)>& put) { return put(bytes); }, replace);
}

bool WritesDirectly(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(FilePath(path), ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
      !std::filesystem::is_directory(status)) {
    return true;
  }
  return NamesOpenStream(path);
}

void SetPlacementCheck(PlacementCheck check) { placementCheck() = std::move(check); }

namespace {

// Why the finished write to `path`, meant for `replaced`, must not be put in place, or empty.
std::string placementProblem(const std::string& path, const std::filesystem::path& replaced) {
  if (ReplacedFile(path) != replaced) return "now leads to another file (changed while the result was written): not replaced";
  return placementCheck() ? placementCheck()(path) : std::string();
}

}  // namespace

std::string WriteFileReplacing(const std::string& path, const FilePieces& content, bool replace) {
  if (WritesDirectly(path)) return writeDirectly(path, content);
  if (std::string problem = WriteProblem(path); !problem.empty()) return problem;

  const std::filesystem::path replaced = ReplacedFile(path);
  const std::string destination = replaced.u8string();
  std::string temporary;
  std::FILE* file = nullptr;
  {
    SignalsHeld held;
    int handle = -1;
    for (int attempt = 0; attempt < 16 && handle < 0; ++attempt) {
      temporary = temporaryNameIn(replaced.parent_path().empty() ? std::filesystem::path(".") : replaced.parent_path());
      handle = createExclusive(temporary);
      if (handle < 0 && errno != EEXIST) break;
    }
    if (handle < 0) return failure("cannot create", errno);
    if (temporary.size() < sizeof(g_temporary)) {
      std::memcpy(g_temporary, temporary.c_str(), temporary.size() + 1);
      g_temporaryActive = 1;
    }
    keepAccessOf(handle, replaced);
#if defined(_WIN32)
    file = _fdopen(handle, "wb");
    if (file == nullptr) _close(handle);
#else
    file = fdopen(handle, "wb");
    if (file == nullptr) close(handle);
#endif
  }
  std::string written;
  try {
    written = file != nullptr ? writeAndClose(file, content) : failure("cannot write", errno);
  } catch (...) {
    // The content ran out of memory: the temporary goes as it does for any write that fails.
    SignalsHeld held;
    removeFile(temporary);
    g_temporaryActive = 0;
    throw;
  }
  SignalsHeld held;
  if (written.empty()) written = placementProblem(path, replaced);
  if (written.empty()) {
    const int renameError = replace ? renameOver(temporary, destination) : renameNew(temporary, destination);
    if (renameError == EEXIST && !replace) written = "exists already: not replaced";
    else if (renameError != 0) written = failure("cannot replace", renameError);
  }
  if (!written.empty()) removeFile(temporary);
  g_temporaryActive = 0;
  return written;
}
