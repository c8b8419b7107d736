// The geometry of skinned windows, decided without the windowing system so
// that it can be tested on its own: the nine pieces of a rectangle image, the
// alignment of drawn texts, the resize edges of a dialog, its rounded corners
// and the buttons of the message box. Portable.
#pragma once

#include <vector>

namespace vt::ui {

// A rectangle in pixels; right and bottom are one past the last pixel.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const PixelRect&) const = default;
};

// --- Nine-slice images -------------------------------------------------------

// How the edges and the centre of a rectangle image fill their places (the
// corners are always drawn at their natural size).
enum class SliceMode {
    BitmapStretch = 0,  // stretched by a plain stretch-copy of a platform bitmap
    SmoothStretch = 1,  // stretched with smoothing and bicubic interpolation
    Tile = 2,           // whole copies of the slice, then one partial copy
};

// Widths of the image's border bands; -1 stands for the centre line
// ((height - 1) / 2 for top and bottom, (width - 1) / 2 for left and right).
struct SliceInsets {
    int top = -1;
    int bottom = -1;
    int left = -1;
    int right = -1;
};

// How many times a slice fits along one side of its place: whole copies and
// the length of the partial copy after them (0 when it fits exactly).
struct TileRun {
    int whole = 0;
    int remainder = 0;
};
TileRun TileAlong(int sliceLength, int placeLength);

// One of the nine pieces: a part of the image and the place it is drawn to.
// A tiled piece repeats its source from the place's top-left corner in whole
// copies, cut at the right and bottom (see TileAlong); any other piece is
// stretched from source to place.
struct SlicePiece {
    PixelRect source;
    PixelRect place;
    bool tiled = false;
    bool corner = false;
};

// The insets actually used for an image of this size: defaults resolved and
// each pair cut so that it never covers more than the image.
SliceInsets ResolveInsets(int imageWidth, int imageHeight, SliceInsets insets);

// The pieces that draw an image of imageWidth x imageHeight into place, in
// drawing order (the four corners last, at their natural size, so that they
// stay whole where a place is smaller than its corners). Pieces whose source
// or place is empty are left out; an empty image or place gives none.
std::vector<SlicePiece> NineSlicePieces(int imageWidth, int imageHeight, SliceInsets insets,
                                        PixelRect place, SliceMode mode);

// --- Texts -------------------------------------------------------------------

// Alignment flag bits of a drawn text.
constexpr unsigned kTextTop = 0x1;
constexpr unsigned kTextLeft = 0x2;
constexpr unsigned kTextCentre = 0x4;
constexpr unsigned kTextRight = 0x8;
constexpr unsigned kTextMiddle = 0x10;
constexpr unsigned kTextBottom = 0x20;

enum class TextAlign { Near, Centre, Far };

struct TextAlignment {
    TextAlign horizontal = TextAlign::Near;
    TextAlign vertical = TextAlign::Near;
};

// The alignment the flag bits ask for. With none of a direction's bits set
// the text is near (left, top); with several, far wins over centre and centre
// over near.
TextAlignment AlignmentFromFlags(unsigned flags);

// Where a text of textWidth x textHeight lands when it is aligned to a box
// whose top-left corner is (x, y). A box side of 0 is a point: near starts
// there, centre is centred on it, far ends there. Returns the text's
// top-left corner.
struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};
PixelPoint PlaceText(TextAlignment alignment, int x, int y, int boxWidth, int boxHeight,
                     int textWidth, int textHeight);

// --- Dialog edges and caption --------------------------------------------------

// Where a point of a resizable dialog's client area lies; the values are the
// system's non-client hit codes of the resize borders.
enum class EdgeHit {
    None = 0,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

// The pointer shape over each edge.
enum class EdgeCursor { Arrow, NorthWestSouthEast, NorthEastSouthWest, WestEast, NorthSouth };

// The resize edge under a client point of a client area of width x height,
// within border pixels of its sides; corners where two bands meet.
EdgeHit EdgeHitTest(int x, int y, int width, int height, int border = 6);
EdgeCursor CursorForEdge(EdgeHit hit);

// A press at client height y drags the window when the caption band is set
// and y lies within it (y <= captionHeight).
bool InCaptionBand(int y, int captionHeight);

// --- Rounded corners -----------------------------------------------------------

// Diameters in pixels of the four rounded corners; 0 is square.
struct CornerDiameters {
    int topLeft = 0;
    int topRight = 0;
    int bottomLeft = 0;
    int bottomRight = 0;
};

// One step of building a window's region from its whole rectangle.
struct RegionStep {
    enum class Kind { CutRect, AddEllipse };
    Kind kind = Kind::CutRect;
    PixelRect rect;
    bool operator==(const RegionStep&) const = default;
};

// The steps that round the corners of a width x height window: for each
// corner of diameter d, cut its d/2 x d/2 square and add back a d x d
// ellipse in the corner. Diameters are limited to the window's smaller side.
// No steps (a plain rectangle) when every diameter is 0.
std::vector<RegionStep> RoundedCornerSteps(int width, int height, CornerDiameters corners);

// --- Message box -----------------------------------------------------------------

// Places of the message box's buttons in a client area of width x height.
struct MessageBoxPlaces {
    PixelRect close;
    PixelRect ok;
    PixelRect cancel;  // empty in the one-button form
};

// The close button at (width - its width - 12, 10); the OK button alone
// centred, or OK and cancel side by side 13 pixels apart around the centre,
// their bottom 12 pixels above the box's.
MessageBoxPlaces PlaceMessageBoxButtons(int width, int height, int closeWidth, int closeHeight,
                                        int buttonWidth, int buttonHeight, bool twoButtons);

}  // namespace vt::ui
