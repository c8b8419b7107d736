#include "ui/skin_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace vt::ui {
namespace {

// Counts how often each pixel of place is covered by the pieces' places.
std::vector<int> Coverage(const std::vector<SlicePiece>& pieces, PixelRect place) {
    std::vector<int> covered(place.Width() * place.Height(), 0);
    for (const SlicePiece& piece : pieces) {
        for (int y = piece.place.top; y < piece.place.bottom; ++y) {
            for (int x = piece.place.left; x < piece.place.right; ++x) {
                if (x >= place.left && x < place.right && y >= place.top && y < place.bottom)
                    ++covered[(y - place.top) * place.Width() + (x - place.left)];
            }
        }
    }
    return covered;
}

TEST(NineSlice, DefaultInsetsAreTheCentreLinesAndNeverCoverMoreThanTheImage) {
    const SliceInsets resolved = ResolveInsets(9, 7, {});
    EXPECT_EQ(resolved.top, 3);
    EXPECT_EQ(resolved.bottom, 3);
    EXPECT_EQ(resolved.left, 4);
    EXPECT_EQ(resolved.right, 4);

    const SliceInsets even = ResolveInsets(10, 4, {});
    EXPECT_EQ(even.left, 4) << "(10 - 1) / 2";
    EXPECT_EQ(even.top, 1);

    const SliceInsets tooWide =
        ResolveInsets(10, 10, {.top = 8, .bottom = 8, .left = 20, .right = 3});
    EXPECT_EQ(tooWide.top, 8);
    EXPECT_EQ(tooWide.bottom, 2);
    EXPECT_EQ(tooWide.left, 10);
    EXPECT_EQ(tooWide.right, 0);
}

TEST(NineSlice, PiecesCoverThePlaceOnceWithCornersAtNaturalSize) {
    for (SliceMode mode : {SliceMode::BitmapStretch, SliceMode::SmoothStretch, SliceMode::Tile}) {
        for (const PixelRect place : {PixelRect{10, 20, 110, 70}, PixelRect{0, 0, 9, 7},
                                      PixelRect{5, 5, 14, 40}, PixelRect{0, 0, 884, 579}}) {
            const auto pieces = NineSlicePieces(9, 7, {}, place, mode);
            for (int count : Coverage(pieces, place))
                ASSERT_EQ(count, 1) << "mode " << static_cast<int>(mode) << " place " << place.right
                                    << "x" << place.bottom;
            int corners = 0;
            for (const SlicePiece& piece : pieces) {
                EXPECT_GE(piece.source.left, 0);
                EXPECT_GE(piece.source.top, 0);
                EXPECT_LE(piece.source.right, 9);
                EXPECT_LE(piece.source.bottom, 7);
                if (piece.corner) {
                    ++corners;
                    EXPECT_EQ(piece.place.Width(), piece.source.Width());
                    EXPECT_EQ(piece.place.Height(), piece.source.Height());
                    EXPECT_FALSE(piece.tiled);
                } else {
                    EXPECT_EQ(piece.tiled, mode == SliceMode::Tile);
                }
            }
            EXPECT_EQ(corners, 4);
        }
    }
}

TEST(NineSlice, CornersAreDrawnLastAndAnchoredToTheirCorner) {
    const PixelRect place{100, 200, 150, 260};
    const auto pieces = NineSlicePieces(20, 10, {.top = 2, .bottom = 3, .left = 4, .right = 5},
                                        place, SliceMode::SmoothStretch);
    ASSERT_EQ(pieces.size(), 9u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_FALSE(pieces[i].corner) << i;
    EXPECT_EQ(pieces[5].place, (PixelRect{100, 200, 104, 202}));
    EXPECT_EQ(pieces[5].source, (PixelRect{0, 0, 4, 2}));
    EXPECT_EQ(pieces[6].place, (PixelRect{145, 200, 150, 202}));
    EXPECT_EQ(pieces[6].source, (PixelRect{15, 0, 20, 2}));
    EXPECT_EQ(pieces[7].place, (PixelRect{100, 257, 104, 260}));
    EXPECT_EQ(pieces[8].place, (PixelRect{145, 257, 150, 260}));
    EXPECT_EQ(pieces[8].source, (PixelRect{15, 7, 20, 10}));
    // The centre stretches the middle of the image over the middle of the place.
    EXPECT_EQ(pieces[2].source, (PixelRect{4, 2, 15, 7}));
    EXPECT_EQ(pieces[2].place, (PixelRect{104, 202, 145, 257}));
}

TEST(NineSlice, PlaceSmallerThanItsCornersKeepsWholeCornersAndDropsTheRest) {
    const auto pieces = NineSlicePieces(20, 20, {}, PixelRect{0, 0, 12, 30}, SliceMode::Tile);
    int corners = 0;
    for (const SlicePiece& piece : pieces) {
        EXPECT_FALSE(piece.place.IsEmpty());
        if (piece.corner) {
            ++corners;
            EXPECT_EQ(piece.place.Width(), 9);
            EXPECT_EQ(piece.place.Height(), 9);
        } else {
            EXPECT_NE(piece.place.left, 9) << "no middle column in a 12-pixel place";
        }
    }
    EXPECT_EQ(corners, 4);
}

TEST(NineSlice, EmptyImageOrPlaceGivesNoPieces) {
    EXPECT_TRUE(NineSlicePieces(0, 10, {}, {0, 0, 10, 10}, SliceMode::Tile).empty());
    EXPECT_TRUE(NineSlicePieces(10, 10, {}, {5, 5, 5, 20}, SliceMode::Tile).empty());
    EXPECT_TRUE(NineSlicePieces(10, 10, {}, {5, 5, 0, 0}, SliceMode::Tile).empty());
}

TEST(NineSlice, ZeroInsetsStretchTheWholeImageAsOnePiece) {
    const auto pieces =
        NineSlicePieces(8, 6, {0, 0, 0, 0}, {0, 0, 80, 60}, SliceMode::SmoothStretch);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].source, (PixelRect{0, 0, 8, 6}));
    EXPECT_EQ(pieces[0].place, (PixelRect{0, 0, 80, 60}));
}

TEST(NineSlice, TilesRunInWholeCopiesAndOnePartialCopy) {
    EXPECT_EQ(TileAlong(3, 10).whole, 3);
    EXPECT_EQ(TileAlong(3, 10).remainder, 1);
    EXPECT_EQ(TileAlong(5, 10).whole, 2);
    EXPECT_EQ(TileAlong(5, 10).remainder, 0);
    EXPECT_EQ(TileAlong(7, 4).whole, 0);
    EXPECT_EQ(TileAlong(7, 4).remainder, 4);
    EXPECT_EQ(TileAlong(0, 4).whole, 0) << "an empty slice never divides by zero";
    EXPECT_EQ(TileAlong(4, 0).remainder, 0);
}

TEST(TextAlignment, FlagBitsChooseEachDirection) {
    struct Case {
        unsigned flags;
        TextAlign horizontal, vertical;
    };
    const Case cases[] = {
        {0, TextAlign::Near, TextAlign::Near},
        {kTextTop | kTextLeft, TextAlign::Near, TextAlign::Near},
        {kTextMiddle | kTextCentre, TextAlign::Centre, TextAlign::Centre},
        {kTextBottom | kTextRight, TextAlign::Far, TextAlign::Far},
        {kTextCentre, TextAlign::Centre, TextAlign::Near},
        {kTextBottom, TextAlign::Near, TextAlign::Far},
        {kTextLeft | kTextRight, TextAlign::Far, TextAlign::Near},
        {kTextTop | kTextMiddle | kTextBottom, TextAlign::Near, TextAlign::Far},
    };
    for (const Case& c : cases) {
        const TextAlignment alignment = AlignmentFromFlags(c.flags);
        EXPECT_EQ(alignment.horizontal, c.horizontal) << "flags " << c.flags;
        EXPECT_EQ(alignment.vertical, c.vertical) << "flags " << c.flags;
    }
}

TEST(TextAlignment, TextIsPlacedInItsBoxOrAroundItsPoint) {
    const TextAlignment centred{TextAlign::Centre, TextAlign::Centre};
    EXPECT_EQ(PlaceText(centred, 10, 20, 100, 40, 30, 10), (PixelPoint{45, 35}));
    EXPECT_EQ(PlaceText(centred, 10, 20, 0, 0, 30, 10), (PixelPoint{-5, 15}));
    const TextAlignment far{TextAlign::Far, TextAlign::Far};
    EXPECT_EQ(PlaceText(far, 10, 20, 100, 40, 30, 10), (PixelPoint{80, 50}));
    EXPECT_EQ(PlaceText(far, 10, 20, 0, 0, 30, 10), (PixelPoint{-20, 10}));
    EXPECT_EQ(PlaceText({}, 10, 20, 100, 40, 30, 10), (PixelPoint{10, 20}));
}

TEST(DialogEdges, SixPixelBandsGiveTheResizeCodesAndCursors) {
    struct Case {
        int x, y;
        EdgeHit hit;
        EdgeCursor cursor;
    };
    const Case cases[] = {
        {0, 0, EdgeHit::TopLeft, EdgeCursor::NorthWestSouthEast},
        {5, 5, EdgeHit::TopLeft, EdgeCursor::NorthWestSouthEast},
        {6, 5, EdgeHit::Top, EdgeCursor::NorthSouth},
        {6, 6, EdgeHit::None, EdgeCursor::Arrow},
        {199, 0, EdgeHit::TopRight, EdgeCursor::NorthEastSouthWest},
        {194, 3, EdgeHit::TopRight, EdgeCursor::NorthEastSouthWest},
        {193, 3, EdgeHit::Top, EdgeCursor::NorthSouth},
        {0, 99, EdgeHit::BottomLeft, EdgeCursor::NorthEastSouthWest},
        {199, 99, EdgeHit::BottomRight, EdgeCursor::NorthWestSouthEast},
        {100, 94, EdgeHit::Bottom, EdgeCursor::NorthSouth},
        {100, 93, EdgeHit::None, EdgeCursor::Arrow},
        {2, 50, EdgeHit::Left, EdgeCursor::WestEast},
        {196, 50, EdgeHit::Right, EdgeCursor::WestEast},
        {100, 50, EdgeHit::None, EdgeCursor::Arrow},
        {-1, 50, EdgeHit::None, EdgeCursor::Arrow},
        {200, 50, EdgeHit::None, EdgeCursor::Arrow},
    };
    for (const Case& c : cases) {
        const EdgeHit hit = EdgeHitTest(c.x, c.y, 200, 100);
        EXPECT_EQ(hit, c.hit) << c.x << "," << c.y;
        EXPECT_EQ(CursorForEdge(hit), c.cursor) << c.x << "," << c.y;
    }
    // The codes are the system's: HTLEFT is 10, HTBOTTOMRIGHT 17.
    EXPECT_EQ(static_cast<int>(EdgeHit::Left), 10);
    EXPECT_EQ(static_cast<int>(EdgeHit::BottomRight), 17);
}

TEST(DialogEdges, CaptionBandEndsAtItsHeight) {
    EXPECT_TRUE(InCaptionBand(0, 30));
    EXPECT_TRUE(InCaptionBand(30, 30));
    EXPECT_FALSE(InCaptionBand(31, 30));
    EXPECT_FALSE(InCaptionBand(0, 0)) << "no band, no drag";
}

TEST(RoundedCorners, EachCornerCutsItsSquareAndAddsItsEllipse) {
    EXPECT_TRUE(RoundedCornerSteps(300, 200, {}).empty());

    const auto steps = RoundedCornerSteps(300, 200, {.topLeft = 10, .bottomRight = 7});
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0], (RegionStep{RegionStep::Kind::CutRect, {0, 0, 5, 5}}));
    EXPECT_EQ(steps[1], (RegionStep{RegionStep::Kind::AddEllipse, {0, 0, 10, 10}}));
    EXPECT_EQ(steps[2], (RegionStep{RegionStep::Kind::CutRect, {297, 197, 300, 200}}));
    EXPECT_EQ(steps[3], (RegionStep{RegionStep::Kind::AddEllipse, {293, 193, 300, 200}}));

    const auto right = RoundedCornerSteps(300, 200, {.topRight = 8, .bottomLeft = 8});
    ASSERT_EQ(right.size(), 4u);
    EXPECT_EQ(right[0].rect, (PixelRect{296, 0, 300, 4}));
    EXPECT_EQ(right[1].rect, (PixelRect{292, 0, 300, 8}));
    EXPECT_EQ(right[2].rect, (PixelRect{0, 196, 4, 200}));
    EXPECT_EQ(right[3].rect, (PixelRect{0, 192, 8, 200}));
}

TEST(RoundedCorners, DiametersAreLimitedToTheWindow) {
    const auto steps = RoundedCornerSteps(40, 20, {.topLeft = 500, .topRight = -3});
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[1].rect, (PixelRect{0, 0, 20, 20}));
    EXPECT_TRUE(RoundedCornerSteps(0, 0, {.topLeft = 5}).empty());
}

TEST(MessageBoxPlaces, OneButtonIsCentredAndTwoStandSideBySide) {
    // The box of 347 x 211 with the skin's buttons of 72 x 24 and close button of 22 x 20.
    const MessageBoxPlaces one = PlaceMessageBoxButtons(347, 211, 22, 20, 72, 24, false);
    EXPECT_EQ(one.close, (PixelRect{313, 10, 335, 30}));
    EXPECT_EQ(one.ok, (PixelRect{137, 175, 209, 199}));
    EXPECT_TRUE(one.cancel.IsEmpty());

    const MessageBoxPlaces two = PlaceMessageBoxButtons(347, 211, 22, 20, 72, 24, true);
    EXPECT_EQ(two.ok, (PixelRect{95, 175, 167, 199}));
    EXPECT_EQ(two.cancel, (PixelRect{180, 175, 252, 199}));

    const MessageBoxPlaces narrow = PlaceMessageBoxButtons(100, 60, 22, 20, 72, 24, true);
    EXPECT_LT(narrow.ok.right, narrow.cancel.left) << "never on top of each other";
}

}  // namespace
}  // namespace vt::ui
