// BitArray: bits dropped by a resize read clear, writes outside the count are ignored, and a read
// outside the count is a fault, as the real host's debug build asserts.
#include <gtest/gtest.h>

#include "bitarray.h"

namespace {

TEST(BitArrayDeathTest, ReadingOutsideTheCountAborts) {
  BitArray bits(10);
  bits.SetAll();
  EXPECT_EQ(bits.NumberSet(), 10);
  EXPECT_EQ(bits[9], 1);
  EXPECT_DEATH(bits[10], "outside its count");
  EXPECT_DEATH(bits[-1], "outside its count");
  BitArray empty;
  EXPECT_DEATH(empty[0], "outside its count");
}

TEST(BitArray, WritesOutsideTheCountAreIgnored) {
  BitArray bits(5);
  bits.Set(5);
  bits.Set(-1);
  bits.Set(200);
  EXPECT_EQ(bits.NumberSet(), 0);
  bits.Set(4);
  bits.Clear(70);
  EXPECT_EQ(bits.NumberSet(), 1);
}

TEST(BitArray, ShrinkingAndGrowingAgainKeepsTheDroppedBitsClear) {
  for (int shrunk : {1, 10, 63, 64, 65, 100}) {
    BitArray bits(130);
    bits.SetAll();
    bits.SetSize(shrunk, 1);
    EXPECT_EQ(bits.NumberSet(), shrunk) << shrunk;
    bits.SetSize(130, 1);
    EXPECT_EQ(bits.NumberSet(), shrunk) << shrunk;
    for (int i = shrunk; i < 130; ++i) EXPECT_EQ(bits[i], 0) << shrunk << " " << i;
  }
}

TEST(BitArray, ResizingWithoutSaveClearsEverything) {
  BitArray bits(70);
  bits.SetAll();
  bits.SetSize(140);
  EXPECT_EQ(bits.GetSize(), 140);
  EXPECT_EQ(bits.NumberSet(), 0);
}

TEST(BitArray, SetAllCoversExactlyTheCount) {
  BitArray bits(65);
  bits.SetAll();
  EXPECT_EQ(bits.NumberSet(), 65);
  bits.ClearAll();
  EXPECT_TRUE(bits.IsEmpty());
}

TEST(BitArray, EqualityComparesSizeAndBits) {
  BitArray a(70), b(70);
  a.Set(3, 1);
  EXPECT_FALSE(a == b);
  b.Set(3);
  EXPECT_TRUE(a == b);
  a.Set(3, 0);
  EXPECT_EQ(a[3], 0);
  // The same bits in arrays of different counts differ.
  BitArray c(71);
  EXPECT_FALSE(a == c);
  // A shrink-and-grow leaves no stale bits behind to break equality.
  BitArray d(70);
  d.SetAll();
  d.SetSize(3, 1);
  d.SetSize(70, 1);
  d.Clear(0);
  d.Clear(1);
  d.Clear(2);
  EXPECT_TRUE(d == BitArray(70));
}

}  // namespace
