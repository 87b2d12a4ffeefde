// What names look like in the programs' messages.
#include "base/shown_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ShownText, NamesBecomeUtf8AndControlCharactersAreEscaped) {
  // A terminal would take these for commands: set the title, clear the
  // screen, and the one-byte CSI of the C1 controls.
  EXPECT_EQ(ShownText("a\x1b]0;owned\x07.png"), "a\\x1b]0;owned\\x07.png");
  EXPECT_EQ(ShownText("\x1b[2J\r\n"), "\\x1b[2J\\x0d\\x0a");
  EXPECT_EQ(ShownText("\xC2\x9B" "2J"), "\\xc2\\x9b2J");
  // UTF-8 stays; Shift-JIS ("テクスチャ", half-width "ﾃ") is converted.
  EXPECT_EQ(ShownText("\xE3\x83\x86\xE3\x82\xAF.png"), "\xE3\x83\x86\xE3\x82\xAF.png");
  EXPECT_EQ(ShownText("C:\\\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\\\xC3.bmp"),
            "C:\\\xE3\x83\x86\xE3\x82\xAF\xE3\x82\xB9\xE3\x83\x81\xE3\x83\xA3\\\xEF\xBE\x83.bmp");
  // Bytes that neither reading takes, a character cut short among them.
  EXPECT_EQ(ShownText("\xFF\x83"), "\\xff\\x83");
}

}  // namespace
