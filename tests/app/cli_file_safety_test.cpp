// velomorph writes only the files it was asked to write and never loses one it was given: no
// temporary name can be planted, one file named twice is refused before anything is touched, a
// replaced file keeps its permissions, a read-only one is left alone, what is not a file (or is far
// too large) is refused before it is read, and a stopped run leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli_fixture.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/inotify.h>
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

// Runs velomorph in `folder` and stops it with `signal` the moment it creates a file in `watched`.
// Returns how it ended (128 + the signal when the signal ended it).
int stopWhenAFileAppears(const std::string& folder, const std::string& watched, const std::vector<std::string>& args,
                         int signal) {
  const int watch = inotify_init1(IN_CLOEXEC);
  inotify_add_watch(watch, watched.c_str(), IN_CREATE);
  const std::string program = std::string(VELOMORPH_BIN_DIR) + "/velomorph";
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  alignas(inotify_event) char events[4096];
  if (read(watch, events, sizeof events) > 0) kill(pid, signal);
  close(watch);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

TEST_F(FileSafety, AStoppedRunLeavesNoTemporaryBehind) {
  // Big enough that writing the result takes a while: a symmetric cloud of 600k points, and a
  // sculpt of it whose negative side Mirror rewrites vertex by vertex.
  std::string cloud, sculpt;
  for (int i = 0; i < 300000; ++i) {
    const std::string x = std::to_string(1 + i % 13), yz = " " + std::to_string(i % 997) + " " + std::to_string(i / 997);
    cloud += "v " + x + yz + "\nv -" + x + yz + "\n";
    sculpt += "v " + x + yz + ".5\nv -" + x + yz + "\n";
  }
  Write("cloud.obj", cloud);
  Write("sculpt.obj", sculpt);
  fs::create_directory(Path("out"));
  for (int signal : {SIGTERM, SIGINT}) {
    // The stop can come after the result is already in place (the write takes milliseconds): then
    // the run is whole, and it is tried again until a stop lands while the temporary file exists.
    int ended = 0;
    for (int attempt = 0; attempt < 10 && ended != 128 + signal; ++attempt) {
      fs::remove(Path("out/sculpt.obj"));
      ended = stopWhenAFileAppears(Path(""), Path("out"),
                                   {"apply", "--target", "cloud.obj", "--input", "sculpt.obj", "--out-dir", "out",
                                    "--as", "mesh", "--quiet"},
                                   signal);
      if (ended == 0) {
        EXPECT_EQ(Entries("out"), std::vector<std::string>{"sculpt.obj"});
      }
    }
    EXPECT_EQ(ended, 128 + signal);
    EXPECT_EQ(Entries("out"), std::vector<std::string>{});
  }
}

#endif

}  // namespace
