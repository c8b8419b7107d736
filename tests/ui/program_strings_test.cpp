#include "ui/program_strings.h"

#include <gtest/gtest.h>

#include <string>

namespace vt::ui {
namespace {

// The table is generated from the resource script; these catch a generator
// that drops entries, mangles escapes or the UTF-8 bytes.
TEST(ProgramStrings, TextsComeThroughFromTheResourceScript) {
    EXPECT_STREQ(ProgramText(130), "提示");
    EXPECT_STREQ(ProgramText(192), "您已添加了该插件，无需重新下载。");
    EXPECT_EQ(std::string(ProgramText(193)).back(), '\n');
    EXPECT_STREQ(ProgramText(109), "Download\\");
    EXPECT_STREQ(ProgramText(169), "设置您的游戏路径，才能进行插件下载！ ");
    EXPECT_STREQ(ProgramText(137), "/Pages/Plug/PlugDetail_%d.shtml#%d");
    EXPECT_STREQ(ProgramText(138), "XMLMD5");
}

TEST(ProgramStrings, UnknownIdsGiveAnEmptyText) {
    EXPECT_STREQ(ProgramText(0), "");
    EXPECT_STREQ(ProgramText(125), "");
    EXPECT_STREQ(ProgramText(-1), "");
}

}  // namespace
}  // namespace vt::ui
