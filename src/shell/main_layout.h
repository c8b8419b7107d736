// Where everything of the main window, the path dialog and the about box
// goes: the image buttons with their strips, the list, the tab pages, the
// background pieces and the texts of the drawing layer, and which of them
// the left panel's views show. Portable; the windows place and draw from it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "addons/left_panel.h"

namespace vt::shell {

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool Overlaps(const LayoutRect& other) const {
        return x < other.Right() && other.x < Right() && y < other.Bottom() && other.y < Bottom();
    }
};

// --- Main window ---------------------------------------------------------

constexpr int kMainWidth = 884;
constexpr int kMainHeight = 579;
constexpr int kMainCaptionHeight = 30;

// An image button: control id, PNG strip, slices, top-left corner (the size
// is one slice of the strip).
struct SkinButtonPlace {
    int id;
    int image;
    int states;
    int x;
    int y;
};
std::span<const SkinButtonPlace> MainButtonPlaces();

constexpr LayoutRect kAddonListPlace{7, 69, 240, 400};
constexpr LayoutRect kTabPagePlace{254, 59, 622, 440};
constexpr LayoutRect kStatisticsPlaces[] = {{21, 21, 1, 1}, {26, 21, 1, 1}};
constexpr LayoutRect kLoadingPlace{90, 195, 72, 72};  // resized to its picture
constexpr int kLinkY =
    254;  // (the hint text at 255 sits a pixel lower); the links' x follows their hint's first word
constexpr int kLinkPoints = 10;  // as the line the links stand in
// The list's rectangle extended upward, which "redraw" (view code 1) repaints.
constexpr int kListRedrawExtra = 30;
// The links' text colour in every state, RGB(255, 85, 24).
constexpr uint32_t kLinkColor = 0x001855FF;  // COLORREF order: 0x00BBGGRR

// A piece of the background: a rectangle image drawn nine-slice with the
// centre lines as insets, or an image at its own size at (x, y).
struct BackgroundPiece {
    int image;
    bool positioned;
    LayoutRect place;  // the image's size is its own for a positioned piece
};
// In drawing order: frame, footer band, page card, caption shadow, panel
// shadow, left panel, header line, caption separator.
std::span<const BackgroundPiece> MainBackgroundPieces();

// Colours of the drawn texts (ARGB).
constexpr uint32_t kCaptionTextArgb = 0xFFFFF7EE;
constexpr uint32_t kPanelTextArgb = 0xFF272F5D;
constexpr uint32_t kCountTextArgb = 0xFFFF5518;

// A text of the drawing layer: string-table entry (0: set by the window),
// top-left corner, point size and colour (ARGB).
struct LayerTextPlace {
    int stringId;
    int x;
    int y;
    int points;
    uint32_t argb;
};
enum class PanelText {
    kTitle,
    kMyAddons,
    kTotal,
    kLoading,
    kNoPathTitle,
    kNoPathHint,
    kNoAddonsTitle,
    kNoAddonsHint,
    kCount
};
LayerTextPlace MainText(PanelText text);

// The count "%d" is drawn in the gap of "共    个" (string 185 at (180, 47)),
// centred between the end of "共" and the start of "个": at the place the
// template gives it, (188, 44), a count of two digits would overlap the "共"
// drawn one size smaller. The widths are measured in the drawn font.
int CountCentreX(int totalTextX, int prefixWidth, int prefixAndGapWidth);

// The hints "请        游戏路径" and "请到        添加" hold a run of spaces where
// their link goes. Drawn as two texts with the link between them, the link
// never covers a word, whatever the width of a space in the drawn font.
struct HintParts {
    std::string prefix;  // before the run of spaces
    std::string suffix;  // after it; empty without a run
};
HintParts SplitHint(const std::string& text);
// The link right after the prefix and the suffix right after the link, each
// margin pixels apart.
struct InlineLinkPlaces {
    int linkX = 0;
    int suffixX = 0;
};
constexpr int kHintLinkMargin = 5;
InlineLinkPlaces PlaceInlineLink(int textX, int prefixWidth, int linkWidth,
                                 int margin = kHintLinkMargin);

// What the left panel shows in a state of LeftPanelState.
struct PanelFace {
    bool list = false;
    bool loading = false;     // animation and string 186
    bool noGamePath = false;  // strings 182, 183 and the link "设置"
    bool noAddons = false;    // strings 180, 181 and the link "插件库"
    bool updateAllEnabled = false;
    bool deleteAllEnabled = false;
    bool refreshEnabled = true;
    int count = 0;
};
PanelFace PanelFaceOf(const addons::LeftPanelState& panel);

// --- Path dialog (406 x 190) -----------------------------------------------

constexpr int kPathDialogWidth = 406;
constexpr int kPathDialogHeight = 190;
struct PathDialogPlaces {
    LayoutRect close;
    LayoutRect browse;
    LayoutRect save;
    LayoutRect edit;
};
// For the buttons' sizes (close button, and "浏览"/"保存设置" which share a
// strip): close at (width - its width - 12, 10), browse at (315, 90), save
// at (162, height - its height - 9), the field at (69, 93), 235 x 20.
PathDialogPlaces PlacePathDialog(int width, int height, int closeWidth, int closeHeight,
                                 int buttonWidth, int buttonHeight);

// The open-file filter of the path dialog in the class-library form,
// "description|pattern|...||", and the same as the system wants it: each
// "|" a NUL, ending in two NULs.
constexpr char kGamePathFilter[] = "vaelpatchchinese.exe;Vael.lnk|vaelpatchchinese.exe;Vael.lnk||";
std::string SystemFileFilter(const std::string& filter);

// --- About box (348 x 215) ---------------------------------------------------

constexpr int kAboutWidth = 348;
constexpr int kAboutHeight = 215;
constexpr int kAboutPictureX = 22, kAboutPictureY = 43;
constexpr int kAboutCloseX = 315, kAboutCloseY = 10;
constexpr int kAboutButtonX = 247, kAboutButtonY = 166;
constexpr int kAboutLinkX = 175, kAboutLinkY = 95;
// The texts: the title (string 175), the program (176), the rights line,
// "官网：" (191) before the link, and the maker; stringId 0 marks the two
// lines the about box writes itself (kAboutOwnLines of them, in order).
std::span<const LayerTextPlace> AboutTexts();
constexpr size_t kAboutOwnLines = 2;

}  // namespace vt::shell
