#include "ui/skin_geometry.h"

#include <algorithm>

namespace vt::ui {
namespace {

// Resolves one pair of opposite insets for an image side of length size.
void ResolvePair(int size, int& first, int& second) {
    const int centre = std::max(0, (size - 1) / 2);
    if (first < 0)
        first = centre;
    if (second < 0)
        second = centre;
    first = std::min(first, size);
    second = std::min(second, size - first);
}

// Three bands along one axis: [start, start + a), [.., end - c), [end - c, end).
struct Bands {
    int edge[4];
};

Bands SplitAxis(int start, int end, int first, int second) {
    return Bands{{start, start + first, end - second, end}};
}

}  // namespace

TileRun TileAlong(int sliceLength, int placeLength) {
    if (sliceLength <= 0 || placeLength <= 0)
        return {};
    return TileRun{placeLength / sliceLength, placeLength % sliceLength};
}

SliceInsets ResolveInsets(int imageWidth, int imageHeight, SliceInsets insets) {
    ResolvePair(std::max(imageHeight, 0), insets.top, insets.bottom);
    ResolvePair(std::max(imageWidth, 0), insets.left, insets.right);
    return insets;
}

std::vector<SlicePiece> NineSlicePieces(int imageWidth, int imageHeight, SliceInsets insets,
                                        PixelRect place, SliceMode mode) {
    std::vector<SlicePiece> pieces;
    if (imageWidth <= 0 || imageHeight <= 0 || place.IsEmpty())
        return pieces;
    insets = ResolveInsets(imageWidth, imageHeight, insets);
    const Bands sourceColumns = SplitAxis(0, imageWidth, insets.left, insets.right);
    const Bands sourceRows = SplitAxis(0, imageHeight, insets.top, insets.bottom);
    const Bands placeColumns = SplitAxis(place.left, place.right, insets.left, insets.right);
    const Bands placeRows = SplitAxis(place.top, place.bottom, insets.top, insets.bottom);

    // Edges and centre first, corners last on top of them.
    std::vector<SlicePiece> corners;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            SlicePiece piece;
            piece.source = {sourceColumns.edge[column], sourceRows.edge[row],
                            sourceColumns.edge[column + 1], sourceRows.edge[row + 1]};
            piece.corner = row != 1 && column != 1;
            if (piece.corner) {
                // Natural size, anchored to the place's own corner.
                const int x = column == 0 ? place.left : place.right - insets.right;
                const int y = row == 0 ? place.top : place.bottom - insets.bottom;
                piece.place = {x, y, x + piece.source.Width(), y + piece.source.Height()};
            } else {
                piece.place = {placeColumns.edge[column], placeRows.edge[row],
                               placeColumns.edge[column + 1], placeRows.edge[row + 1]};
                piece.tiled = mode == SliceMode::Tile;
            }
            if (piece.source.IsEmpty() || piece.place.IsEmpty())
                continue;
            (piece.corner ? corners : pieces).push_back(piece);
        }
    }
    pieces.insert(pieces.end(), corners.begin(), corners.end());
    return pieces;
}

TextAlignment AlignmentFromFlags(unsigned flags) {
    // The near bits (kTextLeft, kTextTop) only say what no bit says too.
    const auto pick = [flags](unsigned centre, unsigned far) {
        if (flags & far)
            return TextAlign::Far;
        if (flags & centre)
            return TextAlign::Centre;
        return TextAlign::Near;
    };
    return TextAlignment{pick(kTextCentre, kTextRight), pick(kTextMiddle, kTextBottom)};
}

PixelPoint PlaceText(TextAlignment alignment, int x, int y, int boxWidth, int boxHeight,
                     int textWidth, int textHeight) {
    const auto along = [](TextAlign align, int start, int box, int text) {
        switch (align) {
            case TextAlign::Centre:
                return start + (box - text) / 2;
            case TextAlign::Far:
                return start + box - text;
            case TextAlign::Near:
                break;
        }
        return start;
    };
    return PixelPoint{along(alignment.horizontal, x, boxWidth, textWidth),
                      along(alignment.vertical, y, boxHeight, textHeight)};
}

EdgeHit EdgeHitTest(int x, int y, int width, int height, int border) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return EdgeHit::None;
    const bool left = x < border, right = x >= width - border;
    const bool top = y < border, bottom = y >= height - border;
    if (top)
        return left ? EdgeHit::TopLeft : right ? EdgeHit::TopRight : EdgeHit::Top;
    if (bottom)
        return left ? EdgeHit::BottomLeft : right ? EdgeHit::BottomRight : EdgeHit::Bottom;
    if (left)
        return EdgeHit::Left;
    if (right)
        return EdgeHit::Right;
    return EdgeHit::None;
}

EdgeCursor CursorForEdge(EdgeHit hit) {
    switch (hit) {
        case EdgeHit::TopLeft:
        case EdgeHit::BottomRight:
            return EdgeCursor::NorthWestSouthEast;
        case EdgeHit::TopRight:
        case EdgeHit::BottomLeft:
            return EdgeCursor::NorthEastSouthWest;
        case EdgeHit::Left:
        case EdgeHit::Right:
            return EdgeCursor::WestEast;
        case EdgeHit::Top:
        case EdgeHit::Bottom:
            return EdgeCursor::NorthSouth;
        case EdgeHit::None:
            break;
    }
    return EdgeCursor::Arrow;
}

bool InCaptionBand(int y, int captionHeight) {
    return captionHeight > 0 && y <= captionHeight;
}

std::vector<RegionStep> RoundedCornerSteps(int width, int height, CornerDiameters corners) {
    std::vector<RegionStep> steps;
    const int limit = std::max(0, std::min(width, height));
    const auto corner = [&](int diameter, bool right, bool bottom) {
        const int d = std::clamp(diameter, 0, limit);
        if (d == 0)
            return;
        const int half = d / 2;
        const int x = right ? width - half : 0, y = bottom ? height - half : 0;
        steps.push_back({RegionStep::Kind::CutRect, {x, y, x + half, y + half}});
        const int ex = right ? width - d : 0, ey = bottom ? height - d : 0;
        steps.push_back({RegionStep::Kind::AddEllipse, {ex, ey, ex + d, ey + d}});
    };
    corner(corners.topLeft, false, false);
    corner(corners.topRight, true, false);
    corner(corners.bottomLeft, false, true);
    corner(corners.bottomRight, true, true);
    return steps;
}

MessageBoxPlaces PlaceMessageBoxButtons(int width, int height, int closeWidth, int closeHeight,
                                        int buttonWidth, int buttonHeight, bool twoButtons) {
    constexpr int kCloseRight = 12, kCloseTop = 10, kBottomMargin = 12, kGap = 13;
    MessageBoxPlaces places;
    const int closeX = width - closeWidth - kCloseRight;
    places.close = {closeX, kCloseTop, closeX + closeWidth, kCloseTop + closeHeight};
    const int y = height - kBottomMargin - buttonHeight;
    if (!twoButtons) {
        const int x = (width - buttonWidth) / 2;
        places.ok = {x, y, x + buttonWidth, y + buttonHeight};
        return places;
    }
    const int x = (width - 2 * buttonWidth - kGap) / 2;
    places.ok = {x, y, x + buttonWidth, y + buttonHeight};
    const int cancelX = x + buttonWidth + kGap;
    places.cancel = {cancelX, y, cancelX + buttonWidth, y + buttonHeight};
    return places;
}

}  // namespace vt::ui
