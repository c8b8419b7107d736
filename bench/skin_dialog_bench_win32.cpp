// The main window's background under wine: a skinned dialog of 884 x 579 with
// the skin's eight background images and the left panel's texts. Timed, per
// drawing mode of the rectangle images: the first composition (smoothing or
// tiling each image at the size of its place, paid once per size; a fresh
// dialog not yet shown each run), the whole background composed afresh
// (what a change of the layer, such as a new count, costs; goal: within a
// 16 ms frame), and a full repaint of the window from the composed
// background (what every other repaint costs). Plain timed loops; each
// figure is the median of the runs (default 5) with its spread, the last two
// figures' of at least 41 runs.
//   skin_dialog_bench [--runs N]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_stats.h"
#include "resource.h"
#include "timed_loop_win32.h"
#include "ui/gdiplus_session.h"
#include "ui/main_window_layer_win32.h"
#include "ui/skin_dialog.h"

namespace {

constexpr int kWidth = 884, kHeight = 579;

using vt::bench::NowMs;
using vt::bench::Pump;

// A borderless skinned dialog of the main window's size.
class MainBackground : public vt::ui::CSkinDialog {
  public:
    MainBackground() : CSkinDialog(IDD_SPLASH) {}

  protected:
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Place(20, 20, kWidth, kHeight);
        return true;
    }
};

// Creates the dialog, hidden, with the main window's layer drawn with mode.
bool Open(MainBackground& dialog, vt::ui::SliceMode mode) {
    if (!dialog.CreateModeless(nullptr)) {
        std::fprintf(stderr, "skin_dialog_bench: no window (is an X server running?)\n");
        return false;
    }
    vt::test::AddMainWindowBackground(dialog, mode);
    vt::test::AddLeftPanelTexts(dialog, 12, false);
    return true;
}

// The milliseconds of count calls of PaintBackground into one canvas of the
// dialog's size.
std::vector<double> TimeCompositions(MainBackground& dialog, int count) {
    vt::ui::ClientDc screen(dialog.hwnd());
    vt::ui::Canvas canvas(screen.get(), kWidth, kHeight);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double start = NowMs();
        dialog.PaintBackground(canvas.dc(), kWidth, kHeight);
        times.push_back(NowMs() - start);
    }
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = vt::bench::RunsOption(argc, argv);
    const int quickRuns = vt::bench::QuickRuns(runs);
    vt::ui::GdiplusSession gdiplus;
    const struct {
        vt::ui::SliceMode mode;
        const char* name;
    } modes[] = {{vt::ui::SliceMode::BitmapStretch, "bitmap stretch (0)"},
                 {vt::ui::SliceMode::SmoothStretch, "smooth stretch (1)"},
                 {vt::ui::SliceMode::Tile, "tiles (2)"}};
    std::printf("%d x %d background; median of %d runs (first composition) or %d [min-max]\n",
                kWidth, kHeight, runs, quickRuns);
    for (const auto& [mode, name] : modes) {
        // Nothing has painted a dialog that was never shown: its first
        // composition smooths or tiles every image.
        std::vector<double> first;
        for (int run = 0; run < runs; ++run) {
            MainBackground dialog;
            if (!Open(dialog, mode))
                return 1;
            first.push_back(TimeCompositions(dialog, 1).front());
            dialog.EndDialog(IDCANCEL);
        }

        MainBackground dialog;
        if (!Open(dialog, mode))
            return 1;
        dialog.Show(true);
        Pump();
        const std::vector<double> composed = TimeCompositions(dialog, quickRuns);
        std::vector<double> repainted;
        for (int run = 0; run < quickRuns; ++run) {
            const double start = NowMs();
            ::RedrawWindow(dialog.hwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            repainted.push_back(NowMs() - start);
            Pump();
        }
        dialog.EndDialog(IDCANCEL);

        using vt::bench::Figure;
        using vt::bench::SpreadOf;
        std::printf("  %-18s first composition %s\n", name, Figure(SpreadOf(first), "ms").c_str());
        std::printf("  %-18s composed afresh   %s\n", name,
                    Figure(SpreadOf(composed), "ms").c_str());
        std::printf("  %-18s full repaint      %s\n", name,
                    Figure(SpreadOf(repainted), "ms").c_str());
        vt::bench::PrintRatio(std::string("background afresh, ") + name + " / 16 ms frame",
                              vt::bench::Shares(composed, vt::bench::kFrameMs), 1);
    }
    return 0;
}
