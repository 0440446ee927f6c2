// The resource blob: a module's resources survive encoding whole, and bytes from a damaged file
// are refused rather than misread.
#include <cstring>

#include "resource_blob.h"
#include "resource_script.h"
#include "resources_support.h"

namespace {

// Every field away from its default, texts outside ASCII, and a manifest with a zero byte.
ResourceSet sampleResources() {
  ResourceSet r;
  r.strings.push_back({0, 0x0409, ""});
  r.strings.push_back({65535, 0x0809,
                       "Gr\xC3\xB6\xC3\x9F"
                       "e \xF0\x9F\x98\x80"});
  DialogTemplate d;
  d.id = 101;
  d.language = 0x0007;
  d.style = 0xDEADBEEF;
  d.exStyle = 0x12345678;
  d.x = -32768;
  d.y = 32767;
  d.width = 108;
  d.height = -1;
  d.caption = "Caption";
  d.hasFont = true;
  d.font = {9, 700, 1, 238, "MS Sans Serif"};
  DialogControl c;
  c.id = -1;
  c.className = "CustButton";
  c.caption = "\xE2\x9C\x93";
  c.style = 0x50010000;
  c.exStyle = 0x200;
  c.x = -5;
  c.y = 6;
  c.width = 7;
  c.height = 8;
  d.controls = {c, c};
  d.controls[1].id = 0x7FFFFFFF;
  r.dialogs.push_back(d);
  DialogTemplate bare;
  bare.id = 103;
  r.dialogs.push_back(bare);
  r.manifests.push_back({2, 0x0409, std::string("<a>\0</a>", 8)});
  return r;
}

std::optional<ResourceSet> decode(const std::vector<unsigned char>& bytes) {
  return decodeResourceBlob(bytes.data(), bytes.size());
}

}  // namespace

TEST(ResourceBlob, RoundTripKeepsEveryField) {
  ResourceSet original = sampleResources();
  std::optional<ResourceSet> decoded = decode(encodeResourceBlob(original));
  ASSERT_TRUE(decoded);
  expectSameResources(*decoded, original);

  ResourceSet plugin =
      parseResourceScript(std::string(VELOMORPH_SOURCE_DIR) + "/plugin/ambiflex.rc");
  decoded = decode(encodeResourceBlob(plugin));
  ASSERT_TRUE(decoded);
  expectSameResources(*decoded, plugin);
}

TEST(ResourceBlob, EveryTruncationAndExtensionIsRefused) {
  std::vector<unsigned char> bytes = encodeResourceBlob(sampleResources());
  for (std::size_t size = 0; size < bytes.size(); ++size)
    EXPECT_FALSE(decodeResourceBlob(bytes.data(), size)) << "prefix of " << size << " bytes";
  bytes.push_back(0);
  EXPECT_FALSE(decode(bytes)) << "a byte left over";
  EXPECT_FALSE(decodeResourceBlob(nullptr, 0));
}

// Whatever a damaged byte turns into, a blob the decoder accepts must be one the encoder writes,
// so no field can be misread silently (under the sanitizer build this also proves no overrun).
TEST(ResourceBlob, DamagedBytesAreRefusedOrReadExactly) {
  const std::vector<unsigned char> bytes = encodeResourceBlob(sampleResources());
  int refused = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::vector<unsigned char> damaged = bytes;
      damaged[i] ^= flip;
      std::optional<ResourceSet> decoded = decode(damaged);
      if (!decoded) {
        ++refused;
        continue;
      }
      EXPECT_EQ(encodeResourceBlob(*decoded), damaged) << "byte " << i;
    }
  }
  EXPECT_GT(refused, 0);
}

TEST(ResourceBlob, RefusesBadHeadersHugeCountsAndDuplicateIds) {
  std::vector<unsigned char> bytes = encodeResourceBlob(sampleResources());
  std::vector<unsigned char> wrongMagic = bytes;
  wrongMagic[0] = 'X';
  EXPECT_FALSE(decode(wrongMagic));
  std::vector<unsigned char> wrongVersion = bytes;
  wrongVersion[4] = 2;
  EXPECT_FALSE(decode(wrongVersion));
  // A string count of 2^32-1 must be refused from the size left, not attempted.
  std::vector<unsigned char> hugeCount = bytes;
  std::memset(&hugeCount[8], 0xFF, 4);
  EXPECT_FALSE(decode(hugeCount));

  ResourceSet twice = sampleResources();
  twice.strings[1].id = twice.strings[0].id;
  EXPECT_FALSE(decode(encodeResourceBlob(twice)));
  twice = sampleResources();
  twice.dialogs[1].id = twice.dialogs[0].id;
  EXPECT_FALSE(decode(encodeResourceBlob(twice)));
  twice = sampleResources();
  twice.manifests.push_back(twice.manifests[0]);
  EXPECT_FALSE(decode(encodeResourceBlob(twice)));
}

TEST(ResourceBlob, TextsMustBeWellFormedUtf8) {
  EXPECT_TRUE(isValidUtf8("plain \xC3\xB6 \xE2\x9C\x93 \xF4\x8F\xBF\xBF"));
  EXPECT_FALSE(isValidUtf8("\xC0\xAF")) << "overlong";
  EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF")) << "overlong";
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")) << "surrogate";
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")) << "past U+10FFFF";
  EXPECT_FALSE(isValidUtf8("\xE2\x9C")) << "cut short";
  EXPECT_FALSE(isValidUtf8("\x80")) << "lone continuation";
  EXPECT_FALSE(isValidUtf8("\xF8\x88\x80\x80\x80")) << "five-byte form";

  ResourceSet bad = sampleResources();
  bad.dialogs[0].controls[0].caption = "\xFF";
  EXPECT_FALSE(decode(encodeResourceBlob(bad)));
}
