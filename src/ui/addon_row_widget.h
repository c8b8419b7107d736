// The small interactive widget of an installed-addon row: the addon's name,
// the "可升级" badge, the enable/disable and delete links, the details icon and,
// while the addon downloads, a progress bar with a cancel cross. This file
// holds its decisions (where each part goes, which part a point hits, which
// colour the name takes); the list control measures, paints and routes.
// Portable: no window system here.
#pragma once

#include <cstdint>
#include <string>

namespace vt::ui {

// A colour as the window system stores it: 0x00BBGGRR.
constexpr uint32_t ListColor(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF) << 16;
}

// A rectangle in client pixels; right and bottom are outside it.
struct ListRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const ListRect&) const = default;
};

// What the list shows for one addon: supplied by whoever fills the row (it
// owns it while the row exists); the widget reads the flags and texts and
// writes the rectangles on every paint.
struct AddonRowLayout {
    int enabled = 1;     // chooses the toggle text and the name colour
    int upgradable = 0;  // the row's update value; non-zero shows the badge
    int noToggle = 0;    // hides the enable/disable link
    ListRect nameRect, badgeRect, toggleRect, deleteRect, detailsRect, cancelRect;
    std::string name;   // local code page
    std::string extra;  // a second text kept with the row
};

// Action codes a click in a widget region sends to the list's parent.
enum RowAction : int {
    kActionNone = 0,
    kActionUpgrade = '<',
    kActionToggle = '>',
    kActionDetails = '?',
    kActionCancel = '@',
    kActionDelete = 'A',
};

// Text height the layout reserves for a link or the badge.
constexpr int kLinkTextHeight = 14;
// Pixels the widget paints beyond its cell's right edge (the rest of the row).
constexpr int kWidgetOverhang = 50;

// The widget of one row: its mode and the layout it reads and writes.
struct AddonRowWidget {
    int downloading = 0;
    int percent = 0;                   // 0 to 99 while downloading
    int hot = 0;                       // the pointer is over the cell
    AddonRowLayout* layout = nullptr;  // not owned

    // Computes every rectangle of the layout for the cell, given the width of
    // "升级" in the link font and the name's width in the 12-pixel bold font.
    void Layout(const ListRect& cell, int linkWidth, int nameWidth);
    // The action code of the region under (x, y), regions tested in a fixed
    // order, or kActionNone.
    int HitCode(int x, int y) const;
    // The colour the name is drawn in.
    uint32_t NameColor() const;
};

// Where the widget paints: its cell widened by kWidgetOverhang to the right.
ListRect WidgetPaintArea(const ListRect& cell);
// The download bar for the cell at percent (empty at 0).
ListRect ProgressBarRect(const ListRect& cell, int percent);
// Where "NN%" goes, right- and bottom-aligned, left of the cancel cross.
ListRect PercentTextRect(const ListRect& cancelRect);

// One straight stroke of a small drawing, from (x1, y1) towards (x2, y2).
struct ListStroke {
    int x1, y1, x2, y2;
};
// The badge's up arrow right of badgeRect: the shaft, then the two head strokes.
struct BadgeArrow {
    ListStroke shaft, leftHead, rightHead;
};
BadgeArrow BadgeArrowStrokes(const ListRect& badgeRect);

// The hot row's background: a vertical gradient from white towards the hot
// colour that starts 5 pixels below the area's top and repeats every row
// height. The colour at y (y at or below the start).
uint32_t HotGradientColor(const ListRect& area, int rowHeight, int y);
constexpr uint32_t kHotGradientEnd = ListColor(251, 241, 189);
constexpr int kHotGradientOffset = 5;

// Mixes a towards b by numerator/denominator (0 gives a, denominator gives b).
uint32_t MixColor(uint32_t a, uint32_t b, int numerator, int denominator);

}  // namespace vt::ui
