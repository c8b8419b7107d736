#include "shell/tray_menus.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "shell/main_commands.h"
#include "ui/program_strings.h"

namespace vt::shell {
namespace {

// A text of the string table as the program has it: in the local code page.
std::string Local(int id) {
    return platform::Utf8ToLocal(ui::ProgramText(id));
}

TEST(TrayMenus, String106GivesTheSevenItemTexts) {
    const std::vector<std::string> texts = SplitMenuTexts(Local(106));
    ASSERT_EQ(texts.size(), 7u);
    const char* expected[] = {"插件论坛",        "问题反馈", "软件升级", "版本信息",
                              "显示/隐藏Tessel", "启动游戏", "退出"};
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(platform::LocalToUtf8(texts[i]), expected[i]) << i;
}

TEST(TrayMenus, SplitStepsOverTrailBytesThatLookLikeABar) {
    // "乇" is 0x81 0x7C in GBK: its trail byte is "|".
    const std::string barTrail = "\x81\x7C";
    const std::vector<std::string> texts = SplitMenuTexts("a" + barTrail + "b|c");
    EXPECT_EQ(texts[0], "a" + barTrail + "b");
    EXPECT_EQ(texts[1], "c");
    // Short or empty texts still give seven entries; extra pieces are dropped.
    EXPECT_EQ(SplitMenuTexts("").size(), 7u);
    const std::vector<std::string> many = SplitMenuTexts("0|1|2|3|4|5|6|7|8");
    ASSERT_EQ(many.size(), 7u);
    EXPECT_EQ(many[6], "6");
    EXPECT_EQ(SplitMenuTexts("x||y")[1], "");
}

TEST(TrayMenus, MenusPairTextsWithTheirCommands) {
    const std::vector<std::string> texts = SplitMenuTexts(Local(106));
    const auto check = [&](const std::vector<MenuEntry>& entries,
                           std::vector<std::pair<const char*, int>> expected) {
        ASSERT_EQ(entries.size(), expected.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            if (expected[i].first == nullptr) {
                EXPECT_TRUE(entries[i].IsSeparator()) << i;
                continue;
            }
            ASSERT_FALSE(entries[i].IsSeparator()) << i;
            EXPECT_EQ(platform::LocalToUtf8(texts.at(entries[i].textIndex)), expected[i].first);
            EXPECT_EQ(entries[i].command, expected[i].second) << i;
            // Every command of a menu does something in the window.
            EXPECT_NE(MainCommandFor(entries[i].command).action, MainAction::kIgnore);
        }
    };
    check(TrayMenuEntries(), {{"显示/隐藏Tessel", kMenuToggleWindow},
                              {"启动游戏", kMenuStartGame},
                              {"问题反馈", kMenuFeedback},
                              {"退出", kMenuExit}});
    check(HelpMenuEntries(), {{"插件论坛", kMenuForum},
                              {"问题反馈", kMenuFeedback},
                              {"软件升级", kMenuUpgradeCheck},
                              {nullptr, 0},
                              {"版本信息", kMenuAbout}});
}

TEST(TrayMenus, TipsAreCutWithoutHalfCharacters) {
    const std::string ascii(300, 'x');
    EXPECT_EQ(CutLocalText(ascii, kNotifyTipMaxBytes).size(), 127u);
    EXPECT_EQ(CutLocalText(ascii, kTooltipMaxBytes).size(), 255u);
    EXPECT_EQ(CutLocalText("short", kNotifyTipMaxBytes), "short");
    // 200 double-byte characters: 63 of them fit in 127 bytes, not 63.5.
    std::string wide;
    for (int i = 0; i < 200; ++i)
        wide += "\xB2\xE5";  // "插"
    const std::string cut = CutLocalText(wide, kNotifyTipMaxBytes);
    EXPECT_EQ(cut.size(), 126u);
    EXPECT_EQ(platform::LocalToUtf16(cut).size(), 63u);
    // After one ASCII byte the characters line up with the limit again.
    EXPECT_EQ(CutLocalText("x" + wide, kNotifyTipMaxBytes).size(), 127u);
    // The program's own tip is far below either limit.
    EXPECT_EQ(CutLocalText(Local(107), kNotifyTipMaxBytes), Local(107));
}

}  // namespace
}  // namespace vt::shell
