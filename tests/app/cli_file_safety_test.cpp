// velomorph writes only the files it was asked to write and never loses one it was given: no
// temporary name can be planted, one file named twice is refused before anything is touched, a
// replaced file keeps its permissions, a read-only one is left alone, what is not a file (or is far
// too large) is refused before it is read, a stopped run leaves nothing behind, a file changed or
// re-linked while the run works is caught before anything is replaced, a stream is written as a
// stream, and no plug-in is looked for where the user did not say.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli_fixture.h"
#include "file_paths.h"
#include "obj_mesh_file.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

class FileSafety : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    Write("base.obj", grid.ObjText(grid.Base()));
    Write("sculpt.obj", grid.ObjText(grid.Sculpt()));
    Write("victim.txt", "someone else's work\n");
  }

  // Every file of the test's folder (and its sub-folders) with its bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Path(""))) {
      if (!fs::is_symlink(entry.symlink_status()) && entry.is_regular_file()) {
        files[fs::relative(entry.path(), Path("")).string()] = Read(fs::relative(entry.path(), Path("")).string());
      }
    }
    return files;
  }

  const MirrorGrid grid{0};
};

#if !defined(_WIN32)

TEST_F(FileSafety, TemporaryNamesCannotBePlanted) {
  fs::create_directory(Path("out"));
  // Links where a predictable temporary name would be, all leading to one victim.
  for (const char* planted : {"out/sculpt.obj.saving", "sel.txt.saving", "scene.vms.saving", "base.svg.saving"}) {
    fs::create_symlink(Path("victim.txt"), Path(planted));
  }
  RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out-dir", "out", "--carry-selection",
                     "--selection-out", "sel.txt", "--save-scene", "scene.vms"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = Run({"check", "--target", "base.obj", "--svg", "base.svg"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Read("victim.txt"), "someone else's work\n");
  for (const char* written : {"out/sculpt.obj", "sel.txt", "scene.vms", "base.svg"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Path(written)))) << written;
  }
  EXPECT_EQ(Entries("out"), (std::vector<std::string>{"sculpt.obj", "sculpt.obj.saving"}));
}

TEST_F(FileSafety, OneFileNamedTwiceIsRefusedBeforeAnythingIsWritten) {
  fs::create_symlink(Path("base.obj"), Path("base-link.obj"));
  fs::create_directory(Path("sub"));
  const std::vector<std::string> apply = {"apply", "--target", "base.obj", "--input", "sculpt.obj"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = apply;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  const std::vector<std::vector<std::string>> cases = {
      with({"--out", "base.obj"}),
      with({"--out", "base-link.obj"}),
      with({"--out", "sub/../base.obj"}),
      with({"--out", "out.obj", "--save-scene", "sculpt.obj"}),
      with({"--out", "out.obj", "--carry-selection", "--selection-out", "out.obj"}),
      with({"--out", "out.obj", "--save-scene", "out.obj"}),
      {"check", "--target", "base.obj", "--svg", "./base.obj"},
  };
  const auto before = Snapshot();
  for (const auto& args : cases) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.err;
    EXPECT_NE(r.err.find("is the same file as"), std::string::npos) << r.err;
    EXPECT_EQ(Snapshot(), before) << args.back();
  }
}

TEST_F(FileSafety, ReplacedFilesKeepTheirModeAndReadOnlyFilesAreLeftAlone) {
  Write("out.obj", "private\n");
  fs::permissions(Path("out.obj"), fs::perms(0600));
  const std::vector<std::string> args = {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj"};
  RunResult r = Run(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(fs::status(Path("out.obj")).permissions(), fs::perms(0600));

  const std::string result = Read("out.obj");
  fs::permissions(Path("out.obj"), fs::perms(0444));
  r = Run(args);
  EXPECT_EQ(r.exitCode, 6);
  EXPECT_EQ(r.err, "velomorph: out.obj: cannot replace: the file is read-only\n");
  EXPECT_EQ(Read("out.obj"), result);
}

TEST_F(FileSafety, WhatIsNotAFileOrIsFarTooLargeIsRefusedBeforeItIsRead) {
  ASSERT_EQ(mkfifo(Path("pipe.obj").c_str(), 0600), 0);
  // Sparse: 2 GiB on paper, nothing on disk.
  for (const char* huge : {"huge.obj", "huge.vms"}) {
    Write(huge, "");
    fs::resize_file(Path(huge), std::uintmax_t(2) << 30);
  }
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"apply", "--target", "pipe.obj", "--input", "sculpt.obj", "--out", "out.obj"}, "pipe.obj: is not a regular file"},
      {{"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "out.obj", "--selection", "pipe.obj"},
       "pipe.obj: is not a regular file"},
      {{"check", "--target", "huge.obj"}, "huge.obj: larger than the limit of 1073741824 bytes"},
      {{"scene", "/dev/zero"}, "/dev/zero: is not a regular file"},
      {{"scene", "huge.vms"}, "huge.vms: not a Velomorph scene file"},
      {{"scene", "sub"}, "sub: is a folder, not a file"},
  };
  fs::create_directory(Path("sub"));
  for (const auto& c : cases) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.err, "velomorph: " + c.message + "\n");
  }
  EXPECT_FALSE(Exists("out.obj"));
}

// Runs velomorph in `folder` as the fixture's Run cannot: `prepare` runs in the child before the
// program starts (its streams, limits, a mount namespace of its own). With `watched` given, the
// first inotify event of `events` there calls `onEvent` with the child's pid. Returns how the run
// ended (128 + the signal that ended it); a run still going after two minutes is killed.
int runPrepared(const std::string& folder, const std::vector<std::string>& args, const std::function<void()>& prepare,
                const std::string& watched = {}, uint32_t events = 0,
                const std::function<void(pid_t)>& onEvent = nullptr) {
  const int watch = watched.empty() ? -1 : inotify_init1(IN_CLOEXEC);
  if (watch >= 0) inotify_add_watch(watch, watched.c_str(), events);
  const std::string program = std::string(VELOMORPH_BIN_DIR) + "/velomorph";
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    if (prepare) prepare();
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (watch >= 0) {
    alignas(inotify_event) char buffer[4096];
    if (read(watch, buffer, sizeof buffer) > 0 && onEvent) onEvent(pid);
    close(watch);
  }
  int status = 0;
  for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; ++waited) {
    if (waited == 12000) kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Standard output and error of a prepared run, to files beside the test's folder.
std::function<void()> outputTo(const std::string& out, const std::string& err, int outFlags = O_TRUNC) {
  return [=] {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | outFlags, 0644), e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || dup2(o, STDOUT_FILENO) < 0 || dup2(e, STDERR_FILENO) < 0) _exit(126);
  };
}

// A mount namespace of the child's own, so what it mounts is gone with it; 125 when the system does
// not allow one (no privilege), which the tests take as a reason to skip.
void ownMounts() {
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) _exit(125);
}

// The run paused the moment it has read `file` (its first close), while `change` alters the file
// system under it, then let go on.
std::function<void(pid_t)> pauseFor(const std::function<void()>& change) {
  return [change](pid_t pid) {
    kill(pid, SIGSTOP);
    int status = 0;
    waitpid(pid, &status, WUNTRACED);
    change();
    kill(pid, SIGCONT);
  };
}

class FileSafetyWhileRunning : public FileSafety {
 protected:
  void SetUp() override {
    FileSafety::SetUp();
    // Big enough that the run takes a while after its reads and while it writes: a symmetric cloud
    // of 600k points, and a sculpt of it whose negative side Mirror rewrites vertex by vertex.
    std::string cloud, sculpt;
    for (int i = 0; i < 300000; ++i) {
      const std::string x = std::to_string(1 + i % 13), yz = " " + std::to_string(i % 997) + " " + std::to_string(i / 997);
      cloud += "v " + x + yz + "\nv -" + x + yz + "\n";
      sculpt += "v " + x + yz + ".5\nv -" + x + yz + "\n";
    }
    Write("cloud.obj", cloud);
    Write("shape.obj", sculpt);
    fs::create_directory(Path("out"));
  }
  std::string Beside(const std::string& suffix) const {
    std::string folder = Path("");
    folder.pop_back();
    return folder + suffix;
  }
  const std::vector<std::string> apply = {"apply", "--target", "cloud.obj", "--input", "shape.obj",
                                          "--as", "mesh", "--quiet"};
  std::vector<std::string> Apply(std::vector<std::string> more) const {
    more.insert(more.begin(), apply.begin(), apply.end());
    return more;
  }
};

TEST_F(FileSafetyWhileRunning, AStoppedRunLeavesNoTemporaryBehind) {
  const auto noCore = [] {
    const rlimit none = {0, 0};
    setrlimit(RLIMIT_CORE, &none);
  };
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE, SIGUSR1, SIGALRM}) {
    // The stop can come after the result is already in place (the write takes milliseconds): then
    // the run is whole, and it is tried again until a stop lands while the temporary file exists.
    int ended = 0;
    for (int attempt = 0; attempt < 10 && ended != 128 + signal; ++attempt) {
      fs::remove(Path("out/shape.obj"));
      ended = runPrepared(Path(""), Apply({"--out-dir", "out"}), noCore, Path("out"), IN_CREATE,
                          [signal](pid_t pid) { kill(pid, signal); });
      if (ended == 0) {
        EXPECT_EQ(Entries("out"), std::vector<std::string>{"shape.obj"});
      }
    }
    EXPECT_EQ(ended, 128 + signal) << strsignal(signal);
    EXPECT_EQ(Entries("out"), std::vector<std::string>{}) << strsignal(signal);
  }
  // A result over `ulimit -f`: the write fails as any failed write does, and is cleaned up.
  const int ended = runPrepared(Path(""), Apply({"--out-dir", "out"}), [&] {
    const rlimit small = {1 << 20, 1 << 20};
    setrlimit(RLIMIT_FSIZE, &small);
    outputTo(Beside(".stdout"), Beside(".stderr"))();
  });
  EXPECT_EQ(ended, 6);
  EXPECT_NE(Read("../" + fs::path(Beside(".stderr")).filename().string()).find("File too large"), std::string::npos);
  EXPECT_EQ(Entries("out"), std::vector<std::string>{});
}

TEST_F(FileSafetyWhileRunning, ChangesMadeAfterTheReadAreCaughtBeforeAnythingIsReplaced) {
  const std::string errors = Beside(".stderr");
  const std::string errorsName = "../" + fs::path(errors).filename().string();
  // The input rewritten in place after it was read, same size and modification time (an edit
  // within one tick of a coarse clock, or put back with `touch -r`): only its bytes tell.
  const std::string shape = Read("shape.obj");
  int ended = runPrepared(Path(""), Apply({"--out-dir", "out"}), outputTo(Beside(".stdout"), errors),
                          Path("shape.obj"), IN_CLOSE_NOWRITE, pauseFor([&] {
                            struct stat before;
                            stat(Path("shape.obj").c_str(), &before);
                            const int file = open(Path("shape.obj").c_str(), O_WRONLY);
                            ASSERT_EQ(pwrite(file, "3", 1, 2), 1);  // "v 1 0 0.5" becomes "v 3 0 0.5"
                            const timespec times[2] = {before.st_atim, before.st_mtim};
                            futimens(file, times);
                            close(file);
                          }));
  EXPECT_EQ(ended, 6);
  EXPECT_NE(Read(errorsName).find("shape.obj: changed since it was read; out/shape.obj was not written"),
            std::string::npos)
      << Read(errorsName);
  EXPECT_EQ(Entries("out"), std::vector<std::string>{});
  EXPECT_EQ(Read("shape.obj").substr(3), shape.substr(3));

  // A new destination that becomes a link to the base while the input is read: the base is not
  // replaced, and the link stays as it was made.
  const std::string cloud = Read("cloud.obj");
  ended = runPrepared(Path(""), Apply({"--out", "new.obj"}), outputTo(Beside(".stdout"), errors), Path("shape.obj"),
                      IN_CLOSE_NOWRITE, pauseFor([&] { fs::create_symlink("cloud.obj", Path("new.obj")); }));
  EXPECT_EQ(ended, 6);
  EXPECT_NE(Read(errorsName).find("new.obj: now the same file as --target cloud.obj"), std::string::npos)
      << Read(errorsName);
  EXPECT_EQ(Read("cloud.obj"), cloud);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Path("new.obj"))));
  EXPECT_EQ(Entries(""),
            (std::vector<std::string>{"base.obj", "cloud.obj", "new.obj", "out", "sculpt.obj", "shape.obj", "victim.txt"}));
}

TEST_F(FileSafetyWhileRunning, AStreamReachedThroughALinkIsAppendedToNotReplaced) {
  const std::string log = Beside(".log");
  for (const char* stream : {"/dev/stdout", "/proc/self/fd/1"}) {
    Write("../" + fs::path(log).filename().string(), "earlier run\n");
    struct stat before;
    ASSERT_EQ(stat(log.c_str(), &before), 0);
    const int ended = runPrepared(Path(""), {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", stream, "--quiet"},
                                  outputTo(log, Beside(".stderr"), O_APPEND));
    EXPECT_EQ(ended, 0) << stream;
    struct stat after;
    ASSERT_EQ(stat(log.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << stream << ": the log was replaced";
    const std::string appended = Read("../" + fs::path(log).filename().string());
    ASSERT_EQ(appended.rfind("earlier run\n", 0), 0u) << stream;
    const ObjReadResult written = ParseObjText(appended.substr(12), "log");
    ASSERT_TRUE(written.ok) << written.error;
    ExpectPositions(written.mesh.positions, grid.Mirrored(grid.Sculpt(), true));
  }
  fs::remove(log);
}

TEST_F(FileSafety, SceneWithoutAnOutputFolderReplacesNoFile) {
  const std::string sculpt = "# the sculpt, kept as it is\no sculpt\n" + grid.ObjText(grid.Sculpt());
  Write("sculpt.obj", sculpt);
  RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "o.obj", "--save-scene", "sc.vms", "--quiet"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto before = Snapshot();
  r = Run({"scene", "sc.vms"});
  EXPECT_EQ(r.exitCode, 6);
  EXPECT_EQ(r.err, "velomorph: ./sculpt.obj: exists already; scene replaces files only in a folder given with --out-dir "
                   "(--out-dir . to replace it)\n");
  EXPECT_EQ(Snapshot(), before);
  // Named, the folder is the user's to overwrite.
  r = Run({"scene", "sc.vms", "--out-dir", ".", "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  ExpectPositions(ReadPositions("sculpt.obj"), grid.Mirrored(grid.Sculpt(), true));
}

TEST_F(FileSafety, NoPlugInIsLookedForWhereTheUserDidNotSay) {
  // Someone else's library, under the plug-in's name, in the current folder.
  fs::copy_file(FilePath(VELOMORPH_PLUGIN_PATH), Path("ambiflex.so"));
  const std::string err = Path("").substr(0, Path("").size() - 1) + ".stderr";
  // Without /proc the program cannot find its own folder: it says so rather than load ./ambiflex.so.
  const auto withoutProc = [&] {
    ownMounts();
    if (mount("none", "/proc", "tmpfs", 0, nullptr) != 0) _exit(125);
    outputTo("/dev/null", err)();
  };
  const int ended = runPrepared(Path(""), {"info"}, withoutProc);
  if (ended == 125) GTEST_SKIP() << "no mount namespace for the test without /proc";
#if !defined(__SANITIZE_ADDRESS__)
  // (A sanitizer build's leak check needs /proc, and ends such a run with its own failure.)
  EXPECT_EQ(ended, 3);
#endif
  EXPECT_NE(Read("../" + fs::path(err).filename().string())
                .find("velomorph: cannot find the folder this program runs from, where its plug-in ambiflex.so lies "
                      "(is /proc mounted?); give the plug-in with --plugin FILE\n"),
            std::string::npos)
      << Read("../" + fs::path(err).filename().string());
  // A name without a folder is a file of the current folder, never one the library search finds.
  RunResult r = Run({"--plugin", "libc.so.6", "info"});
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("./libc.so.6"), std::string::npos) << r.err;
}

TEST_F(FileSafetyWhileRunning, OutOfMemoryIsSaidAndLeavesNothingBehind) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit the test could set";
#endif
  // Memory running out at every stage in turn (reading, building, evaluating, writing): each run
  // either finishes whole or says it ran out of memory, exit 3, and leaves nothing behind.
  const std::string err = Beside(".stderr");
  int ranOut = 0;
  for (int megabytes = 30; megabytes <= 100; megabytes += 10) {
    fs::remove(Path("out/shape.obj"));
    const int ended = runPrepared(Path(""), Apply({"--out-dir", "out"}), [&] {
      const rlimit tight = {rlim_t(megabytes) << 20, rlim_t(megabytes) << 20};
      setrlimit(RLIMIT_AS, &tight);
      outputTo("/dev/null", err)();
    });
    const std::string said = Read("../" + fs::path(err).filename().string());
    if (ended == 0) {
      EXPECT_EQ(Entries("out"), std::vector<std::string>{"shape.obj"});
      continue;
    }
    ++ranOut;
    EXPECT_EQ(ended, 3) << megabytes << " MB: " << said;
    EXPECT_NE(said.find("memory"), std::string::npos) << megabytes << " MB: " << said;
    EXPECT_EQ(Entries("out"), std::vector<std::string>{}) << megabytes << " MB";
  }
  EXPECT_GT(ranOut, 0);
}

// A folder path longer than the system's limit, made one short step at a time; its files are reached
// through a descriptor of the folder, as no path to them can be opened.
class DeepFolder {
 public:
  explicit DeepFolder(const std::string& under) {
    int at = open(under.c_str(), O_RDONLY | O_DIRECTORY);
    for (int depth = 0; depth < kDepth; ++depth) {
      mkdirat(at, kStep.c_str(), 0755);
      const int next = openat(at, kStep.c_str(), O_RDONLY | O_DIRECTORY);
      close(at);
      at = next;
    }
    folder_ = at;
  }
  ~DeepFolder() {
    // Emptied from the bottom up, since remove_all cannot reach it by path.
    for (int depth = kDepth; depth > 0; --depth) {
      for (const char* name : {"o.obj", "s.txt", "made.obj", "link.obj"}) unlinkat(folder_, name, 0);
      const int up = openat(folder_, "..", O_RDONLY | O_DIRECTORY);
      close(folder_);
      folder_ = up;
      unlinkat(folder_, kStep.c_str(), AT_REMOVEDIR);
    }
    close(folder_);
  }
  bool Has(const char* name) const {
    struct stat st;
    return fstatat(folder_, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
  }
  // In the child of a prepared run: the current folder becomes this one.
  void Enter() const {
    for (int depth = 0; depth < kDepth; ++depth)
      if (chdir(kStep.c_str()) != 0) _exit(126);
  }
  static std::string Up(const std::string& name) {
    std::string path;
    for (int depth = 0; depth < kDepth; ++depth) path += "../";
    return path + name;
  }

 private:
  static constexpr int kDepth = 24;
  inline static const std::string kStep = std::string(200, 'd');
  int folder_ = -1;
};

TEST_F(FileSafety, OutputsGoWhereTheUserMeant) {
  // Under a current folder of over 4096 bytes two different new outputs are two files.
  {
    const DeepFolder deep(Path(""));
    const int ended = runPrepared(Path(""),
                                  {"apply", "--target", DeepFolder::Up("base.obj"), "--input", DeepFolder::Up("sculpt.obj"),
                                   "--out", "o.obj", "--carry-selection", "--selection-out", "s.txt", "--quiet"},
                                  [&] { deep.Enter(); });
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(deep.Has("o.obj") && deep.Has("s.txt"));
  }
  // A destination that is a link to a file not made yet stays a link: the file it names is made.
  fs::create_symlink("made.obj", Path("link.obj"));
  RunResult r = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "link.obj", "--quiet"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Path("link.obj"))));
  ExpectPositions(ReadPositions("made.obj"), grid.Mirrored(grid.Sculpt(), true));
  // A read-only file system is named as such.
  fs::create_directory(Path("ro"));
  const std::string err = Path("").substr(0, Path("").size() - 1) + ".stderr";
  const int ended = runPrepared(Path(""), {"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "ro/o.obj"}, [&] {
    ownMounts();
    if (mount("none", "ro", "tmpfs", MS_RDONLY, nullptr) != 0) _exit(125);
    outputTo("/dev/null", err)();
  });
  if (ended == 125) GTEST_SKIP() << "no mount namespace for the read-only file system";
  EXPECT_EQ(ended, 6);
  EXPECT_EQ(Read("../" + fs::path(err).filename().string()),
            "velomorph: ro: cannot create files in this folder: read-only file system (writing ro/o.obj)\n");
}

TEST_F(FileSafety, WhatIsPrintedIsWholeAndCannotBeForgedByAName) {
  // A report, the usage or the help that cannot reach standard output is a failure.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", "--target", "base.obj"}, {"info"}, {"--help"}, {"apply", "--help"}}) {
    const std::string err = Path("").substr(0, Path("").size() - 1) + ".stderr";
    EXPECT_EQ(runPrepared(Path(""), args, outputTo("/dev/full", err)), 6) << args[0];
    EXPECT_EQ(Read("../" + fs::path(err).filename().string()),
              "velomorph: standard output: cannot write: No space left on device\n")
        << args[0];
  }
  // A file name holding a newline, an escape sequence and a byte that is no UTF-8.
  const std::string name = "a\nvelomorph: done\x1B[2J\xFF.obj";
  Write(name, grid.ObjText(grid.Base()));
  RunResult r = Run({"check", "--target", name, "--svg", "pic.svg"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("a\\x0Avelomorph: done\\x1B[2J\\xFF.obj: mirror plane x = 0\n", 0), 0u) << r.out;
  r = Run({"apply", "--target", "base.obj", "--input", name, "--out", "x.obj"});
  EXPECT_EQ(r.ErrLines().size(), 1u) << r.err;
  EXPECT_EQ(r.err.find('\x1B'), std::string::npos);
  const std::string svg = Read("pic.svg");
  EXPECT_TRUE(std::none_of(svg.begin(), svg.end(), [](char c) { return (c < ' ' && c != '\n') || c == '\xFF'; }));
  // A gizmo too large for a float is refused, not drawn as "nan".
  r = Run({"gizmo", "--node-scale", "1e38", "--svg", "g.svg"});
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_FALSE(Exists("g.svg"));
}

TEST_F(FileSafety, InputsAreReadAsTheFilesOfTheirKind) {
  // Standard input that does not start like a scene is refused at its start, however long it runs on
  // (the writer keeps the pipe open for the whole run).
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  ASSERT_EQ(write(pipeEnds[1], "not a scene at all", 18), 18);
  const int ended = runPrepared(Path(""), {"scene", "-"}, [&] {
    dup2(pipeEnds[0], STDIN_FILENO);
    close(pipeEnds[1]);
    outputTo("/dev/null", "/dev/null")();
  });
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  EXPECT_EQ(ended, 3);
  // A selection file with a byte-order mark reads like the same file without.
  Write("sel.txt", grid.WeightsText({1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0}));
  Write("bom.txt", "\xEF\xBB\xBF" + Read("sel.txt"));
  RunResult plain = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "plain.obj", "--selection", "sel.txt"});
  RunResult marked = Run({"apply", "--target", "base.obj", "--input", "sculpt.obj", "--out", "bom.obj", "--selection", "bom.txt"});
  EXPECT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(marked.exitCode, 0) << marked.err;
  EXPECT_EQ(Read("bom.obj"), Read("plain.obj"));
}

#endif

}  // namespace
