#include "shell/popup_geometry.h"

#include <gtest/gtest.h>

namespace vt::shell {
namespace {

TEST(PopupGeometry, EitherSizeZeroGivesTheDefaultWindow) {
    for (const auto& [width, height] : {std::pair{0, 0}, {0, 300}, {600, 0}}) {
        const PopupSize window = PopupWindowSize(width, height);
        EXPECT_EQ(window.width, 589) << width << "x" << height;
        EXPECT_EQ(window.height, 381) << width << "x" << height;
        const PopupSize page = PopupPageSize(width, height);
        EXPECT_EQ(page.width, 585);
        EXPECT_EQ(page.height, 345);
    }
    const PopupSize window = PopupWindowSize(600, 400);
    EXPECT_EQ(window.width, 604);
    EXPECT_EQ(window.height, 436);
}

TEST(PopupGeometry, PageHostSitsBelowTheCaptionAndNeverGoesNegative) {
    const PopupRect page = PopupPageRect(589, 381);
    EXPECT_EQ(page.x, 1);
    EXPECT_EQ(page.y, 34);
    EXPECT_EQ(page.width, 585);
    EXPECT_EQ(page.height, 345);
    const PopupRect tiny = PopupPageRect(3, 20);
    EXPECT_EQ(tiny.width, 0);
    EXPECT_EQ(tiny.height, 0);
}

TEST(PopupGeometry, CaptionButtonsHangFromTheRightEdge) {
    const CaptionButtonPlaces places = PlaceCaptionButtons(589, 16, 18);
    EXPECT_EQ(places.close.x, 589 - 16 - 10);
    EXPECT_EQ(places.maximise.x, 589 - 18 - 16 - 20);
    EXPECT_EQ(places.restore.x, places.maximise.x - 5);
    EXPECT_EQ(places.close.y, 10);
    EXPECT_EQ(places.maximise.y, 10);
    EXPECT_EQ(places.restore.y, 10);
}

TEST(PopupGeometry, LoadingImageIsCentredOnThePageArea) {
    const PopupPoint place = LoadingImagePlace(585, 345, 32, 32);
    EXPECT_EQ(place.x, 276);
    EXPECT_EQ(place.y, 156);
}

TEST(PopupGeometry, SimulatorRequestBecomesAFixedSizePopupWithLoading) {
    const PopupOptions options = SimulatorPopupOptions(
        {"技能模拟器", "http://127.0.0.1/MacroInfo/Simulator.aspx", "600px", " 400", "start();"});
    EXPECT_EQ(options.title, "技能模拟器");
    EXPECT_EQ(options.url, "http://127.0.0.1/MacroInfo/Simulator.aspx");
    EXPECT_EQ(options.width, 600);
    EXPECT_EQ(options.height, 400);
    EXPECT_EQ(options.script, "start();");
    EXPECT_FALSE(options.canMaximise);
    EXPECT_TRUE(options.showLoading);

    const PopupOptions detail =
        DetailPopupOptions("http://127.0.0.1/Pages/Plug/PlugDetail_3.shtml#1");
    EXPECT_EQ(detail.width, 0);
    EXPECT_EQ(detail.height, 0);
    EXPECT_TRUE(detail.canMaximise);
    EXPECT_FALSE(detail.showLoading);
    EXPECT_TRUE(detail.title.empty());
    EXPECT_TRUE(detail.script.empty());
}

}  // namespace
}  // namespace vt::shell
