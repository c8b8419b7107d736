#include "shell/main_commands.h"

#include <gtest/gtest.h>

namespace vt::shell {
namespace {

TEST(MainCommands, ButtonsLinksAndMenusShareTheirActions) {
    // Controls that do the same thing route to one action.
    EXPECT_EQ(MainCommandFor(kCmdSettings).action, MainAction::kPathDialog);
    EXPECT_EQ(MainCommandFor(kCmdLinkSettings).action, MainAction::kPathDialog);
    EXPECT_EQ(MainCommandFor(kCmdMinimise).action, MainAction::kHideWindow);
    EXPECT_EQ(MainCommandFor(kCmdClose).action, MainAction::kHideWindow);
    EXPECT_EQ(MainCommandFor(kCmdStartGame).action, MainAction::kStartGame);
    EXPECT_EQ(MainCommandFor(kMenuStartGame).action, MainAction::kStartGame);
    EXPECT_EQ(MainCommandFor(kMenuForum).action, MainAction::kOpenForum);
    EXPECT_EQ(MainCommandFor(kMenuFeedback).action, MainAction::kOpenForum);
    // "X" hides; only the menu's exit ends the program.
    EXPECT_NE(MainCommandFor(kCmdClose).action, MainAction::kExit);
    EXPECT_EQ(MainCommandFor(kMenuExit).action, MainAction::kExit);
}

TEST(MainCommands, TabsRadioLinkAndHiddenTestButtons) {
    const struct {
        int id;
        MainAction action;
        SwitchTabTarget tab;
    } cases[] = {
        {kCmdTabHome, MainAction::kShowTab, SwitchTabTarget::kHome},
        {kCmdTabPluginLibrary, MainAction::kShowTab, SwitchTabTarget::kPluginLibrary},
        {kCmdTabMacroDepot, MainAction::kShowTab, SwitchTabTarget::kMacroDepot},
        // The link is no radio button: its tab's button is marked for it.
        {kCmdLinkPluginLibrary, MainAction::kShowMarkedTab, SwitchTabTarget::kPluginLibrary},
        // The test buttons take the road of a page's SwitchTab.
        {kCmdTestHome, MainAction::kSwitchTabPost, SwitchTabTarget::kHome},
        {kCmdTestPluginLibrary, MainAction::kSwitchTabPost, SwitchTabTarget::kPluginLibrary},
        {kCmdTestMacroDepot, MainAction::kSwitchTabPost, SwitchTabTarget::kMacroDepot},
    };
    for (const auto& c : cases) {
        const MainCommand command = MainCommandFor(c.id);
        EXPECT_EQ(command.action, c.action) << c.id;
        EXPECT_EQ(command.tab, c.tab) << c.id;
    }
    // The posted names are the ones the bridge's handler understands.
    for (SwitchTabTarget tab :
         {SwitchTabTarget::kHome, SwitchTabTarget::kPluginLibrary, SwitchTabTarget::kMacroDepot})
        EXPECT_EQ(SwitchTabFromName(SwitchTabName(tab)), tab);
    EXPECT_EQ(SwitchTabName(SwitchTabTarget::kNone), "");
}

TEST(MainCommands, MenuRangeIdsWithoutActionAreSwallowedOthersAreNot) {
    for (int id : {32773, 32774, 32776})
        EXPECT_EQ(MainCommandFor(id).action, MainAction::kIgnore) << id;
    // Outside the range (and the dialog's own OK/Cancel) the window's
    // default handling decides.
    for (int id : {1, 2, 1003, 1011, 1019, 1023, 32771, 32782})
        EXPECT_EQ(MainCommandFor(id).action, MainAction::kNone) << id;
}

TEST(MainCommands, RowButtonCodes) {
    EXPECT_EQ(RowButtonActionFor('<'), RowButtonAction::kInstall);
    EXPECT_EQ(RowButtonActionFor('?'), RowButtonAction::kDetail);
    EXPECT_EQ(RowButtonActionFor('A'), RowButtonAction::kDelete);
    // Enable/disable and cancel exist in the list but do nothing here.
    for (int code : {int{'>'}, int{'@'}, int{'a'}, 0, -1, 65 + 256})
        EXPECT_EQ(RowButtonActionFor(code), RowButtonAction::kNone) << code;
}

TEST(MainCommands, UpgradeResultsShowOnlyForTheUsersCheck) {
    for (int status : {0, 1, 2, 3, 4, -1})
        EXPECT_EQ(UpgradeResultText(status, 0), 0) << status;
    EXPECT_EQ(UpgradeResultText(0, 1), 135);
    EXPECT_EQ(UpgradeResultText(1, 1), 0);
    EXPECT_EQ(UpgradeResultText(2, 1), 136);
    EXPECT_EQ(UpgradeResultText(3, 1), 136);
    EXPECT_EQ(UpgradeResultText(4, 1), 0);
}

TEST(MainCommands, DetailPagesEndBelowTheLocalIds) {
    EXPECT_TRUE(HasDetailPage(19999));
    EXPECT_FALSE(HasDetailPage(20000));
    EXPECT_FALSE(HasDetailPage(20001));
}

}  // namespace
}  // namespace vt::shell
