#include "terminal_text.h"

#include <gtest/gtest.h>

namespace vt::cli {
namespace {

TEST(TerminalTextTest, ChineseCharactersTakeTwoColumns) {
    EXPECT_EQ(DisplayColumns("abc"), 3);
    EXPECT_EQ(DisplayColumns("插件abc"), 7);
    EXPECT_EQ(DisplayColumns("\r\x1b"), 0);
    EXPECT_EQ(DisplayColumns("\xff\xfe"), 2);  // broken bytes count one each
}

TEST(TerminalTextTest, FittingNeverCutsACharacterNorOverflows) {
    EXPECT_EQ(FitColumns("short", 10), "short");
    EXPECT_EQ(FitColumns("abcdefghij", 8), "abcde...");
    // "插件管理" is 8 columns: 7 leave room for "..." and two columns.
    EXPECT_EQ(FitColumns("插件管理", 7), "插件...");
    EXPECT_EQ(FitColumns("插件管理", 6), "插...");
    EXPECT_EQ(FitColumns("abc", 2), "..");
    for (int columns = 0; columns < 12; ++columns)
        EXPECT_LE(DisplayColumns(FitColumns("一个很长的插件名字", columns)), columns);
}

TEST(TerminalTextTest, ProgressLinesFitTheTerminal) {
    const std::string longName(200, 'x');
    for (int columns : {20, 40, 79, 120}) {
        const std::string line = ProgressLine(longName, 42, 1536, 1 << 20, columns);
        EXPECT_LE(DisplayColumns(line), columns) << line;
        EXPECT_NE(line.find("42%"), std::string::npos) << line;
    }
    const std::string chinese =
        ProgressLine("超长的中文插件名字超长的中文插件名字", 100, 10, 10, 40);
    EXPECT_LE(DisplayColumns(chinese), 40) << chinese;
    EXPECT_NE(ProgressLine("Bag", 50, 512, 1024, 79).find("Bag"), std::string::npos);
    EXPECT_NE(ProgressLine("Bag", 150, 0, 0, 79).find("100%"), std::string::npos);
}

}  // namespace
}  // namespace vt::cli
