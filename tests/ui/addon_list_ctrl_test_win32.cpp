#include "ui/addon_list_ctrl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "resource.h"
#include "settings/app_state.h"
#include "support/gui_win32.h"
#include "support/temp_dir.h"

#if TESSEL_WITH_ADDONS
#include <mutex>

#include "addons/addon_library.h"
#include "addons/left_panel.h"
#include "addons/reload_all.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/server_config.h"
#endif

namespace vt::ui {
namespace {

constexpr uint32_t kBackground = 0xEFEFEF;
constexpr int kRowHeight = 44;

// A text in the system code page, as the program holds its texts.
std::string Local(const wchar_t* text) {
    std::string local(256, '\0');
    local.resize(::WideCharToMultiByte(CP_ACP, 0, text, -1, local.data(),
                                       static_cast<int>(local.size()), nullptr, nullptr));
    if (!local.empty())
        local.pop_back();
    return local;
}

RECT ToRect(const ListRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The list's parent: records the registered messages the list sends.
class ListHost : public Wnd {
  public:
    std::vector<std::pair<WPARAM, LPARAM>> clicks;
    std::vector<std::pair<WPARAM, LPARAM>> checks;

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == RegisteredMessage(kListButtonClickMessage)) {
            clicks.emplace_back(wParam, lParam);
            return 0;
        }
        if (message == RegisteredMessage(kListCheckMessage)) {
            checks.emplace_back(wParam, lParam);
            return 0;
        }
        return Wnd::WndProc(message, wParam, lParam);
    }
};

class AddonListTest : public ::testing::Test {
  protected:
    // One parent for every test: taking a shown top-level window down costs
    // wine a wait for the X server each time.
    static void SetUpTestSuite() {
        hostWindow = new ListHost;
        hostWindow->Create({.className = "VaelTesselListHost",
                            .style = WS_POPUP | WS_VISIBLE,
                            .x = 40,
                            .y = 40,
                            .width = 254,
                            .height = 414,
                            .background = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))});
    }
    static void TearDownTestSuite() {
        delete hostWindow;
        hostWindow = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(host.IsWindow());
        host.clicks.clear();
        host.checks.clear();
        ::SetForegroundWindow(host.hwnd());
    }

    // The list as the main window sets it up: one 222-pixel widget column,
    // no header, grey rows of 44 pixels with grid lines.
    void CreateMainWindowList() {
        ASSERT_TRUE(list.CreateList({.parent = host.hwnd(), .id = IDC_ADDON_LIST, .x = 7, .y = 7}));
        ASSERT_TRUE(list.SetColumns("plug,222;type,1", 0, 2));
        list.SetColors(kBackground, kKeepColor, kKeepColor, kKeepColor);
        list.SetRowHeight(kRowHeight);
        list.RestoreColumnState(test::TempDir().path());
        list.SetGridLines(true);
        test::PumpPending();
    }

    // A list with a header and cells of every kind.
    void CreateCellList(DWORD listExStyle = 0) {
        ASSERT_TRUE(list.CreateList(
            {.parent = host.hwnd(), .id = 2001, .x = 7, .y = 7, .listExStyle = listExStyle}));
        ASSERT_TRUE(list.SetColumns(Local(L"插件,92;启用,36;评分,95"), 1.0, 0));
        list.SetRowHeight(30);
        list.SetColors(ListColor(255, 255, 255), kKeepColor, ListColor(246, 250, 254), kKeepColor);
        list.SetGridLines(true);
        test::PumpPending();
    }

    void Repaint() {
        ::RedrawWindow(list.hwnd(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        test::PumpPending();
    }

    // The rectangle of a cell, from its row and its header item.
    ListRect CellRect(int row, int column) {
        const RECT rowRect = RowRect(row);
        RECT item{};
        Header_GetItemRect(ListView_GetHeader(list.hwnd()), column, &item);
        return {rowRect.left + item.left, rowRect.top, rowRect.left + item.right, rowRect.bottom};
    }

    RECT RowRect(int row) {
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        list.Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }

    static POINT Centre(const ListRect& rect) {
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    // Runs work on a worker thread while this thread pumps, as the program's
    // workers run beside its user-interface thread.
    void OnWorker(const std::function<void()>& work) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            work();
            done = true;
        });
        EXPECT_TRUE(test::PumpUntil([&] { return done.load(); }, 60000));
        worker.join();
    }

    COLORREF Pixel(int x, int y) { return test::ScreenPixel(list.hwnd(), x, y); }

    // The list's client area as the screen shows it, read in one go.
    class Snapshot {
      public:
        explicit Snapshot(HWND list) {
            const RECT client = Wnd::FromHandle(list)->ClientRect();
            ClientDc screen(nullptr);
            canvas_ = Canvas(screen.get(), client.right, client.bottom, true);
            const POINT origin = test::ClientToScreenPoint(list, 0, 0);
            ::BitBlt(canvas_.dc(), 0, 0, client.right, client.bottom, screen.get(), origin.x,
                     origin.y, SRCCOPY);
        }
        COLORREF At(int x, int y) const {
            if (!canvas_ || x < 0 || y < 0 || x >= canvas_.width() || y >= canvas_.height())
                return CLR_INVALID;
            const uint32_t pixel = canvas_.bits()[y * canvas_.width() + x];
            return RGB(pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
        }

      private:
        Canvas canvas_;
    };

    // Whether any pixel of the list's client rectangle has the colour.
    bool AnyPixel(const RECT& area, COLORREF color) {
        const Snapshot shot(list.hwnd());
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (shot.At(x, y) == color)
                    return true;
            }
        }
        return false;
    }

    // Presses the left button at from and releases it at to, with real
    // input; the release arrives while the list's capture loop runs.
    void PressAndRelease(POINT from, POINT to) {
        const HWND target = list.hwnd();
        test::MoveMouseTo(target, from.x, from.y);
        bool released = false;
        int attempts = 0;
        std::function<void()> release = [&] {
            if (::GetCapture() != target && ++attempts < 50) {
                test::RunLater(release);
                return;
            }
            test::QueueMouseMove(target, to.x, to.y);
            test::QueueMouseButton(false);
            released = true;
        };
        test::RunLater(release);
        test::MouseButton(true);
        EXPECT_TRUE(test::PumpUntil([&] { return released; }));
        test::PumpPending();
    }

    void FillMainRows() {
        addons::AddonListControl& rows = list;
        rows.AddRow(1, Local(L"伤害统计"), 0);
        rows.AddRow(2, Local(L"任务助手"), 3);
        rows.AddRow(3, Local(L"背包整合"), 0);
        rows.AddRow(4, Local(L"团队框架"), 0);
        rows.AddRow(5, Local(L"小地图增强"), 2);
        rows.AddRow(6, "DBM-Core", 0);
        rows.AddRow(7, Local(L"界面美化与动作条增强整合包"), 0);
        rows.AddRow(20001, "Recount_Damage_Meter_Classic_Edition", 0);
        Repaint();
    }

    static ListHost* hostWindow;
    ListHost& host = *hostWindow;
    CAddonListCtrl list;
};
ListHost* AddonListTest::hostWindow = nullptr;

TEST_F(AddonListTest, RowHeightTrickGivesFortyFourPixelRowsWithoutAHeader) {
    CreateMainWindowList();
    FillMainRows();
    EXPECT_EQ(RowRect(0).top, 0) << "header scale 0 hides the header";
    EXPECT_EQ(RowRect(0).bottom - RowRect(0).top, kRowHeight);
    EXPECT_EQ(RowRect(3).top, 3 * kRowHeight);
    list.SetRowHeight(30);
    EXPECT_EQ(RowRect(1).top, 30) << "measured again at once";
}

TEST_F(AddonListTest, RowsComeFromAWorkerWhileTheUserInterfacePumps) {
    CreateMainWindowList();
    int count = -1, found = -1, inserted = -1, appended = -1;
    bool progressed = false, missing = true;
    OnWorker([&] {
        addons::AddonListControl& rows = list;
        rows.DeleteAllRows();
        for (int i = 0; i < 40; ++i)
            rows.AddRow(100 + i, "addon " + std::to_string(i), i % 3);
        inserted = rows.InsertRow(0, 7, "queued", 0);
        count = rows.RowCount();
        found = rows.FindKey(120);
        progressed = rows.SetProgress(120, 250);
        missing = rows.SetProgress(99999, 10);
        rows.DeleteRow(rows.FindKey(139));
        appended = rows.InsertRow(-1, 8, "appended", 0);
    });
    EXPECT_EQ(inserted, 0);
    EXPECT_EQ(count, 41) << "each call is applied before the worker goes on";
    EXPECT_EQ(found, 21);
    EXPECT_TRUE(progressed);
    EXPECT_FALSE(missing);
    EXPECT_EQ(list.RowCount(), 41);
    EXPECT_EQ(list.RowKey(0), 7);
    EXPECT_EQ(list.RowKey(39), 138);
    EXPECT_EQ(appended, 40) << "a negative index appends";
    EXPECT_EQ(list.RowKey(40), 8);
    EXPECT_FALSE(list.HasKey(139));

    // The rows carry the layout the main window wants.
    const AddonRowLayout* layout = list.LayoutOfKey(102);
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->name, "addon 2");
    EXPECT_EQ(layout->enabled, 1);
    EXPECT_EQ(layout->noToggle, 1);
    EXPECT_EQ(layout->upgradable, 2);
    EXPECT_EQ(list.DownloadingKeys(), (std::vector<int32_t>{120}));
}

TEST_F(AddonListTest, RowsComeFromAWorkerWhileAModalLoopRuns) {
    CreateMainWindowList();
    Dialog box(IDD_MESSAGE_BOX);
    std::thread worker;
    test::RunLater([&] {
        const HWND boxWindow = box.hwnd();
        worker = std::thread([&, boxWindow] {
            for (int i = 0; i < 20; ++i)
                list.AddRow(i, "row", 0);
            ::PostMessageA(boxWindow, WM_COMMAND, IDOK, 0);
        });
    });
    EXPECT_EQ(box.DoModal(host.hwnd()), IDOK);
    worker.join();
    EXPECT_EQ(list.RowCount(), 20);
}

TEST_F(AddonListTest, StoppedCallsReleaseAWorkerTheUserInterfaceWaitsFor) {
    CreateMainWindowList();
    int result = 0;
    std::thread worker([&] { result = list.AddRow(1, "late", 0); });
    // As at exit: the user-interface thread stops pumping and waits for the
    // worker, once it has stopped the list's calls. Wait (without
    // dispatching anything) until the worker's call is on its way.
    for (int spins = 0; spins < 5000 && !(::GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE);
         ++spins)
        ::Sleep(1);
    list.StopThreadCalls();
    worker.join();
    EXPECT_EQ(result, -1) << "the dropped call reports failure";
    test::PumpPending();
    EXPECT_EQ(list.RowCount(), 0) << "and is never applied later";

    int afterwards = 0;
    std::thread late([&] { afterwards = list.FindKey(1); });
    late.join();
    EXPECT_EQ(afterwards, -1) << "later calls fail at once";
}

TEST_F(AddonListTest, DestroyedListAnswersWorkersAtOnce) {
    CreateMainWindowList();
    list.AddRow(5, "five", 0);
    list.Destroy();
    int found = 0, count = -1;
    std::thread worker([&] {
        found = list.FindKey(5);
        count = list.RowCount();
    });
    worker.join();
    EXPECT_EQ(found, -1);
    EXPECT_EQ(count, 0);
}

TEST_F(AddonListTest, ProgressFromTheWorkerShowsAndEnds) {
    CreateMainWindowList();
    FillMainRows();
    OnWorker([&] { list.SetProgress(4, 250); });
    const AddonRowLayout* layout = list.LayoutOfKey(4);
    ASSERT_NE(layout, nullptr);
    Repaint();
    // 50 %: the bar's colour halfway along row 3, none at the far end.
    const RECT row = RowRect(3);
    EXPECT_EQ(Pixel(100, row.top + 10), RGB(253, 245, 207));
    EXPECT_EQ(Pixel(150, row.top + 10), RGB(255, 255, 255));
    EXPECT_EQ(list.DownloadingKeys(), (std::vector<int32_t>{4}));

    OnWorker([&] { list.SetProgress(4, 100); });
    Repaint();
    EXPECT_TRUE(list.DownloadingKeys().empty());
    EXPECT_EQ(Pixel(100, row.top + 10), kBackground) << "back to the normal look";
    EXPECT_FALSE(list.SetProgress(12345, 5));
}

TEST_F(AddonListTest, PressOnDeleteAndReleaseOutsideEveryWidgetSendsNothing) {
    CreateMainWindowList();
    FillMainRows();
    test::MoveMouseTo(list.hwnd(), 100, 10);
    Repaint();
    const AddonRowLayout* first = list.LayoutOfKey(1);
    ASSERT_NE(first, nullptr);
    const POINT press = Centre(first->deleteRect);
    // Below the last row, then outside the list altogether.
    PressAndRelease(press, {100, 8 * kRowHeight + 20});
    EXPECT_TRUE(host.clicks.empty());
    PressAndRelease(press, {-5, 10});
    EXPECT_TRUE(host.clicks.empty());
    // A plain click on it.
    PressAndRelease(press, press);
    ASSERT_EQ(host.clicks.size(), 1u);
    EXPECT_EQ(host.clicks[0], (std::pair<WPARAM, LPARAM>{1, 'A'}));

    // The second press of a double click counts as a press.
    const LPARAM at = MAKELPARAM(press.x, press.y);
    list.Post(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    list.Post(WM_LBUTTONUP, 0, at);
    test::PumpPending();
    ASSERT_EQ(host.clicks.size(), 2u);
    EXPECT_EQ(host.clicks[1], (std::pair<WPARAM, LPARAM>{1, 'A'}));
}

TEST_F(AddonListTest, ReleaseInAnotherWidgetCellSendsTheCodeOfThePressPoint) {
    CreateMainWindowList();
    FillMainRows();
    test::MoveMouseTo(list.hwnd(), 100, 10);
    Repaint();
    const POINT press = Centre(list.LayoutOfKey(1)->deleteRect);
    const POINT elsewhere = Centre(list.LayoutOfKey(3)->nameRect);
    PressAndRelease(press, elsewhere);
    ASSERT_EQ(host.clicks.size(), 1u);
    EXPECT_EQ(host.clicks[0], (std::pair<WPARAM, LPARAM>{1, 'A'}))
        << "the pressed row's delete, never the row under the release";

    // The other regions: details, the upgrade badge, and while downloading
    // the cancel cross.
    host.clicks.clear();
    PressAndRelease(Centre(list.LayoutOfKey(2)->detailsRect),
                    Centre(list.LayoutOfKey(2)->detailsRect));
    const POINT badge = Centre(list.LayoutOfKey(2)->badgeRect);
    PressAndRelease(badge, badge);
    list.SetProgress(5, 37);
    Repaint();
    const POINT cancel = Centre(list.LayoutOfKey(5)->cancelRect);
    PressAndRelease(cancel, cancel);
    const POINT name = Centre(list.LayoutOfKey(5)->nameRect);
    PressAndRelease(name, name);
    ASSERT_EQ(host.clicks.size(), 3u) << "the name is no button";
    EXPECT_EQ(host.clicks[0], (std::pair<WPARAM, LPARAM>{2, '?'}));
    EXPECT_EQ(host.clicks[1], (std::pair<WPARAM, LPARAM>{2, '<'}));
    EXPECT_EQ(host.clicks[2], (std::pair<WPARAM, LPARAM>{5, '@'}));
}

TEST_F(AddonListTest, HoverMakesARowHotAndLeavingMakesItNormal) {
    CreateMainWindowList();
    FillMainRows();
    const RECT row = RowRect(1);
    test::MoveMouseTo(list.hwnd(), 60, row.top + 10);
    Repaint();
    EXPECT_EQ(Pixel(100, row.top + 2), RGB(255, 255, 255)) << "hot rows are white on top";
    EXPECT_NE(Pixel(100, row.bottom - 4), RGB(255, 255, 255)) << "and turn yellow downwards";
    const AddonRowLayout* layout = list.LayoutOfKey(2);
    EXPECT_TRUE(AnyPixel(ToRect(layout->deleteRect), RGB(135, 107, 40))) << "the delete link";
    // The leave notification comes once the system sees the pointer gone.
    test::MoveMouseTo(host.hwnd(), 250, 412);
    EXPECT_TRUE(test::PumpUntil([&] {
        Repaint();
        return Pixel(100, row.top + 2) == kBackground;
    }));
    EXPECT_FALSE(AnyPixel(ToRect(layout->deleteRect), RGB(135, 107, 40)));
}

TEST_F(AddonListTest, CheckBoxesReportWhenEveryRowIsChecked) {
    CreateCellList();
    for (int i = 0; i < 4; ++i) {
        list.AddRow("row " + std::to_string(i), 0x10000 + i);
        list.SetCellCheck(i, 0, i == 3, i != 3);
    }
    Repaint();
    auto box = [&](int row) { return CheckBoxRect(CellRect(row, 0), true); };
    auto click = [&](int row) {
        const POINT point = Centre(box(row));
        test::ClickAt(list.hwnd(), point.x, point.y);
    };
    const LPARAM handleBits = reinterpret_cast<uintptr_t>(list.hwnd()) & 0xFFFF;
    click(3);
    EXPECT_TRUE(host.checks.empty()) << "a disabled box does not toggle";
    EXPECT_TRUE(list.IsCellChecked(3, 0));
    click(0);
    click(1);
    click(2);
    ASSERT_EQ(host.checks.size(), 3u);
    EXPECT_EQ(host.checks[0].first, 0u);
    EXPECT_EQ(host.checks[1].first, 0u);
    EXPECT_EQ(host.checks[2].first, 1u) << "the last unchecked row";
    EXPECT_EQ(host.checks[2].second, (2 << 16) | handleBits);
    click(1);
    ASSERT_EQ(host.checks.size(), 4u);
    EXPECT_EQ(host.checks[3].first, 0u) << "unchecking";
    EXPECT_FALSE(list.IsCellChecked(1, 0));
    EXPECT_TRUE(list.IsCellChecked(0, 0));

    // The tick's strokes: the short arm starts at box row 5 in column 3.
    Repaint();
    const ListRect checked = box(0);
    EXPECT_EQ(Pixel(checked.left + 3, checked.top + 5), RGB(51, 153, 51));
    EXPECT_EQ(Pixel(checked.left + 3, checked.top + 4), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(checked.left + 9, checked.top + 3), RGB(51, 153, 51)) << "long arm's top";
    EXPECT_EQ(Pixel(checked.left, checked.top), RGB(51, 102, 153)) << "frame";
    const ListRect disabled = box(3);
    EXPECT_EQ(Pixel(disabled.left, disabled.top), ::GetSysColor(COLOR_GRAYTEXT));
}

TEST_F(AddonListTest, SystemCheckBoxesToggleOnceAClick) {
    CreateCellList(LVS_EX_CHECKBOXES);
    list.AddRow("one", 1);
    list.AddRow("two", 2);
    Repaint();
    const POINT point = Centre(CheckBoxRect(CellRect(0, 0), true));
    test::ClickAt(list.hwnd(), point.x, point.y);
    EXPECT_TRUE(list.IsCellChecked(0, 0));
    ASSERT_EQ(host.checks.size(), 1u);
    EXPECT_EQ(host.checks[0].first, 0u);
    test::ClickAt(list.hwnd(), point.x, point.y);
    EXPECT_FALSE(list.IsCellChecked(0, 0));
}

TEST_F(AddonListTest, HeaderClicksSortNumbersDatesAndTexts) {
    CreateCellList();
    struct Entry {
        const char* name;
        const char* size;
        const char* date;
    };
    const Entry entries[] = {
        {"b", "10", "31/01/2014"}, {"C", "9", "01/02/2013"}, {"a", "100", "15/06/2013"}};
    for (int i = 0; i < 3; ++i) {
        list.AddRow(entries[i].name, i);
        list.SetCellText(i, 0, entries[i].name);
        list.SetCellText(i, 1, entries[i].size);
        list.SetCellText(i, 2, entries[i].date);
    }
    const HWND header = ListView_GetHeader(list.hwnd());
    int clicks = 0;
    auto clickHeader = [&](int column) {
        RECT item{};
        Header_GetItemRect(header, column, &item);
        // Each click a little apart from the last, so none is a double click,
        // and away from the dividers.
        const int x = (item.left + item.right) / 2 + ((++clicks % 2) ? -6 : 6);
        test::ClickAt(header, x, (item.top + item.bottom) / 2);
    };
    auto keys = [&] {
        return std::vector<int32_t>{list.RowKey(0), list.RowKey(1), list.RowKey(2)};
    };
    clickHeader(1);
    EXPECT_EQ(keys(), (std::vector<int32_t>{1, 0, 2})) << "9, 10, 100";
    clickHeader(1);
    EXPECT_EQ(keys(), (std::vector<int32_t>{2, 0, 1})) << "the same column flips";
    clickHeader(2);
    EXPECT_EQ(keys(), (std::vector<int32_t>{1, 2, 0})) << "dates ascending";
    clickHeader(0);
    EXPECT_EQ(keys(), (std::vector<int32_t>{2, 0, 1})) << "a, b, C in the system's comparison";
}

TEST_F(AddonListTest, SavedColumnStateIsApplied) {
    CreateCellList();
    test::TempDir dir;
    test::WriteTestFile(dir / "config", "[ListCtrls]\r\n2001=90,30,100;2,0,1\r\n");
    EXPECT_TRUE(list.RestoreColumnState(dir.path()));
    EXPECT_EQ(list.Send(LVM_GETCOLUMNWIDTH, 0), 90);
    EXPECT_EQ(list.Send(LVM_GETCOLUMNWIDTH, 2), 100);
    int order[3] = {};
    list.Send(LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ(order[0], 2);
    test::WriteTestFile(dir / "config", "[ListCtrls]\r\n2001=90,30\r\n");
    EXPECT_FALSE(list.RestoreColumnState(dir.path())) << "a value for other columns";
    EXPECT_EQ(list.Send(LVM_GETCOLUMNWIDTH, 0), 90);
}

TEST_F(AddonListTest, PaintingStopsAtARowWithoutARecord) {
    CreateMainWindowList();
    list.AddRow(1, "one", 0);
    list.AddRow(2, "two", 0);
    list.AddRow(3, "three", 0);
    LVITEMA foreign{};
    foreign.mask = LVIF_TEXT | LVIF_PARAM;
    foreign.iItem = 1;
    foreign.pszText = const_cast<char*>("foreign");
    foreign.lParam = 0x1234;  // not a record of the list
    ASSERT_EQ(list.Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&foreign)), 1);
    Repaint();
    EXPECT_EQ(list.RowKey(1), -1);
    EXPECT_EQ(Pixel(10, RowRect(0).bottom - 2), RGB(207, 222, 227)) << "row 0 painted";
    EXPECT_EQ(Pixel(10, RowRect(1).bottom - 2), kBackground) << "row 1 not";
    EXPECT_EQ(Pixel(10, RowRect(2).bottom - 2), kBackground) << "nor anything after it";
    list.DeleteRow(1);
    Repaint();
    EXPECT_EQ(Pixel(10, RowRect(2).bottom - 2), RGB(207, 222, 227));
}

TEST_F(AddonListTest, AChangedPaintEndInvalidatesOnceMore) {
    CreateMainWindowList();
    list.AddRow(1, "one", 0);
    ::UpdateWindow(list.hwnd());
    ::RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ::UpdateWindow(list.hwnd());
    EXPECT_FALSE(::GetUpdateRect(list.hwnd(), nullptr, FALSE)) << "settled";
    list.AddRow(2, "two", 0);
    ::UpdateWindow(list.hwnd());
    EXPECT_TRUE(::GetUpdateRect(list.hwnd(), nullptr, FALSE)) << "one more paint is due";
    ::UpdateWindow(list.hwnd());
    EXPECT_FALSE(::GetUpdateRect(list.hwnd(), nullptr, FALSE)) << "and only one";
}

TEST_F(AddonListTest, EmptyTextIsDrawnCentredInBlue) {
    CreateMainWindowList();
    Repaint();
    const RECT middle{20, 185, 220, 215};
    EXPECT_FALSE(AnyPixel(middle, RGB(0, 122, 182))) << "no text set";
    list.SetEmptyText(Local(L"当前游戏下暂无插件"));
    Repaint();
    EXPECT_TRUE(AnyPixel(middle, RGB(0, 122, 182)));
    EXPECT_FALSE(AnyPixel({20, 20, 220, 150}, RGB(0, 122, 182))) << "centred";
    EXPECT_TRUE(test::CaptureWindow(host.hwnd(), "addon_list_empty"));
    list.AddRow(1, "one", 0);
    Repaint();
    EXPECT_FALSE(AnyPixel(middle, RGB(0, 122, 182))) << "only while there are no rows";
}

TEST_F(AddonListTest, StarCellsShowFilledThenEmptyStars) {
    CreateCellList();
    struct Entry {
        const wchar_t* name;
        int stars;
    } const entries[] = {{L"技能冷却提示", 3},
                         {L"伤害统计", 7},
                         {L"DBM-Core", 0},
                         {L"界面美化与动作条增强整合包", 5}};
    for (int i = 0; i < 4; ++i) {
        list.AddRow(Local(entries[i].name), i);
        list.SetCellText(i, 0, Local(entries[i].name), i == 0);
        list.SetCellCheck(i, 1, i % 2 == 0, i != 2);
        list.SetCellStars(i, 2, entries[i].stars);
    }
    Repaint();
    const Snapshot shot(list.hwnd());
    auto starExtent = [&](int row) {
        const ListRect cell = CellRect(row, 2);
        int first = -1, last = -1;
        for (int x = cell.left; x < cell.right; ++x) {
            for (int y = cell.top; y < cell.bottom; ++y) {
                if (shot.At(x, y) == RGB(255, 200, 13)) {
                    first = first < 0 ? x : first;
                    last = x;
                    break;
                }
            }
        }
        return std::pair{first, last};
    };
    const auto three = starExtent(0), seven = starExtent(1), none = starExtent(2);
    ASSERT_GE(three.first, 0);
    ASSERT_GE(seven.first, 0);
    ASSERT_GE(none.first, 0) << "five empty stars";
    EXPECT_GT(seven.second - seven.first, three.second - three.first) << "7 glyphs against 5";
    EXPECT_EQ(three.second - three.first, none.second - none.first) << "never fewer than five";
    EXPECT_TRUE(test::CaptureWindow(host.hwnd(), "addon_list_cells"));
}

TEST_F(AddonListTest, TwoThousandRowsScrollAndPaint) {
    CreateMainWindowList();
    // As in the program, the list fills behind the loading view (wine
    // redraws a shown list's scroll bar on every row, slowly).
    list.Show(false);
    OnWorker([&] {
        for (int i = 0; i < 2000; ++i)
            list.AddRow(i, "addon " + std::to_string(i), i % 9 == 0 ? 1 : 0);
    });
    list.Show(true);
    ASSERT_EQ(list.RowCount(), 2000);
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(list.hwnd(), SB_VERT, &scroll));
    EXPECT_EQ(scroll.nMax, 1999);

    list.Send(WM_VSCROLL, SB_PAGEDOWN);
    list.Send(LVM_ENSUREVISIBLE, 1999, FALSE);
    Repaint();
    const int top = static_cast<int>(list.Send(LVM_GETTOPINDEX));
    EXPECT_GE(top, 1990);
    const RECT last = RowRect(1999);
    EXPECT_EQ(last.bottom, 9 * kRowHeight) << "the last row is the ninth whole one";
    EXPECT_EQ(Pixel(10, last.bottom - 2), RGB(207, 222, 227));
    EXPECT_EQ(Pixel(10, RowRect(top).bottom - 2), RGB(207, 222, 227));
    EXPECT_TRUE(AnyPixel(ToRect(list.LayoutOfKey(1998)->nameRect), RGB(48, 48, 48)))
        << "names painted after scrolling";
    EXPECT_TRUE(test::CaptureWindow(host.hwnd(), "addon_list_2000_rows"));
}

TEST_F(AddonListTest, Screenshots) {
    CreateMainWindowList();
    FillMainRows();
    list.SetProgress(3, 0);
    list.SetProgress(4, 37);
    list.SetProgress(5, 99);
    test::MoveMouseTo(list.hwnd(), 120, RowRect(1).top + 12);
    Repaint();
    EXPECT_TRUE(test::CaptureWindow(host.hwnd(), "addon_list_rows"));

    // A hot row with both links (the main window hides the toggle).
    AddonRowLayout* layout = list.LayoutOfKey(6);
    layout->noToggle = 0;
    layout->upgradable = 1;
    test::MoveMouseTo(list.hwnd(), 120, RowRect(5).top + 12);
    Repaint();
    EXPECT_TRUE(test::CaptureWindow(host.hwnd(), "addon_list_hot_links"));
}

#if TESSEL_WITH_ADDONS

// The main window as the addon library sees it: records the view messages
// and hands progress to the list as the window's handler does.
class LibraryWindow : public addons::AddonWindow {
  public:
    explicit LibraryWindow(addons::AddonListControl& list) : list_(list) {}
    void PostListState(int code, int value) override {
        std::lock_guard<std::mutex> lock(mutex_);
        states_.emplace_back(code, value);
    }
    void PostInstallAddon(int32_t, int) override {}
    void SendDownloadProgress(int code, const net::DownloadProgress& progress) override {
        addons::HandleDownloadProgress(list_, code, progress);
    }
    void ShowMessage(int) override {}
    bool RunGamePathDialog() override { return false; }
    void ClosePopupWindow() override {}
    void ShowAnotherManagerWorking() override {}
    bool Saw(int code) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& state : states_) {
            if (state.first == code)
                return true;
        }
        return false;
    }

  private:
    addons::AddonListControl& list_;
    mutable std::mutex mutex_;
    std::vector<std::pair<int, int>> states_;
};

// A program directory whose catalogue server does not answer and a game
// whose addon directory holds folders without version files: ReloadAll makes
// one local row for each.
class ReloadAllListTest : public AddonListTest {
  protected:
    void SetUp() override {
        AddonListTest::SetUp();
        app_.SetProgramDir(program_.path());
        platform::SetEnv("VAEL_DOCUMENTS", platform::LocalToUtf8(documents_.path()));
        test::WriteTestFile(program_ / "servers.ini",
                            "[Servers]\r\nCatalogue=http://127.0.0.1:1\r\n");
        test::WriteTestFile(program_ / "config",
                            "[Setting]\r\nGamePath=" + game_ / "vaelpatchchinese.exe\r\n");
        servers_ = settings::LoadServerConfig(app_.ProgramDir());
        CreateMainWindowList();
    }
    void TearDown() override { platform::SetEnv("VAEL_DOCUMENTS", ""); }
    void AddFolders(int count) {
        for (int i = 0; i < count; ++i)
            platform::MakeDirectoryPath(game_ /
                                        ("Interface\\Addons\\Folder" + std::to_string(100 + i)));
    }
    static addons::AddonOptions Options() {
        addons::AddonOptions options;
        options.connectTimeoutMs = 1000;
        options.receiveTimeoutMs = 1000;
        options.directoryWaitMs = 0;
        return options;
    }

    test::TempDir program_, game_, documents_;
    settings::CAppState app_;
    settings::ServerConfig servers_;
};

TEST_F(ReloadAllListTest, ReloadAllFillsTheListFromItsWorker) {
    AddFolders(3);
    LibraryWindow window(list);
    {
        addons::AddonLibrary library(app_, servers_, window, list, Options());
        list.AddRow(1, "stale", 0);
        ASSERT_TRUE(addons::StartReloadAll(library));
        EXPECT_TRUE(test::PumpUntil([&] { return window.Saw(addons::kViewRedraw); }, 30000));
    }
    ASSERT_EQ(list.RowCount(), 3);
    EXPECT_FALSE(list.HasKey(1)) << "the old rows went first";
    for (int32_t key : {20001, 20002, 20003}) {
        const AddonRowLayout* layout = list.LayoutOfKey(key);
        ASSERT_NE(layout, nullptr) << key;
        EXPECT_EQ(layout->name.rfind("Folder1", 0), 0u) << "a local folder's name";
        EXPECT_EQ(layout->noToggle, 1);
        EXPECT_EQ(layout->upgradable, 0);
    }
    EXPECT_TRUE(window.Saw(addons::kViewList));
}

TEST_F(ReloadAllListTest, ExitWhileReloadAllFillsTheListDoesNotDeadlock) {
    AddFolders(60);
    LibraryWindow window(list);
    auto library = std::make_unique<addons::AddonLibrary>(app_, servers_, window, list, Options());
    ASSERT_TRUE(addons::StartReloadAll(*library));
    // Once the worker is filling the list, the window goes away as at exit:
    // it stops the list's calls, then waits for the library's workers
    // without dispatching anything.
    ASSERT_TRUE(test::PumpUntil([&] { return list.RowCount() > 0; }, 30000));
    list.StopThreadCalls();
    library.reset();
    // The rows that made it are whole and in order.
    for (int row = 0; row < list.RowCount(); ++row) {
        EXPECT_EQ(list.RowKey(row), 20001 + row);
        ASSERT_NE(list.LayoutOfKey(20001 + row), nullptr);
    }
}

#endif  // TESSEL_WITH_ADDONS

}  // namespace
}  // namespace vt::ui
