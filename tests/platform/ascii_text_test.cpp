#include "platform/ascii_text.h"

#include <gtest/gtest.h>

namespace vt::platform {
namespace {

TEST(AsciiTextTest, BlanksAtTheEndsAndCaseOfLettersOnly) {
    EXPECT_EQ(TrimBlanks(" \tkey = value\t "), "key = value");
    EXPECT_EQ(TrimBlanks(" \t \t"), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\r\nx\r\n"), "\r\nx\r\n");  // a line's blanks only
    EXPECT_EQ(TrimBlanks("\r\n\v x\f", kAllBlanks), "x");

    EXPECT_TRUE(EqualsIgnoreCase("Content-Length", "content-LENGTH"));
    EXPECT_FALSE(EqualsIgnoreCase("GamePath", "GamePat"));
    EXPECT_FALSE(EqualsIgnoreCase("[", "{"));  // 0x5B and 0x7B are no letters
    // GBK bytes are never folded: "\xC4\xE3" is no case form of "\xE4\xC3".
    EXPECT_FALSE(EqualsIgnoreCase("\xC4\xE3", "\xE4\xC3"));
    EXPECT_TRUE(EqualsIgnoreCase("\xC4\xE3", "\xC4\xE3"));
}

}  // namespace
}  // namespace vt::platform
