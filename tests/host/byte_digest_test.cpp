// The digest that proves a file read again holds the bytes it held: XXH64 as published, and the
// same value however the bytes are cut into pieces (the writer reads a file again a megabyte at a
// time, the first read takes it whole).
#include <gtest/gtest.h>

#include <string>

#include "byte_digest.h"

TEST(ByteDigest, IsXxh64AndTheSameWhateverThePieces) {
  // Published XXH64 values (seed 0): below one 32-byte stripe and beyond it.
  EXPECT_EQ(ByteDigest::Of(""), 0xEF46DB3751D8E999ULL);
  EXPECT_EQ(ByteDigest::Of("a"), 0xD24EC4F1A98C6E5BULL);
  EXPECT_EQ(ByteDigest::Of("abc"), 0x44BC2CF5AD770999ULL);
  EXPECT_EQ(ByteDigest::Of("Nobody inspects the spammish repetition"), 0xFBCEA83C8A378BF1ULL);

  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += char(i * 37 + i / 7);
  const std::uint64_t whole = ByteDigest::Of(bytes);
  for (size_t step = 1; step <= 70; ++step) {
    ByteDigest pieces;
    for (size_t at = 0; at < bytes.size(); at += step) pieces.Add(std::string_view(bytes).substr(at, step));
    EXPECT_EQ(pieces.Value(), whole) << "pieces of " << step;
  }
  // One byte changed anywhere, the size kept: another digest.
  for (size_t at : {size_t(0), size_t(31), size_t(32), size_t(500), bytes.size() - 1}) {
    std::string edited = bytes;
    edited[at] ^= 1;
    EXPECT_NE(ByteDigest::Of(edited), whole) << at;
  }
}
