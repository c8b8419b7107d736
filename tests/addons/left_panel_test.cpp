#include "addons/left_panel.h"

#include <gtest/gtest.h>

#include "addons/addon_rows.h"

namespace vt::addons {
namespace {

TEST(LeftPanelTest, ViewsReplaceEachOtherAndBusyDisablesTheBatchButtons) {
    LeftPanelState panel;
    EXPECT_STREQ(ShownView(panel), "none");
    for (auto [code, value] : {std::pair{5, 1}, {4, 3}, {6, 1}, {7, 1}, {1, 0}})
        ApplyListState(panel, code, value);
    EXPECT_STREQ(ShownView(panel), "list");
    EXPECT_EQ(panel.count, 3);
    EXPECT_TRUE(panel.updateAllEnabled && panel.deleteAllEnabled);

    ApplyListState(panel, 9, 0);
    EXPECT_EQ(panel.notBusy, 0);
    EXPECT_FALSE(panel.updateAllEnabled || panel.deleteAllEnabled || panel.refreshEnabled);
    ApplyListState(panel, 9, 1);
    EXPECT_FALSE(panel.deleteAllEnabled);  // until the next refresh's codes 6 and 7

    ApplyListState(panel, 5, 1);
    EXPECT_STREQ(ShownView(panel), "loading");
    EXPECT_EQ(panel.count, 0);
    ApplyListState(panel, 2, 1);
    EXPECT_STREQ(ShownView(panel), "no-game-path");
    ApplyListState(panel, 3, 1);
    EXPECT_STREQ(ShownView(panel), "no-addons");
}

TEST(LeftPanelTest, ProgressStaysBelowAHundredUntilTheAddonIsInstalled) {
    AddonRowTable rows;
    rows.AddRow(7, "Seven", 3);
    net::DownloadProgress progress;
    progress.user1 = 7;
    progress.totalSize = 200;
    progress.doneSize = 99;
    HandleDownloadProgress(rows, kProgressDownloading, progress);
    EXPECT_EQ(rows.Rows()[0].progress, 49);
    progress.doneSize = 200;
    HandleDownloadProgress(rows, kProgressDownloading, progress);
    EXPECT_EQ(rows.Rows()[0].progress, 49);
    progress.totalSize = 0;  // no total: nothing to show
    HandleDownloadProgress(rows, kProgressDownloading, progress);
    EXPECT_EQ(rows.Rows()[0].progress, 49);
    progress.user1 = 8;  // no such row
    HandleDownloadProgress(rows, kProgressInstalled, progress);
    progress.user1 = 7;
    HandleDownloadProgress(rows, kProgressInstalled, progress);
    EXPECT_EQ(rows.Rows()[0].progress, -1);
    EXPECT_EQ(rows.Rows()[0].upgradable, 0);
    EXPECT_TRUE(rows.SetProgress(7, 250));
    EXPECT_EQ(rows.Rows()[0].progress, 50);
}

}  // namespace
}  // namespace vt::addons
