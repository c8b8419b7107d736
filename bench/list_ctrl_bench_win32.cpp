// The installed-addons list under wine: filling 2,000 rows through the addon
// library's interface from a worker thread against the same calls on the
// list's own thread, with the list hidden as ReloadAll fills it (goal: the
// worker takes at most twice the time) and, with 500 rows, shown (no goal),
// and one full paint of a page of ten rows (goal: within a 16 ms frame).
// Plain timed loops; each figure is the median of the runs (default 5) with
// its spread, the paint's of at least 41 runs.
//   list_ctrl_bench [--runs N]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_stats.h"
#include "timed_loop_win32.h"
#include "ui/addon_list_ctrl.h"

namespace {

using vt::ui::CAddonListCtrl;

// Rows of a hidden fill, as a large installation has; a shown list pays
// several milliseconds a row, so its fill has fewer.
constexpr int kRows = 2000;
constexpr int kShownRows = 500;

using vt::bench::NowMs;
using vt::bench::Pump;

// What ReloadAll does to the list: empty it, then append every row.
void Fill(vt::addons::AddonListControl& list, int rows) {
    list.DeleteAllRows();
    for (int i = 0; i < rows; ++i)
        list.AddRow(i, "addon " + std::to_string(i), i % 9 == 0 ? 1 : 0);
}

double FillHere(CAddonListCtrl& list, int rows) {
    const double start = NowMs();
    Fill(list, rows);
    const double elapsed = NowMs() - start;
    Pump();
    return elapsed;
}

double FillFromWorker(CAddonListCtrl& list, int rows) {
    std::atomic<bool> done{false};
    const double start = NowMs();
    std::thread worker([&] {
        Fill(list, rows);
        done = true;
    });
    // The user-interface thread's loop, as the main window's modal loop.
    while (!done) {
        MSG message;
        if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        } else {
            ::MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
    const double elapsed = NowMs() - start;
    worker.join();
    Pump();
    return elapsed;
}

double PaintOnce(CAddonListCtrl& list) {
    const double start = NowMs();
    ::RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const double elapsed = NowMs() - start;
    Pump();
    return elapsed;
}

// Fills the list on its own thread and from a worker in turn, runs times;
// prints both and their ratio.
void CompareFills(CAddonListCtrl& list, const char* shown, int rows, int runs, double goal) {
    std::vector<double> here, worker;
    for (int run = 0; run < runs; ++run) {
        here.push_back(FillHere(list, rows));
        worker.push_back(FillFromWorker(list, rows));
    }
    using vt::bench::Figure;
    using vt::bench::SpreadOf;
    std::printf("fill %d rows, %s list, median of %d runs [min-max]\n", rows, shown, runs);
    std::printf("  list's own thread   %s\n", Figure(SpreadOf(here), "ms", 1, 1).c_str());
    std::printf("  worker thread       %s\n", Figure(SpreadOf(worker), "ms", 1, 1).c_str());
    vt::bench::PrintRatio(std::string("list fill, ") + shown + ": worker / own thread",
                          vt::bench::Ratios(worker, here), goal);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = vt::bench::RunsOption(argc, argv);
    vt::ui::Wnd host;
    if (!host.Create({.className = "VaelTesselBenchHost",
                      .style = WS_POPUP | WS_VISIBLE,
                      .x = 30,
                      .y = 30,
                      .width = 254,
                      .height = 414})) {
        std::fprintf(stderr, "list_ctrl_bench: no window (is an X server running?)\n");
        return 1;
    }
    CAddonListCtrl list;
    if (!list.CreateList({.parent = host.hwnd(), .id = 1011, .x = 7, .y = 7})) {
        std::fprintf(stderr, "list_ctrl_bench: no list view\n");
        return 1;
    }
    list.SetColumns("plug,222;type,1", 0, 2);
    list.SetColors(0xEFEFEF, vt::ui::kKeepColor, vt::ui::kKeepColor, vt::ui::kKeepColor);
    list.SetRowHeight(44);
    list.SetGridLines(true);
    Pump();

    // While ReloadAll refills the list, the main window shows its loading view
    // and the list is hidden; that is the fill measured first. A shown list
    // pays wine's scroll bar redraw on every row, on either thread alike.
    list.Show(false);
    CompareFills(list, "hidden", kRows, runs, 2);
    list.Show(true);
    CompareFills(list, "shown", kShownRows, runs, 0);

    // A page as the player sees it: ten rows, one hot, three downloading.
    list.DeleteAllRows();
    for (int i = 0; i < 10; ++i)
        list.AddRow(i, "addon " + std::to_string(i), i % 3 == 0 ? 1 : 0);
    list.SetProgress(2, 0);
    list.SetProgress(4, 37);
    list.SetProgress(6, 99);
    Pump();
    std::vector<double> paints;
    const int paintRuns = vt::bench::QuickRuns(runs);
    for (int run = 0; run < paintRuns; ++run)
        paints.push_back(PaintOnce(list));
    std::printf("one full paint of a 10-row page, median of %d runs: %s\n", paintRuns,
                vt::bench::Figure(vt::bench::SpreadOf(paints), "ms").c_str());
    vt::bench::PrintRatio("list paint of a 10-row page / 16 ms frame",
                          vt::bench::Shares(paints, vt::bench::kFrameMs), 1);
    return 0;
}
