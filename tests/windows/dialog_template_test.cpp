// Decoding binary dialog templates: both layouts, predefined classes named by ordinal, and every
// truncated prefix of a template refused rather than read past its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialog_template_win32.h"

namespace {

// A template written field by field, as a resource compiler lays it out.
class TemplateBytes {
 public:
  void word(std::uint16_t w) { words_.push_back(w); }
  void dword(std::uint32_t d) {
    word(std::uint16_t(d & 0xffff));
    word(std::uint16_t(d >> 16));
  }
  void text(const std::u16string& s) {
    for (char16_t c : s) word(std::uint16_t(c));
    word(0);
  }
  void ordinal(std::uint16_t o) {
    word(0xFFFF);
    word(o);
  }
  void alignTo4() {
    if (words_.size() % 2) word(0);
  }
  const void* data() const { return words_.data(); }
  std::size_t size() const { return words_.size() * 2; }

 private:
  std::vector<std::uint16_t> words_;
};

constexpr std::uint32_t kChildVisible = 0x50000000u;

// Extended layout: a dialog with a font, a check box by ordinal class and a custom control.
TemplateBytes extendedTemplate() {
  TemplateBytes t;
  t.word(1);
  t.word(0xFFFF);
  t.dword(0);                          // help id
  t.dword(0);                          // extended style
  t.dword(kChildVisible | 0x40);       // DS_SETFONT
  t.word(2);                           // controls
  for (std::uint16_t v : {0, 0, 108, 60}) t.word(v);
  t.word(0);                           // no menu
  t.word(0);                           // default class
  t.text(u"Title");
  t.word(8);
  t.word(400);
  t.word(0x0100);                      // italic 0, charset 1
  t.text(u"MS Sans Serif");
  t.alignTo4();
  t.dword(0);
  t.dword(0);
  t.dword(kChildVisible | 0x3);        // BS_AUTOCHECKBOX
  for (std::uint16_t v : {2, 3, 40, 10}) t.word(v);
  t.dword(1004);
  t.ordinal(0x0080);
  t.text(u"Gr\u00f6\u00dfe");
  t.word(0);
  t.alignTo4();
  t.dword(0);
  t.dword(0);
  t.dword(kChildVisible);
  for (std::uint16_t v : {2, 20, 40, 10}) t.word(v);
  t.dword(std::uint32_t(-1));
  t.text(u"CUSTBUTTON");
  t.text(u"Pick");
  t.word(0);
  return t;
}

TEST(DialogTemplateDecoding, ExtendedLayoutGivesTheDialogAndItsControls) {
  TemplateBytes bytes = extendedTemplate();
  std::optional<DialogTemplate> t = DecodeDialogTemplate(bytes.data(), bytes.size());
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->style, kChildVisible | 0x40);
  EXPECT_EQ(t->width, 108);
  EXPECT_EQ(t->height, 60);
  EXPECT_EQ(t->caption, "Title");
  ASSERT_TRUE(t->hasFont);
  EXPECT_EQ(t->font.pointSize, 8);
  EXPECT_EQ(t->font.weight, 400);
  EXPECT_EQ(t->font.charset, 1);
  EXPECT_EQ(t->font.face, "MS Sans Serif");
  ASSERT_EQ(t->controls.size(), 2u);
  EXPECT_EQ(t->controls[0].id, 1004);
  EXPECT_EQ(t->controls[0].className, "Button");
  EXPECT_EQ(t->controls[0].caption, "Gr\xc3\xb6\xc3\x9f" "e");
  EXPECT_EQ(t->controls[0].style, kChildVisible | 0x3);
  EXPECT_EQ(t->controls[0].x, 2);
  EXPECT_EQ(t->controls[0].y, 3);
  EXPECT_EQ(t->controls[1].id, -1);
  EXPECT_EQ(t->controls[1].className, "CUSTBUTTON");
  EXPECT_EQ(t->controls[1].caption, "Pick");
  EXPECT_EQ(t->controls[1].y, 20);
}

TEST(DialogTemplateDecoding, OriginalLayoutHasWordIdsAndNoFontDetails) {
  TemplateBytes t;
  t.dword(kChildVisible | 0x40);
  t.dword(0);
  t.word(1);
  for (std::uint16_t v : {0, 0, 50, 20}) t.word(v);
  t.word(0);
  t.word(0);
  t.text(u"");
  t.word(8);
  t.text(u"MS Shell Dlg");
  t.alignTo4();
  t.dword(kChildVisible);
  t.dword(0);
  for (std::uint16_t v : {1, 1, 30, 8}) t.word(v);
  t.word(0xFFFF);  // IDC_STATIC as a word
  t.ordinal(0x0082);
  t.text(u"Label:");
  t.word(0);
  std::optional<DialogTemplate> d = DecodeDialogTemplate(t.data(), t.size());
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->font.face, "MS Shell Dlg");
  ASSERT_EQ(d->controls.size(), 1u);
  EXPECT_EQ(d->controls[0].id, -1);
  EXPECT_EQ(d->controls[0].className, "Static");
  EXPECT_EQ(d->controls[0].caption, "Label:");
}

TEST(DialogTemplateDecoding, EveryTruncatedPrefixIsRefused) {
  TemplateBytes bytes = extendedTemplate();
  ASSERT_TRUE(DecodeDialogTemplate(bytes.data(), bytes.size()).has_value());
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(DecodeDialogTemplate(bytes.data(), n).has_value()) << n << " of " << bytes.size() << " bytes";
  EXPECT_FALSE(DecodeDialogTemplate(nullptr, 0).has_value());
}

}  // namespace
