#include "ui/layered_composer.h"

#include <gtest/gtest.h>

#include "skin_test_support_win32.h"
#include "support/gui_win32.h"
#include "test_dialogs.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace vt::ui {
namespace {

// A premultiplied BGRA pixel of a rendered face.
uint32_t FacePixel(const Canvas& face, int x, int y) {
    return face.bits()[y * face.width() + x];
}

// A borderless skinned dialog of 120 x 80 whose template controls are
// hidden; its layer is an image with an opaque, a half-transparent and a
// clear part.
class FaceDialog : public CSkinDialog {
  public:
    FaceDialog() : CSkinDialog(IDD_TEST_PLAIN) {}

  protected:
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Resize(120, 80);
        for (int control : {IDC_TEST_PUSH, IDC_TEST_EDIT, IDC_TEST_LINK})
            ::ShowWindow(Item(control), SW_HIDE);
        auto image = test::SolidStrip({0x00000000}, 120, 80);
        test::FillImage(*image, 0, 0, 60, 40, 0xFFFF0000);
        test::FillImage(*image, 60, 0, 60, 40, 0x800000FF);
        AddImage(std::move(image), 0, 0);
        return true;
    }
};

// A child that tries to compose its parent while it is being printed.
class NestingChild : public Wnd {
  public:
    int attempts = 0;
    bool nestedResult = true;

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PRINT || message == WM_PRINTCLIENT) {
            ++attempts;
            nestedResult = LayeredComposer::Compose(Parent());
        }
        return Wnd::WndProc(message, wParam, lParam);
    }
};

TEST(LayeredComposer, FaceKeepsTheLayersAlphaAndDrawsChildrenOpaque) {
    FaceDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    CSkinButtonEx low, high;
    ASSERT_TRUE(low.Create(dialog.hwnd(), 801, "", 10, 50, 20, 20));
    ASSERT_TRUE(high.Create(dialog.hwnd(), 802, "", 20, 55, 20, 20));
    low.SetSkin(test::SolidStrip({0xFF00C000}, 20, 20), 1);
    high.SetSkin(
        test::SolidStrip({0xFFC0C000, 0xFFC0C000, 0xFFC0C000, 0xFFC0C000, 0xFF00C0C0}, 20, 20), 5,
        true, false, true);
    ::SetWindowPos(high.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    const Canvas face = LayeredComposer::Render(dialog.hwnd());
    ASSERT_TRUE(face);
    ASSERT_EQ(face.width(), 120);
    EXPECT_EQ(FacePixel(face, 10, 10), 0xFFFF0000u);
    const uint32_t half = FacePixel(face, 90, 10);
    EXPECT_EQ(half >> 24, 0x80u) << "half transparent";
    EXPECT_NEAR(static_cast<int>(half & 0xFF), 0x80, 1) << "premultiplied blue";
    EXPECT_EQ(FacePixel(face, 100, 70), 0u) << "clear";
    EXPECT_EQ(FacePixel(face, 12, 52), 0xFF00C000u) << "a child, opaque";
    EXPECT_EQ(FacePixel(face, 25, 60), 0xFFC0C000u) << "the upper child over the lower one";

    const Canvas flashing = LayeredComposer::Render(dialog.hwnd(), high.hwnd(), kFaceFlash);
    EXPECT_EQ(FacePixel(flashing, 25, 60), 0xFF00C0C0u) << "the flash frame";
    EXPECT_EQ(FacePixel(flashing, 12, 52), 0xFF00C000u);

    low.Show(false);
    EXPECT_EQ(FacePixel(LayeredComposer::Render(dialog.hwnd()), 12, 52), 0u)
        << "hidden children are left out";
}

TEST(LayeredComposer, CompositionDoesNotReenterItself) {
    FaceDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    NestingChild child;
    ASSERT_TRUE(child.Create({.parent = dialog.hwnd(),
                              .style = WS_CHILD | WS_VISIBLE,
                              .x = 5,
                              .y = 5,
                              .width = 10,
                              .height = 10}));
    ASSERT_TRUE(LayeredComposer::MakeLayered(dialog.hwnd()));
    EXPECT_TRUE(LayeredComposer::Compose(dialog.hwnd()));
    EXPECT_GE(child.attempts, 1);
    EXPECT_FALSE(child.nestedResult) << "the inner composition was refused";
}

TEST(LayeredComposer, LayeredWindowShowsWhatLiesBelowThroughItsClearParts) {
    // A window below, filled with a known colour.
    Wnd below;
    BrushHandle green(::CreateSolidBrush(RGB(0, 0x80, 0)));
    ASSERT_TRUE(below.Create({.className = "VaelTesselGreenWindow",
                              .style = WS_POPUP | WS_VISIBLE,
                              .x = 300,
                              .y = 300,
                              .width = 200,
                              .height = 150,
                              .background = green.get()}));
    FaceDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    dialog.MoveTo(340, 330);
    ASSERT_TRUE(LayeredComposer::MakeLayered(dialog.hwnd()));
    EXPECT_TRUE(LayeredComposer::IsLayered(dialog.hwnd()));
    EXPECT_NE(::GetWindowLongA(dialog.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_FALSE(LayeredComposer::MakeLayered(dialog.hwnd())) << "once only";
    ::SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    // The first composition comes from the composer's thread.
    EXPECT_TRUE(test::PumpUntil(
        [&] { return test::Rgb(test::ScreenPixel(dialog.hwnd(), 10, 10)) == 0xFF0000u; }));
    EXPECT_EQ(test::Rgb(test::ScreenPixel(dialog.hwnd(), 100, 70)), 0x008000u);
    // Partial alpha is in the face (see above); blending it with what lies
    // below takes a compositing X server, which the tests' one is not.
    EXPECT_EQ(test::Rgb(test::ScreenPixel(dialog.hwnd(), 90, 10)) & 0xFF, 0x80u);
    test::CaptureWindow(below.hwnd(), "layered_window_over_another");

    const HWND hwnd = dialog.hwnd();
    dialog.Destroy();
    EXPECT_FALSE(LayeredComposer::IsLayered(hwnd)) << "forgotten with its window";
}

}  // namespace
}  // namespace vt::ui
