// Whole-file reading and writing: the size limit, and failures named by file.
#include "file_bytes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

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

TEST(FileBytes, NamesTheFileWhenWritingFails) {
#if defined(_WIN32)
  GTEST_SKIP() << "Windows has no device that is always full";
#endif
  std::string error;
  EXPECT_FALSE(WriteFileBytes("/dev/full", "some bytes", error));
  EXPECT_EQ(error, "/dev/full: cannot write: No space left on device");
}

}  // namespace
