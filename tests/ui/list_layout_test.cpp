#include "ui/list_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace vt::ui {
namespace {

int ByteCompare(const char* a, const char* b) {
    return std::strcmp(a, b);
}

std::vector<std::string> Sorted(std::vector<std::string> texts, bool ascending = true) {
    std::sort(texts.begin(), texts.end(), [&](const std::string& a, const std::string& b) {
        const int order = CompareSortTexts(a, b, ByteCompare);
        return ascending ? order < 0 : order > 0;
    });
    return texts;
}

TEST(ListSorting, NumbersCompareAsIntegersOfAnyLength) {
    EXPECT_EQ(Sorted({"10", "9"}), (std::vector<std::string>{"9", "10"}));
    EXPECT_EQ(Sorted({"10", "9"}, false), (std::vector<std::string>{"10", "9"}));
    EXPECT_EQ(CompareSortTexts("007", "7", ByteCompare), 0) << "leading zeros";
    EXPECT_LT(CompareSortTexts("99999999999999999999", "100000000000000000000", ByteCompare), 0)
        << "past 64 bits without overflow";
}

TEST(ListSorting, DatesCompareByYearMonthDay) {
    EXPECT_LT(CompareSortTexts("01/02/2013", "31/01/2014", ByteCompare), 0);
    EXPECT_LT(CompareSortTexts("31/01/2014", "01/02/2014", ByteCompare), 0) << "month first";
    EXPECT_LT(CompareSortTexts("01/02/2014", "02/02/2014", ByteCompare), 0) << "then day";
    EXPECT_EQ(CompareSortTexts("05/06/2007", "05/06/2007", ByteCompare), 0);
    // Other separators make plain text: as dates these would sort the other
    // way round.
    EXPECT_GT(CompareSortTexts("31.01.2013", "01.02.2014", ByteCompare), 0);
}

TEST(ListSorting, MixedKindsGiveOneTotalOrder) {
    const std::vector<std::string> texts = {"b", "10",         "A",     "01/02/2013", "9",
                                            "",  "31/01/2014", "a1/b2", "a",          "0"};
    // Every pair answers the same both ways round, and the order is
    // transitive, so any sort gives the same result.
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            EXPECT_EQ(CompareSortTexts(a, b, ByteCompare), -CompareSortTexts(b, a, ByteCompare))
                << a << " / " << b;
            for (const std::string& c : texts) {
                if (CompareSortTexts(a, b, ByteCompare) < 0 &&
                    CompareSortTexts(b, c, ByteCompare) < 0) {
                    EXPECT_LT(CompareSortTexts(a, c, ByteCompare), 0) << a << " " << b << " " << c;
                }
            }
        }
    }
    EXPECT_EQ(Sorted(texts), (std::vector<std::string>{"0", "9", "10", "01/02/2013", "31/01/2014",
                                                       "", "A", "a", "a1/b2", "b"}));
}

TEST(ListSorting, RowsCompareByTheirColumnTextAndMissingOnesAreEqual) {
    auto row = [](const char* first, const char* second) {
        auto made = MakeRow(2, 0, first, false);
        if (second != nullptr)
            made->cells[1].text = second;
        return made;
    };
    const auto nine = row("x", "9"), ten = row("y", "10"), none = row("z", nullptr);
    EXPECT_LT(CompareRows(nine.get(), ten.get(), 1, true, ByteCompare), 0);
    EXPECT_GT(CompareRows(nine.get(), ten.get(), 1, false, ByteCompare), 0);
    EXPECT_LT(CompareRows(nine.get(), ten.get(), 0, true, ByteCompare), 0) << "first column";
    EXPECT_EQ(CompareRows(nine.get(), none.get(), 1, true, ByteCompare), 0) << "no text";
    EXPECT_EQ(CompareRows(nullptr, ten.get(), 1, true, ByteCompare), 0) << "no record";
    EXPECT_EQ(CompareRows(nine.get(), ten.get(), 5, true, ByteCompare), 0) << "no such column";

    SortState sort;
    sort.Click(1);
    EXPECT_TRUE(sort.ascending);
    sort.Click(1);
    EXPECT_FALSE(sort.ascending) << "the same column flips";
    sort.Click(0);
    EXPECT_EQ(sort.column, 0);
    EXPECT_TRUE(sort.ascending) << "another column starts ascending";
}

TEST(ListProgress, PercentRulesAndTheDownloadingKeys) {
    std::vector<int32_t> keys;
    AddonRowWidget widget, other;
    EXPECT_FALSE(ApplyProgress(keys, widget, 7, 0));
    EXPECT_EQ(widget.downloading, 1);
    EXPECT_EQ(widget.percent, 0);
    ApplyProgress(keys, other, 8, 37);
    ApplyProgress(keys, widget, 7, 250);
    EXPECT_EQ(widget.percent, 50) << "above 100 counts modulo 100";
    ApplyProgress(keys, widget, 7, 200);
    EXPECT_EQ(widget.percent, 0);
    ApplyProgress(keys, widget, 7, -5);
    EXPECT_EQ(widget.percent, 0);
    EXPECT_EQ(keys, (std::vector<int32_t>{7, 8})) << "each key once, however many reports";

    EXPECT_TRUE(ApplyProgress(keys, widget, 7, 100));
    EXPECT_EQ(widget.downloading, 0) << "exactly 100 is the normal look again";
    EXPECT_EQ(widget.percent, 0);
    EXPECT_EQ(keys, (std::vector<int32_t>{8}));
    EXPECT_EQ(other.percent, 37);
}

TEST(ListCheckBoxes, AllCheckedParameterAndPackedRow) {
    EXPECT_EQ(CheckAllParam(true, {true, true, true}), 1) << "the last unchecked row checked";
    EXPECT_EQ(CheckAllParam(true, {true, false, true}), 0);
    EXPECT_EQ(CheckAllParam(false, {true, true}), 0) << "unchecking is never all checked";
    EXPECT_EQ(PackCheckParam(0x12345678, 0xABCDEF), 0x5678CDEFu);
    EXPECT_EQ(PackCheckParam(-1, 0x10002), 0xFFFF0002u);

    EXPECT_EQ(CheckBoxRect({0, 44, 100, 88}, true), (ListRect{9, 59, 22, 72}));
    EXPECT_EQ(CheckBoxRect({0, 44, 101, 88}, false), (ListRect{44, 59, 57, 72})) << "centred";
}

TEST(ListSettingsRules, SetColorsKeepsAndSwitches) {
    ListSettings settings;
    settings.SetColors(0xEFEFEF, kKeepColor, kKeepColor, kKeepColor);
    EXPECT_EQ(settings.backgroundColor, 0xEFEFEFu);
    EXPECT_EQ(settings.rowColor, 0xEFEFEFu) << "a kept row colour follows the background";
    EXPECT_EQ(settings.altRowsOn, 0);
    EXPECT_EQ(settings.selectionOn, 1);
    EXPECT_EQ(settings.selectedColor, ListColor(203, 236, 255));
    EXPECT_EQ(settings.RowFill(0, false), 0xEFEFEFu);
    EXPECT_EQ(settings.RowFill(3, true), ListColor(203, 236, 255));

    settings.SetColors(kKeepColor, 0x111111, 0x222222, 0x333333);
    EXPECT_EQ(settings.backgroundColor, 0xEFEFEFu);
    EXPECT_EQ(settings.altRowsOn, 1);
    EXPECT_EQ(settings.RowFill(2, false), 0x222222u) << "even rows";
    EXPECT_EQ(settings.RowFill(1, false), 0x111111u);
    EXPECT_EQ(settings.RowFill(2, true), 0x333333u) << "selection before alternation";
    settings.selectionOn = 0;
    EXPECT_EQ(settings.RowFill(1, true), 0x111111u);
    settings.SetColors(kKeepColor, kKeepColor, kKeepColor, kKeepColor);
    EXPECT_EQ(settings.altRowsOn, 0) << "a kept alternate colour turns alternation off";
    EXPECT_EQ(settings.selectionOn, 0) << "a kept selection colour leaves selection painting";
}

TEST(ListColumns, DescriptionAlignmentAndCellRectangles) {
    const std::vector<ColumnEntry> columns = ParseColumnList("plug,222;type,1");
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].title, "plug");
    EXPECT_EQ(columns[0].width, 222);
    EXPECT_EQ(columns[1].title, "type");
    EXPECT_EQ(columns[1].width, 1);
    const std::vector<ColumnEntry> odd = ParseColumnList(";name;size,abc;;x,-4;y, 30px");
    ASSERT_EQ(odd.size(), 4u) << "empty entries are skipped";
    EXPECT_EQ(odd[0].width, 0);
    EXPECT_EQ(odd[1].width, 0);
    EXPECT_EQ(odd[2].width, 0);
    EXPECT_EQ(odd[3].width, 30);
    EXPECT_EQ(ParseColumnList("a,99999999999")[0].width, 100000) << "bounded";

    EXPECT_EQ(AlignOfDigit(HeaderAlignDigit(0)), CellAlign::kLeft);
    EXPECT_EQ(AlignOfDigit(HeaderAlignDigit(1)), CellAlign::kRight);
    EXPECT_EQ(AlignOfDigit(HeaderAlignDigit(2)), CellAlign::kCenter);
    EXPECT_EQ(HeaderAlignDigit(2), '1');
    EXPECT_EQ(ScaledHeaderHeight(25, 0), 0) << "scale 0 hides the header";
    EXPECT_EQ(ScaledHeaderHeight(25, 1.5), 37) << "toward zero";
    EXPECT_EQ(ScaledHeaderHeight(25, -1), 0);

    const std::vector<ListRect> cells = CellRects({-5, 10, 300, 54}, {2, 0, 1}, {100, 50, 30});
    EXPECT_EQ(cells[2], (ListRect{-5, 10, 25, 54})) << "display order, not column order";
    EXPECT_EQ(cells[0], (ListRect{25, 10, 125, 54}));
    EXPECT_EQ(cells[1], (ListRect{125, 10, 175, 54}));
}

TEST(ListColumns, SavedStateIsReadOnlyWhenWhole) {
    std::vector<int> widths{1, 2}, order{1, 0};
    EXPECT_TRUE(ParseColumnState("222,1", 2, widths, order));
    EXPECT_EQ(widths, (std::vector<int>{222, 1}));
    EXPECT_EQ(order, (std::vector<int>{0, 1}));
    EXPECT_TRUE(ParseColumnState("30,40;1,0", 2, widths, order));
    EXPECT_EQ(order, (std::vector<int>{1, 0}));
    for (const char* bad : {"", "222", "222,1,5", "222,x", "222,-1", "20000,1", "1,2;0,0",
                            "1,2;0,2", "1,2;0", "1,2;0,1;0,1", "1,,2", "1, 2"}) {
        EXPECT_FALSE(ParseColumnState(bad, 2, widths, order)) << bad;
        EXPECT_EQ(widths, (std::vector<int>{30, 40})) << "unchanged after " << bad;
    }
    EXPECT_FALSE(ParseColumnState(std::string(5000, '1'), 1, widths, order));
}

TEST(ListRecords, RowsCellsAndStars) {
    auto row = MakeRow(2, 42, "first", true);
    EXPECT_EQ(row->key(), 42);
    EXPECT_EQ(row->cells[0].kind, kCellCheck) << "system check boxes";
    EXPECT_EQ(MakeRow(2, 1, "", false)->cells[0].kind, kCellNone);
    EXPECT_EQ(MakeRow(0, 1, "", false)->cells.size(), 1u) << "column 0 always exists";
    EXPECT_EQ(row->Widget(), nullptr);

    AddonRowLayout layout;
    EXPECT_FALSE(AttachWidget(*row, 2, &layout));
    ASSERT_TRUE(AttachWidget(*row, 1, &layout));
    EXPECT_EQ(row->cells[1].kind, kCellWidget);
    EXPECT_EQ(row->cells[0].widgetColumn, 1);
    EXPECT_EQ(row->cells[0].layout, &layout);
    ASSERT_NE(row->Widget(), nullptr);
    EXPECT_EQ(row->Widget()->layout, &layout);

    EXPECT_EQ(StarsOf(3).filled, 3);
    EXPECT_EQ(StarsOf(3).empty, 2);
    EXPECT_EQ(StarsOf(7).filled, 7);
    EXPECT_EQ(StarsOf(7).empty, 0);
    EXPECT_EQ(StarsOf(0).empty, 5);
    EXPECT_EQ(StarsOf(-3).filled, 0);
    EXPECT_EQ(StarsOf(-3).empty, 5);
    EXPECT_EQ(StarsOf(2000000000).filled, kMaxStars);
}

}  // namespace
}  // namespace vt::ui
