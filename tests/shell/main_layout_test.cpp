#include "shell/main_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "platform/code_page.h"
#include "platform/system.h"
#include "ui/program_strings.h"

namespace vt::shell {
namespace {

// The size of a PNG of the skin (resources/images/<id>.png) from its header.
LayoutRect ImageSize(int id) {
    const std::string source = platform::GetEnv("TESSEL_SOURCE_DIR");
    std::ifstream file(source + "/resources/images/" + std::to_string(id) + ".png",
                       std::ios::binary);
    unsigned char header[24] = {};
    file.read(reinterpret_cast<char*>(header), sizeof header);
    if (!file || header[1] != 'P' || header[12] != 'I' || header[13] != 'H')
        return {};
    const auto be32 = [&](int at) {
        return (header[at] << 24) | (header[at + 1] << 16) | (header[at + 2] << 8) | header[at + 3];
    };
    return {0, 0, be32(16), be32(20)};
}

// Where an image button lands: one slice of its strip at its place.
LayoutRect ButtonRect(const SkinButtonPlace& button) {
    const LayoutRect strip = ImageSize(button.image);
    return {button.x, button.y, strip.width / button.states, strip.height};
}

bool Inside(const LayoutRect& inner, const LayoutRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() &&
           inner.Bottom() <= outer.Bottom();
}

TEST(MainLayout, ButtonsFitTheWindowAndNeverCoverEachOtherOrThePanels) {
    ASSERT_FALSE(platform::GetEnv("TESSEL_SOURCE_DIR").empty());
    const LayoutRect window{0, 0, kMainWidth, kMainHeight};
    const auto buttons = MainButtonPlaces();
    ASSERT_EQ(buttons.size(), 13u);
    for (size_t i = 0; i < buttons.size(); ++i) {
        const LayoutRect a = ButtonRect(buttons[i]);
        ASSERT_GT(a.width, 0) << "image " << buttons[i].image;
        // Every strip divides into whole slices.
        EXPECT_EQ(ImageSize(buttons[i].image).width % buttons[i].states, 0) << buttons[i].id;
        EXPECT_TRUE(Inside(a, window)) << buttons[i].id;
        EXPECT_FALSE(a.Overlaps(kAddonListPlace)) << buttons[i].id;
        EXPECT_FALSE(a.Overlaps(kTabPagePlace)) << buttons[i].id;
        for (size_t j = i + 1; j < buttons.size(); ++j)
            EXPECT_FALSE(a.Overlaps(ButtonRect(buttons[j])))
                << buttons[i].id << " and " << buttons[j].id;
    }
    // The list, the pages and the loading picture stay apart and inside.
    EXPECT_FALSE(kAddonListPlace.Overlaps(kTabPagePlace));
    EXPECT_TRUE(Inside(kAddonListPlace, window));
    EXPECT_TRUE(Inside(kTabPagePlace, window));
    const LayoutRect loading = ImageSize(155);
    EXPECT_TRUE(
        Inside({kLoadingPlace.x, kLoadingPlace.y, loading.width, loading.height}, kAddonListPlace));
}

TEST(MainLayout, BackgroundPiecesCoverTheWindowInOrder) {
    const auto pieces = MainBackgroundPieces();
    ASSERT_FALSE(pieces.empty());
    // The frame first, over the whole window; everything else inside it.
    EXPECT_EQ(pieces[0].place.width, kMainWidth);
    EXPECT_EQ(pieces[0].place.height, kMainHeight);
    const LayoutRect window{0, 0, kMainWidth, kMainHeight};
    for (const BackgroundPiece& piece : pieces) {
        LayoutRect place = piece.place;
        const LayoutRect image = ImageSize(piece.image);
        ASSERT_GT(image.width, 0) << piece.image;
        if (piece.positioned) {
            place.width = image.width;
            place.height = image.height;
        }
        EXPECT_TRUE(Inside(place, window)) << piece.image;
    }
}

TEST(MainLayout, CountSitsInTheGapOfItsLabel) {
    // Widths as the 10-point "共    个" measures: "共" 13, "共    " 40,
    // digits of the 12-point count about 8 each.
    const LayerTextPlace total = MainText(PanelText::kTotal);
    const int centre = CountCentreX(total.x, 13, 40);
    for (int digits = 1; digits <= 3; ++digits) {
        const int width = 8 * digits;
        EXPECT_GE(centre - width / 2, total.x + 13) << digits;
        EXPECT_LE(centre + (width + 1) / 2, total.x + 40) << digits;
    }
}

TEST(MainLayout, HintsSplitAroundTheirLinkGap) {
    const auto split = [](int id) {
        const HintParts parts = SplitHint(platform::Utf8ToLocal(ui::ProgramText(id)));
        return std::pair{platform::LocalToUtf8(parts.prefix), platform::LocalToUtf8(parts.suffix)};
    };
    EXPECT_EQ(split(183), (std::pair<std::string, std::string>{"请", "游戏路径"}));
    EXPECT_EQ(split(181), (std::pair<std::string, std::string>{"请到", "添加"}));
    EXPECT_EQ(SplitHint("plain").prefix, "plain");
    EXPECT_EQ(SplitHint("plain").suffix, "");
    EXPECT_EQ(SplitHint("ends   ").suffix, "");
    // Where the parts go: the link after the first word, the rest after the
    // link, so neither covers the other however wide a space is drawn.
    const InlineLinkPlaces places = PlaceInlineLink(74, 13, 26);
    EXPECT_EQ(places.linkX, 74 + 13 + kHintLinkMargin);
    EXPECT_EQ(places.suffixX, places.linkX + 26 + kHintLinkMargin);
}

TEST(MainLayout, PanelShowsOneViewAtATime) {
    // The view messages as a refresh sends them, then an install from the
    // no-addons view (the worker shows the list at once).
    addons::LeftPanelState panel;
    addons::ApplyListState(panel, addons::kViewLoading, 1);
    PanelFace face = PanelFaceOf(panel);
    EXPECT_TRUE(face.loading);
    EXPECT_FALSE(face.list || face.noGamePath || face.noAddons);
    EXPECT_FALSE(face.deleteAllEnabled || face.updateAllEnabled);

    ApplyListState(panel, addons::kViewNoAddons, 1);
    face = PanelFaceOf(panel);
    EXPECT_TRUE(face.noAddons);
    EXPECT_FALSE(face.loading || face.list || face.noGamePath);

    ApplyListState(panel, addons::kViewListVisible, 1);
    face = PanelFaceOf(panel);
    EXPECT_TRUE(face.list);
    EXPECT_FALSE(face.noAddons) << "the hint and its link would show through the list";

    ApplyListState(panel, addons::kViewCount, 3);
    ApplyListState(panel, addons::kViewList, 1);
    ApplyListState(panel, addons::kViewUpdatesAvailable, 1);
    face = PanelFaceOf(panel);
    EXPECT_TRUE(face.list && face.deleteAllEnabled && face.updateAllEnabled);
    EXPECT_EQ(face.count, 3);

    // A download batch disables both batch buttons and the refresh.
    ApplyListState(panel, addons::kViewNotBusy, 0);
    face = PanelFaceOf(panel);
    EXPECT_FALSE(face.deleteAllEnabled || face.updateAllEnabled || face.refreshEnabled);

    ApplyListState(panel, addons::kViewNoGamePath, 1);
    face = PanelFaceOf(panel);
    EXPECT_TRUE(face.noGamePath);
    EXPECT_FALSE(face.list || face.noAddons || face.loading);
    EXPECT_EQ(face.count, 0);
}

TEST(AboutLayout, EveryLineHasItsOwnRowAndTheOwnLinesAreAllThere) {
    size_t own = 0;
    std::vector<int> rows;
    for (const LayerTextPlace& place : AboutTexts()) {
        own += place.stringId == 0 ? 1 : 0;
        rows.push_back(place.y);
    }
    // The rights and the maker line, each written by the box itself.
    EXPECT_EQ(own, kAboutOwnLines);
    std::sort(rows.begin(), rows.end());
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_GE(rows[i] - rows[i - 1], 12) << "two lines of the about box overlap";
}

TEST(PathDialogLayout, PlacesFollowTheDialogSize) {
    const PathDialogPlaces places =
        PlacePathDialog(kPathDialogWidth, kPathDialogHeight, 22, 20, 72, 24);
    EXPECT_EQ(places.close.x, 406 - 22 - 12);
    EXPECT_EQ(places.close.y, 10);
    EXPECT_EQ(places.save.x, 162);
    EXPECT_EQ(places.save.Bottom(), 190 - 9);
    // Nothing overlaps, and the field ends before "浏览".
    EXPECT_FALSE(places.edit.Overlaps(places.browse));
    EXPECT_FALSE(places.save.Overlaps(places.browse));
    EXPECT_LE(places.edit.Right(), places.browse.x);
    const LayoutRect dialog{0, 0, kPathDialogWidth, kPathDialogHeight};
    for (const LayoutRect& r : {places.close, places.browse, places.save, places.edit})
        EXPECT_TRUE(Inside(r, dialog));
}

TEST(PathDialogLayout, FilterBecomesTheSystemForm) {
    const std::string filter = SystemFileFilter(kGamePathFilter);
    const std::string entry = "vaelpatchchinese.exe;Vael.lnk";
    const std::string expected = entry + '\0' + entry + '\0' + '\0';
    EXPECT_EQ(filter, expected);
    // Without the closing "||" the two NULs are added.
    EXPECT_EQ(SystemFileFilter("a|b"), std::string("a\0b\0\0", 5));
}

}  // namespace
}  // namespace vt::shell
