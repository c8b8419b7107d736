#include "ui/list_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace vt::ui {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// atoi without its overflow: leading blanks, an optional sign, digits.
int LeadingNumber(const std::string& text, int limit) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), limit);
    return static_cast<int>(negative ? -value : value);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

enum class TextKind { kNumber = 0, kDate = 1, kOther = 2 };

TextKind KindOf(const std::string& text) {
    if (!text.empty() && std::all_of(text.begin(), text.end(), IsDigit))
        return TextKind::kNumber;
    if (text.size() == 10 && text[2] == '/' && text[5] == '/') {
        bool digits = true;
        for (size_t i = 0; i < text.size(); ++i) {
            if (i != 2 && i != 5 && !IsDigit(text[i]))
                digits = false;
        }
        if (digits)
            return TextKind::kDate;
    }
    return TextKind::kOther;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

// Two digit strings as integers of any length.
int CompareNumbers(const std::string& a, const std::string& b) {
    const size_t aStart = std::min(a.find_first_not_of('0'), a.size());
    const size_t bStart = std::min(b.find_first_not_of('0'), b.size());
    const size_t aLength = a.size() - aStart, bLength = b.size() - bStart;
    if (aLength != bLength)
        return aLength < bLength ? -1 : 1;
    return Sign(a.compare(aStart, aLength, b, bStart, bLength));
}

int CompareDates(const std::string& a, const std::string& b) {
    // dd/mm/yyyy: year, then month, then day; equal-length digit fields
    // compare as text.
    for (const auto& [position, length] : {std::pair{6, 4}, {3, 2}, {0, 2}}) {
        const int order = a.compare(position, length, b, position, length);
        if (order != 0)
            return Sign(order);
    }
    return 0;
}

}  // namespace

void ListSettings::SetColors(uint32_t background, uint32_t row, uint32_t altRow,
                             uint32_t selected) {
    if (background != kKeepColor)
        backgroundColor = background;
    rowColor = row != kKeepColor ? row : backgroundColor;
    altRowsOn = altRow != kKeepColor ? 1 : 0;
    if (altRowsOn)
        altRowColor = altRow;
    if (selected != kKeepColor) {
        selectedColor = selected;
        selectionOn = 1;
    }
}

uint32_t ListSettings::RowFill(int index, bool selected) const {
    if (selectionOn && selected)
        return selectedColor;
    if (altRowsOn && index % 2 == 0)
        return altRowColor;
    return rowColor;
}

std::vector<ColumnEntry> ParseColumnList(const std::string& list) {
    std::vector<ColumnEntry> columns;
    for (const std::string& entry : Split(list, ';')) {
        if (entry.empty())
            continue;
        const size_t comma = entry.find(',');
        ColumnEntry column;
        column.title = entry.substr(0, comma);
        if (comma != std::string::npos)
            column.width = std::max(0, LeadingNumber(entry.substr(comma + 1), 100000));
        columns.push_back(std::move(column));
    }
    return columns;
}

char HeaderAlignDigit(int format) {
    switch (format) {
        case 1:
            return '2';
        case 2:
            return '1';
        default:
            return '0';
    }
}

CellAlign AlignOfDigit(char digit) {
    switch (digit) {
        case '1':
            return CellAlign::kCenter;
        case '2':
            return CellAlign::kRight;
        default:
            return CellAlign::kLeft;
    }
}

int ScaledHeaderHeight(int normalHeight, double scale) {
    if (!(scale > 0))
        return 0;
    const double height = std::trunc(normalHeight * scale);
    return height > 10000 ? 10000 : static_cast<int>(height);
}

std::vector<ListRect> CellRects(const ListRect& row, const std::vector<int>& order,
                                const std::vector<int>& widths) {
    std::vector<ListRect> cells(widths.size(), ListRect{row.left, row.top, row.left, row.bottom});
    int x = row.left;
    for (int column : order) {
        if (column < 0 || column >= static_cast<int>(widths.size()))
            continue;
        cells[column] = {x, row.top, x + std::max(widths[column], 0), row.bottom};
        x = cells[column].right;
    }
    return cells;
}

AddonRowWidget* ListRow::Widget() const {
    if (cells.empty())
        return nullptr;
    const int column = cells[0].widgetColumn;
    if (column < 0 || column >= static_cast<int>(cells.size()))
        return nullptr;
    return cells[column].widget.get();
}

std::unique_ptr<ListRow> MakeRow(int columns, int32_t key, const std::string& text,
                                 bool systemChecks) {
    auto row = std::make_unique<ListRow>();
    row->cells.resize(std::max(columns, 1));
    ListCell& first = row->cells[0];
    first.key = key;
    first.text = text;
    first.kind = systemChecks ? kCellCheck : kCellNone;
    return row;
}

bool AttachWidget(ListRow& row, int column, AddonRowLayout* layout) {
    if (column < 0 || column >= static_cast<int>(row.cells.size()))
        return false;
    ListCell& cell = row.cells[column];
    cell.kind = kCellWidget;
    cell.widget = std::make_unique<AddonRowWidget>();
    cell.widget->layout = layout;
    cell.layout = layout;
    row.cells[0].layout = layout;
    row.cells[0].widgetColumn = column;
    return true;
}

ListRect CheckBoxRect(const ListRect& cell, bool hasText) {
    const int left = hasText ? cell.left + 9 : cell.left + (cell.Width() - kCheckBoxSize) / 2;
    const int top = (cell.top + cell.bottom) / 2 - 7;
    return {left, top, left + kCheckBoxSize, top + kCheckBoxSize};
}

StarCounts StarsOf(int stars) {
    StarCounts counts;
    counts.filled = std::clamp(stars, 0, kMaxStars);
    counts.empty = stars <= 0 ? 5 : std::max(0, 5 - stars);
    return counts;
}

int CompareSortTexts(const std::string& a, const std::string& b, TextCompare textCompare) {
    const TextKind aKind = KindOf(a), bKind = KindOf(b);
    if (aKind != bKind)
        return aKind < bKind ? -1 : 1;
    switch (aKind) {
        case TextKind::kNumber:
            return CompareNumbers(a, b);
        case TextKind::kDate:
            return CompareDates(a, b);
        default:
            return Sign(textCompare != nullptr ? textCompare(a.c_str(), b.c_str())
                                               : std::strcmp(a.c_str(), b.c_str()));
    }
}

int CompareRows(const ListRow* a, const ListRow* b, int column, bool ascending,
                TextCompare textCompare) {
    if (a == nullptr || b == nullptr || column < 0)
        return 0;
    const size_t index = static_cast<size_t>(column);
    if (index >= a->cells.size() || index >= b->cells.size())
        return 0;
    const auto& aText = a->cells[index].text;
    const auto& bText = b->cells[index].text;
    if (!aText || !bText)
        return 0;
    const int order = CompareSortTexts(*aText, *bText, textCompare);
    return ascending ? order : -order;
}

void SortState::Click(int clicked) {
    if (clicked == column) {
        ascending = !ascending;
    } else {
        column = clicked;
        ascending = true;
    }
}

bool ApplyProgress(std::vector<int32_t>& downloadingKeys, AddonRowWidget& widget, int32_t key,
                   int percent) {
    if (percent == 100) {
        std::erase(downloadingKeys, key);
        widget.downloading = 0;
        widget.percent = 0;
        return true;
    }
    if (std::find(downloadingKeys.begin(), downloadingKeys.end(), key) == downloadingKeys.end())
        downloadingKeys.push_back(key);
    widget.downloading = 1;
    widget.percent = percent > 100 ? percent % 100 : std::max(percent, 0);
    return false;
}

int CheckAllParam(bool nowChecked, const std::vector<bool>& rowsChecked) {
    if (!nowChecked)
        return 0;
    return std::all_of(rowsChecked.begin(), rowsChecked.end(), [](bool checked) { return checked; })
               ? 1
               : 0;
}

uint32_t PackCheckParam(int32_t key, uintptr_t controlHandle) {
    return (static_cast<uint32_t>(key) & 0xFFFF) << 16 |
           static_cast<uint32_t>(controlHandle & 0xFFFF);
}

bool ParseColumnState(const std::string& value, size_t columnCount, std::vector<int>& widths,
                      std::vector<int>& order) {
    if (value.size() > 4096)
        return false;
    const std::vector<std::string> parts = Split(value, ';');
    if (parts.size() > 2)
        return false;
    auto numbers = [](const std::string& text, std::vector<int>& out) {
        for (const std::string& item : Split(text, ',')) {
            if (item.empty() || item.size() > 5 || !std::all_of(item.begin(), item.end(), IsDigit))
                return false;
            out.push_back(std::atoi(item.c_str()));
        }
        return true;
    };
    std::vector<int> newWidths, newOrder;
    if (!numbers(parts[0], newWidths) || newWidths.size() != columnCount)
        return false;
    if (std::any_of(newWidths.begin(), newWidths.end(), [](int width) { return width > 10000; }))
        return false;
    if (parts.size() == 2) {
        if (!numbers(parts[1], newOrder) || newOrder.size() != columnCount)
            return false;
        std::vector<int> sorted = newOrder;
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 0; i < sorted.size(); ++i) {
            if (sorted[i] != static_cast<int>(i))
                return false;
        }
    } else {
        for (size_t i = 0; i < columnCount; ++i)
            newOrder.push_back(static_cast<int>(i));
    }
    widths = std::move(newWidths);
    order = std::move(newOrder);
    return true;
}

}  // namespace vt::ui
