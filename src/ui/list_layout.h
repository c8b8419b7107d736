// The installed-addons list control's rules and records, apart from the
// window: its settings and colour rules, the column description, the cell
// records a row owns, where each cell and check box goes, how rows sort, what
// a progress report does to a row and what the check-box message carries.
// Portable: no window system here; the control measures, paints and routes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/addon_row_widget.h"

namespace vt::ui {

// Colour arguments of SetColors that leave a value as it is.
constexpr uint32_t kKeepColor = 0xFFFFFFFF;

// The control's settings; the defaults are those of a new control.
struct ListSettings {
    uint32_t backgroundColor = ListColor(255, 255, 255);
    uint32_t rowColor = ListColor(255, 255, 255);
    uint32_t altRowColor = ListColor(246, 250, 254);
    int altRowsOn = 0;
    uint32_t selectedColor = ListColor(203, 236, 255);
    int selectionOn = 1;
    uint32_t checkFrameColor = ListColor(51, 102, 153);
    uint32_t disabledColor = ListColor(128, 128, 128);  // the control sets the system's grey text
    uint32_t checkTextColor = 0;
    int gridLines = 0;
    int ellipsis = 1;
    int rowHeight = -1;  // used when positive
    std::string emptyText;

    // SetColors: kKeepColor (-1) leaves a colour; a kept row colour follows
    // the background; an alternate colour turns alternate rows on and a kept
    // one turns them off; a selection colour turns selection painting on.
    void SetColors(uint32_t background, uint32_t row, uint32_t altRow, uint32_t selected);
    // The fill of row index.
    uint32_t RowFill(int index, bool selected) const;
};

// Fixed colours of the list's painting.
constexpr uint32_t kTextColor = ListColor(51, 51, 51);
constexpr uint32_t kHighlightTextColor = ListColor(37, 98, 152);
constexpr uint32_t kTickColor = ListColor(51, 153, 51);
constexpr uint32_t kStarColor = ListColor(255, 200, 13);
constexpr uint32_t kGridLineColor = ListColor(207, 222, 227);
constexpr uint32_t kEmptyTextColor = ListColor(0, 122, 182);

// One column of SetColumns: "title,width" entries separated by ";".
struct ColumnEntry {
    std::string title;
    int width = 0;
};
// The entries of a column description; an empty entry is skipped, a width
// that is not a number is 0.
std::vector<ColumnEntry> ParseColumnList(const std::string& list);

// Horizontal alignment of text and star cells, from the header's digit of
// the column ('0' left, '1' centred, '2' right).
enum class CellAlign { kLeft, kCenter, kRight };
// The header digit for a column format (0 left, 1 right, 2 centred).
char HeaderAlignDigit(int format);
CellAlign AlignOfDigit(char digit);
// The header height for its normal height and the scale (toward zero).
int ScaledHeaderHeight(int normalHeight, double scale);

// The rectangle of every column in a row, indexed by column: columns sit side
// by side from the row's left edge in display order.
std::vector<ListRect> CellRects(const ListRect& row, const std::vector<int>& order,
                                const std::vector<int>& widths);

// Cell kinds.
enum CellKind : int {
    kCellNone = 0,
    kCellText = 1,
    kCellCheck = 2,
    kCellWidget = 5,
    kCellStars = 6,
};

// One cell of a row. Row-level values (key, layout, widget column) live in
// the cell of column 0.
struct ListCell {
    AddonRowLayout* layout = nullptr;  // column 0: the row's widget data, not owned
    int highlight = 0;
    int32_t key = -1;
    std::optional<std::string> text;  // local code page
    int kind = kCellNone;
    std::unique_ptr<AddonRowWidget> widget;  // kind 5
    int enabled = 1;
    int checked = 0;
    int stars = 0;
    int widgetColumn = -1;
};

// The record of one row: one cell per column, and the layout the row owns
// when the list made it itself (rows filled through the addon library).
struct ListRow {
    std::vector<ListCell> cells;
    std::unique_ptr<AddonRowLayout> ownedLayout;

    int32_t key() const { return cells.empty() ? -1 : cells[0].key; }
    // The widget of the row's widget column, or null.
    AddonRowWidget* Widget() const;
};
// A fresh record for a new row: column 0 holds key and text and is a check
// box when the list shows system check boxes.
std::unique_ptr<ListRow> MakeRow(int columns, int32_t key, const std::string& text,
                                 bool systemChecks);
// Makes cell (column) of row a widget over layout; false for a column the
// row does not have.
bool AttachWidget(ListRow& row, int column, AddonRowLayout* layout);

// The 13 x 13 check box of a cell: 9 pixels from the left, or centred when
// the cell has no text; vertically centred.
constexpr int kCheckBoxSize = 13;
ListRect CheckBoxRect(const ListRect& cell, bool hasText);
// The tick: seven vertical strokes, each 3 pixels high, at these box columns
// and starting rows.
struct TickStroke {
    int column, row;
};
constexpr int kTickStrokeHeight = 3;
constexpr TickStroke kTickStrokes[] = {{3, 5}, {4, 6}, {5, 7}, {6, 6}, {7, 5}, {8, 4}, {9, 3}};

// A star cell: filled stars, then empty ones up to five. Filled stars are
// bounded so a wild count cannot make an endless string.
struct StarCounts {
    int filled = 0;
    int empty = 0;
};
constexpr int kMaxStars = 64;
StarCounts StarsOf(int stars);

// Sorting by a column. Digit-only texts compare as integers of any length,
// dd/mm/yyyy texts as dates (year, month, day), the rest through textCompare
// (the system's case-sensitive comparison in the window). Texts of different
// kinds order numbers, then dates, then the rest, so the order is total.
using TextCompare = int (*)(const char* a, const char* b);
int CompareSortTexts(const std::string& a, const std::string& b, TextCompare textCompare);
// Rows compare by the text of column; a missing record, cell or text compares
// equal. Descending reverses the result.
int CompareRows(const ListRow* a, const ListRow* b, int column, bool ascending,
                TextCompare textCompare);
// The sort state after a header click: the same column flips the direction,
// another column starts ascending.
struct SortState {
    int column = -1;
    bool ascending = true;
    void Click(int clicked);
};

// SetProgress on a row's widget: keeps downloadingKeys (each key once),
// reduces a percent above 100 modulo 100, and at exactly 100 returns the
// widget to its normal look. True when the row finished (its repaint is
// widened).
bool ApplyProgress(std::vector<int32_t>& downloadingKeys, AddonRowWidget& widget, int32_t key,
                   int percent);

// The check-box message: wParam is 1 when the click checked the box and now
// every row is checked; lParam carries the row key's low 16 bits in its high
// word and the control handle's low 16 bits in its low word.
int CheckAllParam(bool nowChecked, const std::vector<bool>& rowsChecked);
uint32_t PackCheckParam(int32_t key, uintptr_t controlHandle);

// The saved column state of RestoreColumnState: "w0,w1,...[;o0,o1,...]", the
// widths and optionally the display order of every column. False, with
// nothing changed, unless it names exactly columnCount widths (0 to 10000)
// and an order that is a permutation.
bool ParseColumnState(const std::string& value, size_t columnCount, std::vector<int>& widths,
                      std::vector<int>& order);

}  // namespace vt::ui
