#include "ui/addon_row_widget.h"

#include <gtest/gtest.h>

namespace vt::ui {
namespace {

// The main window's cell: column 0 of a 44-pixel row, 222 pixels wide, with
// "升级" 24 pixels wide in the link font.
constexpr ListRect kCell{0, 88, 222, 132};
constexpr int kLinkWidth = 24;

struct Widget {
    AddonRowLayout layout;
    AddonRowWidget widget;
    explicit Widget(const ListRect& cell = kCell, int nameWidth = 60, int linkWidth = kLinkWidth) {
        widget.layout = &layout;
        widget.Layout(cell, linkWidth, nameWidth);
    }
};

TEST(AddonRowWidgetLayout, PlacesEveryPartOfTheMainWindowRow) {
    Widget row;
    const AddonRowLayout& layout = row.layout;
    // Badge and links on the lower line, 4 pixels below the middle.
    EXPECT_EQ(layout.badgeRect, (ListRect{5, 114, 41, 128}));
    EXPECT_EQ(layout.deleteRect, (ListRect{189, 114, 213, 128}));
    EXPECT_EQ(layout.toggleRect, (ListRect{160, 114, 184, 128}));
    EXPECT_EQ(layout.cancelRect, (ListRect{199, 114, 207, 122}));
    // The name on the upper half, as wide as the bold name plus one.
    EXPECT_EQ(layout.nameRect, (ListRect{6, 89, 66, 112}));
    // The details icon right after the name, a quarter down the row.
    EXPECT_EQ(layout.detailsRect, (ListRect{67, 94, 77, 106}));
}

TEST(AddonRowWidgetLayout, FollowsTheCellAndCapsALongName) {
    // A row scrolled 10 pixels left, further down, with a 30-pixel row.
    Widget row({-10, 300, 190, 330}, 500, 26);
    const AddonRowLayout& layout = row.layout;
    EXPECT_EQ(layout.badgeRect, (ListRect{-5, 319, 34, 333})) << "3 halves of an odd width";
    EXPECT_EQ(layout.deleteRect, (ListRect{155, 319, 181, 333}));
    EXPECT_EQ(layout.toggleRect, (ListRect{124, 319, 150, 333}));
    EXPECT_EQ(layout.cancelRect, (ListRect{167, 312, 175, 320}));
    // The name's room stops 15 pixels short of the cell's width.
    EXPECT_EQ(layout.nameRect, (ListRect{-4, 301, 180, 317}));
    EXPECT_EQ(layout.detailsRect, (ListRect{181, 302, 191, 314}));
}

TEST(AddonRowWidgetLayout, WithoutALayoutNothingIsWrittenOrHit) {
    AddonRowWidget widget;
    widget.Layout(kCell, kLinkWidth, 10);
    EXPECT_EQ(widget.HitCode(200, 120), kActionNone);
    EXPECT_EQ(widget.NameColor(), ListColor(48, 48, 48));
}

TEST(AddonRowWidgetHits, NormalAndHotRowsAnswerTheirRegions) {
    for (int hot : {0, 1}) {
        Widget row;
        row.widget.hot = hot;
        row.layout.noToggle = 0;
        row.layout.upgradable = 3;
        EXPECT_EQ(row.widget.HitCode(5, 114), kActionUpgrade) << "badge, top-left corner";
        EXPECT_EQ(row.widget.HitCode(40, 127), kActionUpgrade) << "badge, last pixel";
        EXPECT_EQ(row.widget.HitCode(41, 120), kActionNone) << "right edge is outside";
        EXPECT_EQ(row.widget.HitCode(200, 120), kActionDelete) << "the cancel cross is not armed";
        EXPECT_EQ(row.widget.HitCode(170, 120), kActionToggle);
        EXPECT_EQ(row.widget.HitCode(70, 100), kActionDetails);
        EXPECT_EQ(row.widget.HitCode(30, 100), kActionNone) << "the name is no region";
        row.layout.upgradable = 0;
        EXPECT_EQ(row.widget.HitCode(20, 120), kActionNone) << "no badge without an update";
    }
}

TEST(AddonRowWidgetHits, DownloadingRowsAnswerOnlyCancelAndUpgrade) {
    Widget row;
    row.widget.downloading = 1;
    row.layout.upgradable = 0;
    EXPECT_EQ(row.widget.HitCode(203, 118), kActionCancel) << "cancel wins over delete below it";
    EXPECT_EQ(row.widget.HitCode(210, 125), kActionNone) << "delete is not armed";
    EXPECT_EQ(row.widget.HitCode(170, 120), kActionNone) << "neither is the toggle";
    EXPECT_EQ(row.widget.HitCode(20, 120), kActionNone) << "nor the badge";
    EXPECT_EQ(row.widget.HitCode(70, 100), kActionNone) << "details need an update";
    row.layout.upgradable = 1;
    EXPECT_EQ(row.widget.HitCode(70, 100), kActionUpgrade);
    EXPECT_EQ(row.widget.HitCode(20, 120), kActionNone);
}

TEST(AddonRowWidgetHits, OverlappingRegionsAnswerInOrder) {
    // So narrow a cell that the badge runs over the toggle and the delete link.
    Widget row({0, 0, 60, 44}, 100);
    AddonRowLayout& layout = row.layout;
    ASSERT_LT(layout.toggleRect.left, layout.badgeRect.right);
    ASSERT_LT(layout.deleteRect.left, layout.badgeRect.right);
    const int x = layout.deleteRect.left + 1, y = layout.badgeRect.top + 2;
    ASSERT_TRUE(layout.badgeRect.Contains(x, y) && layout.deleteRect.Contains(x, y));
    layout.noToggle = 0;
    layout.upgradable = 1;
    EXPECT_EQ(row.widget.HitCode(x, y), kActionUpgrade) << "badge before delete";
    layout.upgradable = 0;
    EXPECT_EQ(row.widget.HitCode(x, y), kActionDelete) << "delete once no badge shows";
    const int toggleOnly = layout.toggleRect.left;
    ASSERT_FALSE(layout.badgeRect.Contains(toggleOnly, y));
    EXPECT_EQ(row.widget.HitCode(toggleOnly, y), kActionToggle);
    const int badgeAndToggle = layout.badgeRect.left + 1;
    ASSERT_TRUE(layout.toggleRect.Contains(badgeAndToggle, y));
    layout.upgradable = 1;
    EXPECT_EQ(row.widget.HitCode(badgeAndToggle, y), kActionUpgrade) << "badge before toggle";
    layout.upgradable = 0;
    EXPECT_EQ(row.widget.HitCode(badgeAndToggle, y), kActionToggle);
}

TEST(AddonRowWidgetHits, NoToggleRowsNeverAnswerTheToggleRegion) {
    Widget row;
    row.layout.noToggle = 1;
    for (int hot : {0, 1}) {
        row.widget.hot = hot;
        EXPECT_EQ(row.widget.HitCode(160, 114), kActionNone);
        EXPECT_EQ(row.widget.HitCode(183, 127), kActionNone);
        EXPECT_EQ(row.widget.HitCode(190, 120), kActionDelete);
    }
}

TEST(AddonRowWidgetPaint, NameColourFollowsTheMode) {
    Widget row;
    EXPECT_EQ(row.widget.NameColor(), ListColor(48, 48, 48));
    row.widget.downloading = 1;
    EXPECT_EQ(row.widget.NameColor(), ListColor(0, 70, 102));
    row.widget.hot = 1;
    EXPECT_EQ(row.widget.NameColor(), ListColor(153, 58, 21)) << "hot wins over downloading";
    row.layout.enabled = 0;
    EXPECT_EQ(row.widget.NameColor(), ListColor(126, 163, 180)) << "disabled wins over all";
}

TEST(AddonRowWidgetPaint, DownloadBarAndPercentText) {
    EXPECT_TRUE(ProgressBarRect(kCell, 0).Empty());
    EXPECT_EQ(ProgressBarRect(kCell, 37), (ListRect{0, 90, 80, 128}));
    EXPECT_EQ(ProgressBarRect(kCell, 99), (ListRect{0, 90, 217, 128}));
    EXPECT_EQ(ProgressBarRect(kCell, 250), ProgressBarRect(kCell, 100)) << "never past the cell";
    Widget row;
    EXPECT_EQ(PercentTextRect(row.layout.cancelRect), (ListRect{132, 108, 184, 124}));
    EXPECT_EQ(WidgetPaintArea(kCell), (ListRect{0, 88, 272, 132}));
}

TEST(AddonRowWidgetPaint, BadgeArrowAndHotGradient) {
    const BadgeArrow arrow = BadgeArrowStrokes({5, 114, 41, 128});
    EXPECT_EQ(arrow.shaft.x1, 44);
    EXPECT_EQ(arrow.shaft.y2, 126);
    EXPECT_EQ(arrow.leftHead.x2, 42);
    EXPECT_EQ(arrow.rightHead.x2, 47);
    EXPECT_EQ(arrow.rightHead.y2, 118);

    const ListRect area = WidgetPaintArea(kCell);
    EXPECT_EQ(HotGradientColor(area, 44, 93), ListColor(255, 255, 255)) << "starts white";
    EXPECT_EQ(HotGradientColor(area, 44, 93 + 44), ListColor(255, 255, 255)) << "repeats";
    EXPECT_EQ(HotGradientColor(area, 44, 93 + 22), ListColor(253, 248, 222)) << "halfway";
    EXPECT_EQ(MixColor(ListColor(0, 0, 0), ListColor(200, 100, 50), 1, 2), ListColor(100, 50, 25));
}

}  // namespace
}  // namespace vt::ui
