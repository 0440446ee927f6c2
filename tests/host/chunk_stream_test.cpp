// Chunk streams: the framing bytes, reading back what was written, and a reader that stays inside
// its bytes whatever they claim.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chunk_stream.h"

namespace {

std::string bytesOf(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(char(v));
  return s;
}

// A small tree: 0x0100 { 0x0101 "abc", 0x0102 { 0x0103 "" }, 0x0104 "xy" }, then 0x0200 "z".
std::string sampleStream() {
  ChunkSaver out;
  out.BeginChunk(0x0100);
  out.WriteChunk(0x0101, "abc");
  out.BeginChunk(0x0102);
  out.WriteChunk(0x0103, "");
  out.EndChunk();
  out.WriteChunk(0x0104, "xy");
  out.EndChunk();
  out.WriteChunk(0x0200, "z");
  EXPECT_FALSE(out.Failed()) << out.Error();
  return out.Bytes();
}

// The whole tree as text, "id[payload]" for data and "id{...}" for containers; "!" where it ended
// on damage.
std::string walk(ChunkLoader& in) {
  std::string text;
  IOResult r;
  while ((r = in.OpenChunk()) == IO_OK) {
    text += ChunkIdText(in.CurChunkID());
    if (in.CurChunkHasSubChunks()) {
      text += "{" + walk(in) + "}";
    } else {
      std::string payload(in.CurChunkLength(), '\0');
      ULONG got = 0;
      in.Read(payload.data(), ULONG(payload.size()), &got);
      text += "[" + payload.substr(0, got) + "]";
    }
    in.CloseChunk();
  }
  if (r == IO_ERROR) text += "!";
  return text;
}

TEST(ChunkFraming, HeaderIsIdThenLengthWithTheSubChunkBit) {
  ChunkSaver out;
  out.BeginChunk(0x1234);
  out.WriteChunk(0x00AB, "hi");
  out.EndChunk();
  // Container 0x1234 holding 8 bytes (one 6-byte header and 2 bytes of payload), bit 31 set.
  EXPECT_EQ(out.Bytes(), bytesOf({0x34, 0x12, 8, 0, 0, 0x80, 0xAB, 0x00, 2, 0, 0, 0, 'h', 'i'}));
}

TEST(ChunkFraming, EmptyChunkIsDataOfLengthZero) {
  ChunkSaver out;
  out.BeginChunk(0x0001);
  out.EndChunk();
  EXPECT_EQ(out.Bytes(), bytesOf({1, 0, 0, 0, 0, 0}));
}

TEST(ChunkFraming, MisuseFailsTheSaver) {
  {
    ChunkSaver out;
    out.BeginChunk(1);
    out.WriteChunk(2, "a");
    ULONG n = 7;
    EXPECT_EQ(out.Write("b", 1, &n), IO_ERROR);
    EXPECT_EQ(n, 0u);
    EXPECT_TRUE(out.Failed());
  }
  {
    ChunkSaver out;
    out.BeginChunk(1);
    ULONG n = 0;
    out.Write("a", 1, &n);
    out.BeginChunk(2);
    EXPECT_TRUE(out.Failed());
  }
  {
    ChunkSaver out;
    out.EndChunk();
    EXPECT_TRUE(out.Failed());
  }
}

TEST(ChunkReading, ReadsBackTheTreeAsWritten) {
  std::string bytes = sampleStream();
  ChunkLoader in(bytes);
  EXPECT_EQ(walk(in), "0x0100{0x0101[abc]0x0102{0x0103[]}0x0104[xy]}0x0200[z]");
  EXPECT_FALSE(in.Failed());
}

TEST(ChunkReading, DataChunkHasNoSubChunksAndReadsPastItsEndGetNothing) {
  std::string bytes = sampleStream();
  ChunkLoader in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x0101);
  EXPECT_EQ(in.OpenChunk(), IO_END);
  char buffer[8] = {};
  ULONG got = 0;
  EXPECT_EQ(in.Read(buffer, 2, &got), IO_OK);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(in.CurChunkLength(), 3u);
  EXPECT_EQ(in.Read(buffer, 5, &got), IO_ERROR);
  EXPECT_EQ(got, 0u);
  EXPECT_NE(buffer[0], 'c');
  EXPECT_EQ(in.Read(buffer, 1, &got), IO_OK);
  EXPECT_EQ(buffer[0], 'c');
  in.CloseChunk();
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x0102);
  EXPECT_EQ(in.Read(buffer, 1, &got), IO_ERROR);  // a container has no bytes of its own
  EXPECT_EQ(got, 0u);
}

TEST(ChunkReading, CloseSkipsWhatWasNotRead) {
  std::string bytes = sampleStream();
  ChunkLoader in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  in.CloseChunk();
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x0200);
  in.CloseChunk();
  EXPECT_EQ(in.OpenChunk(), IO_END);
}

TEST(ChunkReading, LengthBeyondItsParentIsDamageWithItsOffset) {
  std::string bytes = sampleStream();
  bytes[8] = char(0x7f);  // 0x0101's length, inside 0x0100 at byte 6
  ChunkLoader in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.OpenChunk(), IO_ERROR);
  EXPECT_NE(in.Error().find("0x0101 at byte 6"), std::string::npos) << in.Error();
  in.CloseChunk();
  EXPECT_EQ(in.OpenChunk(), IO_ERROR);  // damage stops every later read
}

TEST(ChunkReading, EveryCutShortStreamReadsOnlyItsOwnBytes) {
  const std::string whole = sampleStream();
  std::string full;
  {
    ChunkLoader in(whole);
    full = walk(in);
  }
  for (size_t n = 0; n < whole.size(); ++n) {
    // A copy of exactly n bytes, so a read past the end is caught by the address sanitizer build.
    std::vector<char> prefix(whole.begin(), whole.begin() + long(n));
    ChunkLoader in(std::string_view(prefix.data(), n));
    std::string text = walk(in);
    EXPECT_NE(text, full) << "prefix " << n;
    // Cut at a top-level boundary the stream is whole, just shorter; anywhere else it is damage.
    if (!in.Failed()) {
      EXPECT_EQ(full.substr(0, text.size()), text) << "prefix " << n;
    }
  }
}

TEST(ChunkReading, StartOffsetSkipsAHeaderButMessagesCountFromTheFileStart) {
  std::string bytes = "HEAD" + bytesOf({5, 0, 9, 0, 0, 0, 'x'});
  ChunkLoader in(bytes, 4);
  EXPECT_EQ(in.OpenChunk(), IO_ERROR);
  EXPECT_NE(in.Error().find("at byte 4"), std::string::npos) << in.Error();
}

TEST(ConfinedStreams, PlugInCannotLeaveItsChunk) {
  std::string bytes = sampleStream();
  ChunkLoader in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  {
    ConfinedLoad own(in);
    ASSERT_EQ(own.OpenChunk(), IO_OK);
    EXPECT_EQ(own.CloseChunk(), IO_OK);
    ASSERT_EQ(own.OpenChunk(), IO_OK);  // left open on purpose
    EXPECT_TRUE(own.Finish());
  }
  EXPECT_EQ(in.Depth(), 1);
  {
    ConfinedLoad own(in);
    EXPECT_EQ(own.CloseChunk(), IO_ERROR);
    EXPECT_FALSE(own.Finish());
  }
  EXPECT_EQ(in.Depth(), 1);

  ChunkSaver out;
  out.BeginChunk(1);
  {
    ConfinedSave own(out);
    own.BeginChunk(2);
    EXPECT_FALSE(own.Finish());  // left open: ended here, and reported
  }
  {
    ConfinedSave own(out);
    own.EndChunk();
    EXPECT_FALSE(own.Finish());
  }
  EXPECT_EQ(out.Depth(), 1);
}

TEST(Payloads, RoundTripAndReadingPastTheEnd) {
  PayloadWriter w;
  w.U8(0xfe);
  w.U16(0xbeef);
  w.I32(-2);
  w.P3(Point3(1.5f, -0.0f, 3.0e-39f));
  PayloadReader r(w.Bytes());
  EXPECT_EQ(r.U8(), 0xfe);
  EXPECT_EQ(r.U16(), 0xbeef);
  EXPECT_EQ(r.I32(), -2);
  Point3 p = r.P3();
  EXPECT_EQ(p, Point3(1.5f, -0.0f, 3.0e-39f));
  EXPECT_TRUE(std::signbit(p.y));
  EXPECT_TRUE(r.AtEnd());
  EXPECT_EQ(r.U32(), 0u);
  EXPECT_FALSE(r.Ok());
}

}  // namespace
