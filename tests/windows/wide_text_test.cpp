// Host strings where wchar_t is 16 bits: characters beyond the first 65536 are surrogate pairs in
// the host's text and four-byte sequences in the UTF-8 it writes to scene files and reports.
#include <gtest/gtest.h>

#include <string>

#include "strclass.h"

namespace {

const std::string kUtf8 = "Gr\xc3\xb6\xc3\x9f" "e \xe2\x9c\x93 \xf0\x9f\x98\x80";  // "Größe ✓ 😀"

TEST(WideText, CharactersBeyondTheBasicPlaneBecomeSurrogatePairs) {
  ASSERT_EQ(sizeof(wchar_t), 2u);
  std::wstring wide = MSTR::FromUTF8(kUtf8).str();
  EXPECT_EQ(wide, std::wstring(L"Gr\u00f6\u00dfe \u2713 ") + wchar_t(0xD83D) + wchar_t(0xDE00));
}

TEST(WideText, UTF8SurvivesTheRoundTrip) {
  EXPECT_EQ(MSTR::FromUTF8(kUtf8).ToUTF8(), kUtf8);
  // The first and last characters that need a pair.
  const std::string edges = "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf";
  EXPECT_EQ(MSTR::FromUTF8(edges).str().size(), 4u);
  EXPECT_EQ(MSTR::FromUTF8(edges).ToUTF8(), edges);
}

}  // namespace
