// The main window's background under wine: a skinned dialog of 884 x 579 with
// the skin's eight background images and the left panel's texts. Timed, per
// drawing mode of the rectangle images: the first composition (smoothing or
// tiling each image at the size of its place, paid once per size), the whole
// background composed afresh (what a change of the layer, such as a new
// count, costs), and a full repaint of the window from the composed
// background (what every other repaint costs). Plain timed loops; the last
// two figures are medians of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "resource.h"
#include "timed_loop_win32.h"
#include "ui/gdiplus_session.h"
#include "ui/main_window_layer_win32.h"
#include "ui/skin_dialog.h"

namespace {

constexpr int kRuns = 41;

using vt::bench::Median;
using vt::bench::NowMs;
using vt::bench::Pump;

// A borderless skinned dialog of the main window's size.
class MainBackground : public vt::ui::CSkinDialog {
  public:
    MainBackground() : CSkinDialog(IDD_SPLASH) {}

  protected:
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Place(20, 20, 884, 579);
        return true;
    }
};

}  // namespace

int main() {
    vt::ui::GdiplusSession gdiplus;
    const struct {
        vt::ui::SliceMode mode;
        const char* name;
    } modes[] = {{vt::ui::SliceMode::BitmapStretch, "bitmap stretch (0)"},
                 {vt::ui::SliceMode::SmoothStretch, "smooth stretch (1)"},
                 {vt::ui::SliceMode::Tile, "tiles (2)          "}};
    for (const auto& [mode, name] : modes) {
        MainBackground dialog;
        if (!dialog.CreateModeless(nullptr)) {
            std::fprintf(stderr, "skin_dialog_bench: no window (is an X server running?)\n");
            return 1;
        }
        vt::test::AddMainWindowBackground(dialog, mode);
        vt::test::AddLeftPanelTexts(dialog, 12, false);
        dialog.Show(true);
        Pump();

        vt::ui::ClientDc screen(dialog.hwnd());
        vt::ui::Canvas canvas(screen.get(), 884, 579);
        std::vector<double> composed, repainted;
        const double firstStart = NowMs();
        dialog.PaintBackground(canvas.dc(), 884, 579);
        const double first = NowMs() - firstStart;
        for (int run = 0; run < kRuns; ++run) {
            const double start = NowMs();
            dialog.PaintBackground(canvas.dc(), 884, 579);
            composed.push_back(NowMs() - start);
        }
        for (int run = 0; run < kRuns; ++run) {
            const double start = NowMs();
            ::RedrawWindow(dialog.hwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            repainted.push_back(NowMs() - start);
            Pump();
        }
        std::printf("884 x 579 background, %s first composition %7.2f ms\n", name, first);
        std::printf("884 x 579 background, %s composed afresh  %7.2f ms  (goal: at most 16)\n",
                    name, Median(composed));
        std::printf("884 x 579 background, %s full repaint     %7.2f ms\n", name,
                    Median(repainted));
        dialog.EndDialog(IDCANCEL);
    }
    return 0;
}
