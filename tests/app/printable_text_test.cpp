// Names shown in messages and pictures: well-formed, printable UTF-8 passes as it is; anything
// that could break a line, drive a terminal or make XML malformed is shown as \xNN.
#include <gtest/gtest.h>

#include "printable_text.h"

TEST(PrintableText, KeepsPrintableUtf8AndEscapesEverythingElse) {
  EXPECT_EQ(PrintableText("Kopf/gesicht \xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80.obj"), "Kopf/gesicht \xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80.obj");
  EXPECT_EQ(PrintableText("a\nvelomorph: forged"), "a\\x0Avelomorph: forged");
  EXPECT_EQ(PrintableText("\x1B[31mred\r\t\x7F"), "\\x1B[31mred\\x0D\\x09\\x7F");
  EXPECT_EQ(PrintableText("\xC2\x85"), "\\xC2\\x85");                  // a C1 control (NEL)
  EXPECT_EQ(PrintableText("\xFF\xC3"), "\\xFF\\xC3");                  // invalid, and cut short
  EXPECT_EQ(PrintableText("\xC0\xAF"), "\\xC0\\xAF");                  // overlong '/'
  EXPECT_EQ(PrintableText("\xED\xA0\x80"), "\\xED\\xA0\\x80");          // a surrogate
  EXPECT_EQ(PrintableText("\xEF\xBF\xBE"), "\\xEF\\xBF\\xBE");          // U+FFFE, not XML
  EXPECT_EQ(PrintableText("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80");  // beyond U+10FFFF
  const std::string once = PrintableText("x\x1B\xFF\n\xC3\xA9");
  EXPECT_EQ(PrintableText(once), once);
}
