#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace vt::platform {
namespace {

TEST(CodePageTest, LocalCodePageIsGbk) {
    EXPECT_EQ(LocalCodePage(), 936u);
    EXPECT_EQ(LocalToUtf8("\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");  // 中文
    EXPECT_EQ(Utf8ToLocal("\xE4\xB8\xAD\xE6\x96\x87"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(LocalToUtf16("a\xD6\xD0"), u"a\u4E2D");
    EXPECT_EQ(Utf16ToLocal(u"a\u4E2D"), "a\xD6\xD0");
}

TEST(CodePageTest, UnconvertibleTextBecomesQuestionMarks) {
    EXPECT_EQ(Utf16ToLocal(u"\u0E01x"), "?x");  // Thai has no GBK form
    EXPECT_EQ(Utf8ToUtf16("\xFF"
                          "a\xE4\xB8"),
              u"\uFFFDa\uFFFD\uFFFD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

TEST(CodePageTest, OtherCodePagesAndSurrogates) {
    std::u16string text;
    ASSERT_TRUE(DecodeCodePage(1252, "caf\xE9", text));
    EXPECT_EQ(text, u"caf\u00E9");
    std::string bytes;
    ASSERT_TRUE(EncodeCodePage(kCodePageUtf8, u"\U0001F600", bytes));
    EXPECT_EQ(bytes, "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_FALSE(DecodeCodePage(12345, "x", text));
    EXPECT_FALSE(IsCodePageSupported(12345));
    EXPECT_TRUE(IsCodePageSupported(936));
}

TEST(CodePageTest, CaseIsIgnoredOnlyInCharactersOfTheirOwn) {
    // "\xB0\x41" and "\xB0\x61" are two different GBK characters whose trail
    // bytes happen to be 'A' and 'a': folder names with them are not one name.
    EXPECT_FALSE(EqualsIgnoreCaseLocal("\xB0\x41", "\xB0\x61"));
    EXPECT_TRUE(EqualsIgnoreCaseLocal("DBM-\xD6\xD0", "dbm-\xD6\xD0"));
    EXPECT_FALSE(EqualsIgnoreCaseLocal("ab", "abc"));

    // A search finds characters, never the trail half of another one.
    EXPECT_EQ(FindIgnoreCaseLocal("\xB0\x41x", "a"), std::string_view::npos);
    EXPECT_EQ(FindIgnoreCaseLocal("\xB0\x41xA", "a"), 3u);
    EXPECT_EQ(FindIgnoreCaseLocal("\xB0\x41\xD6\xD0", "\x41\xD6"), std::string_view::npos);
    EXPECT_EQ(FindIgnoreCaseLocal("Big\xD6\xD0Wigs", "\xD6\xD0w"), 3u);
    EXPECT_EQ(FindIgnoreCaseLocal("abc", ""), 0u);
    EXPECT_EQ(FindIgnoreCaseLocal("ab\xD6", "\xD6"), 2u) << "a cut character at the end";
}

}  // namespace
}  // namespace vt::platform
