// Whole-file reading and writing: the size limit, and failures named by file.
#include "file_bytes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace {

std::string tempPath(const std::string& leaf) {
  return ::testing::TempDir() + "velomorph_objio_" + std::to_string(getpid()) + "_" + leaf;
}

TEST(FileBytes, WritesAndReadsBackEveryByte) {
  const std::string path = tempPath("bytes.bin");
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7);
  std::string error, back;
  ASSERT_TRUE(WriteFileBytes(path, bytes, error)) << error;
  ASSERT_TRUE(ReadFileBytes(path, bytes.size(), back, error)) << error;
  EXPECT_EQ(back, bytes);
  std::remove(path.c_str());
}

TEST(FileBytes, RefusesAFileOverTheLimit) {
  const std::string path = tempPath("limit.bin");
  std::string error, back = "stale";
  ASSERT_TRUE(WriteFileBytes(path, std::string(100001, 'x'), error)) << error;
  EXPECT_FALSE(ReadFileBytes(path, 100000, back, error));
  EXPECT_EQ(error, path + ": larger than the limit of 100000 bytes");
  EXPECT_TRUE(back.empty());
  std::remove(path.c_str());
}

// Results are often written over their own inputs: an existing file changes only once the new
// content is whole, keeps its permissions, and nothing is left beside it.
TEST(FileBytes, ReplacesAnExistingFileOnlyWhenTheWriteSucceeds) {
  const std::string folder = tempPath("replace_folder");
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/replaced.obj";
  std::string error, back;
  ASSERT_TRUE(WriteFileBytes(path, "old sculpt", error)) << error;
  ASSERT_TRUE(WriteFileBytes(path, "new result", error)) << error;
  ASSERT_TRUE(ReadFileBytes(path, 100, back, error)) << error;
  EXPECT_EQ(back, "new result");
#if !defined(_WIN32)
  // The write fails half way (the process may not make files this large): the file is as it was.
  std::filesystem::permissions(path, std::filesystem::perms(0600));
  struct rlimit limit;
  getrlimit(RLIMIT_FSIZE, &limit);
  const struct rlimit small = {4, limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const bool written = WriteFileBytes(path, "longer than four bytes", error);
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(written);
  EXPECT_EQ(error.rfind(path + ": cannot write", 0), 0u) << error;
  ASSERT_TRUE(ReadFileBytes(path, 100, back, error)) << error;
  EXPECT_EQ(back, "new result");
  ASSERT_TRUE(WriteFileBytes(path, "newer", error)) << error;
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0600));
#endif
  EXPECT_EQ(std::vector<std::string>{"replaced.obj"}, [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
  }());
  std::filesystem::remove_all(folder);
}

TEST(FileBytes, WritesThroughALinkAndKeepsIt) {
#if defined(_WIN32)
  GTEST_SKIP() << "making links needs a privilege on Windows";
#endif
  const std::string target = tempPath("linked.obj"), link = tempPath("link.obj");
  std::string error, back;
  ASSERT_TRUE(WriteFileBytes(target, "before", error)) << error;
  std::filesystem::remove(link);
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(WriteFileBytes(link, "after", error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  ASSERT_TRUE(ReadFileBytes(target, 100, back, error)) << error;
  EXPECT_EQ(back, "after");
  std::filesystem::remove(link);
  std::remove(target.c_str());
}

TEST(FileBytes, NamesTheFileWhenWritingFails) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no device that is always full";
#endif
  std::string error;
  EXPECT_FALSE(WriteFileBytes("/dev/full", "some bytes", error));
  EXPECT_EQ(error, "/dev/full: cannot write: No space left on device");
}

}  // namespace
