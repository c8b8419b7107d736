#include "ui/skin_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin_test_support_win32.h"
#include "support/gui_win32.h"
#include "test_dialogs.h"

namespace vt::ui {
namespace {

using test::PixelOf;

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
constexpr uint32_t kYellow = 0xFFFFFF00, kBlack = 0xFF000000, kWhite = 0xFFFFFFFF;

constexpr UINT kEndProbe = WM_APP + 1;

// A skinned dialog that records the non-client presses it would hand to the
// system, instead of starting the system's move and size loops.
class ProbeDialog : public CSkinDialog {
  public:
    explicit ProbeDialog(int templateId = IDD_TEST_PLAIN) : CSkinDialog(templateId) {}
    std::vector<WPARAM> ncPresses;
    std::vector<int> commands;
    bool keepSystemLoops = false;
    int width = 300;
    int height = 200;

  protected:
    bool OnCommand(int id, int code, HWND control) override {
        commands.push_back(id);
        return CSkinDialog::OnCommand(id, code, control);
    }
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Resize(width, height);
        return true;
    }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kEndProbe) {
            EndDialog(77);
            return 0;
        }
        if (message == WM_NCLBUTTONDOWN && !keepSystemLoops) {
            ncPresses.push_back(wParam);
            return 0;
        }
        return CSkinDialog::WndProc(message, wParam, lParam);
    }
};

// Shows a modeless probe on top, ready for real input.
void ShowOnTop(Dialog& dialog) {
    dialog.MoveTo(100, 100);
    ::SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(dialog.hwnd());
    test::PumpPending();
}

// The bounding box of the pixels of a colour in a canvas.
RECT BoundsOf(const Canvas& canvas, uint32_t rgb) {
    RECT bounds{canvas.width(), canvas.height(), -1, -1};
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (PixelOf(canvas, x, y) != rgb)
                continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    return bounds;
}

TEST(SkinDialog, InitialisationDropsTheCaptionAndTakesResizableFromTheBorder) {
    ProbeDialog plain;
    ASSERT_TRUE(plain.CreateModeless(nullptr));
    EXPECT_EQ(::GetWindowLongA(plain.hwnd(), GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_FALSE(plain.resizable);
    EXPECT_EQ(plain.EdgeAt(1, 1), EdgeHit::None);
    const RECT client = plain.ClientRect();
    EXPECT_EQ(client.right, 300) << "no frame is left around the client area";

    ProbeDialog sizing(IDD_TEST_RESIZABLE);
    ASSERT_TRUE(sizing.CreateModeless(nullptr));
    EXPECT_TRUE(sizing.resizable);
    EXPECT_EQ(sizing.EdgeAt(1, 1), EdgeHit::TopLeft);
}

TEST(SkinDialog, BackgroundIsTheFillThenTheLayerInOrder) {
    ProbeDialog dialog;
    dialog.backgroundColor = RGB(0x10, 0x20, 0x30);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const LayerItem red = dialog.AddImage(test::SolidStrip({kRed}, 20, 10), 5, 6);
    dialog.AddImage(test::SolidStrip({kBlue}, 10, 10), 15, 6);  // over the red one's right half

    const Canvas& background = dialog.Background();
    ASSERT_TRUE(background);
    EXPECT_EQ(background.width(), 300);
    EXPECT_EQ(PixelOf(background, 0, 0), 0x102030u);
    EXPECT_EQ(PixelOf(background, 5, 6), 0xFF0000u);
    EXPECT_EQ(PixelOf(background, 14, 15), 0xFF0000u);
    EXPECT_EQ(PixelOf(background, 15, 6), 0x0000FFu);
    EXPECT_EQ(PixelOf(background, 25, 6), 0x102030u);
    EXPECT_EQ(PixelOf(background, 5, 16), 0x102030u);

    dialog.ShowItem(red, false);
    EXPECT_EQ(PixelOf(dialog.Background(), 5, 6), 0x102030u);
    dialog.ShowItem(red, true);
    EXPECT_EQ(PixelOf(dialog.Background(), 5, 6), 0xFF0000u);
}

TEST(SkinDialog, PositionedImageAtTheSamePlaceAndSizeIsReplaced) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const LayerItem first = dialog.AddImage(test::SolidStrip({kRed}, 20, 10), 5, 5);
    EXPECT_EQ(dialog.AddImage(test::SolidStrip({kGreen}, 20, 10), 5, 5), first);
    EXPECT_EQ(PixelOf(dialog.Background(), 6, 6), 0x00FF00u);
    EXPECT_NE(dialog.AddImage(test::SolidStrip({kBlue}, 10, 10), 5, 5), first)
        << "another size is another image";
    EXPECT_NE(dialog.AddImage(test::SolidStrip({kBlue}, 20, 10), 5, 5, Gdiplus::Rotate180FlipNone),
              first)
        << "another rotate-or-flip code is another image";
    EXPECT_EQ(dialog.AddImage(0, "PNG", 40, 40), dialog.AddImage(0, "PNG", 40, 40))
        << "missing images replace each other as well";
}

TEST(SkinDialog, RotateOrFlipCodeAppliesBeforeTheImageIsPlaced) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    // Red on the left, blue on the right: 20 x 10.
    dialog.AddImage(test::SolidStrip({kRed, kBlue}, 10, 10), 0, 0, Gdiplus::RotateNoneFlipX);
    // Turned by 90 degrees it stands 10 x 20, red on top after the turn.
    dialog.AddImage(test::SolidStrip({kRed, kBlue}, 10, 10), 50, 0, Gdiplus::Rotate90FlipNone);
    const Canvas& background = dialog.Background();
    EXPECT_EQ(PixelOf(background, 2, 5), 0x0000FFu);
    EXPECT_EQ(PixelOf(background, 17, 5), 0xFF0000u);
    EXPECT_EQ(PixelOf(background, 55, 2), 0xFF0000u);
    EXPECT_EQ(PixelOf(background, 55, 17), 0x0000FFu);
    EXPECT_EQ(PixelOf(background, 61, 5), 0xFFFFFFu) << "10 pixels wide after the turn";
}

// A 9 x 9 image: corners 4 x 4 in red, green, blue and yellow, the bands
// between them black, the centre pixel white.
ImagePtr CornerImage() {
    auto image = test::SolidStrip({kBlack}, 9, 9);
    test::FillImage(*image, 0, 0, 4, 4, kRed);
    test::FillImage(*image, 5, 0, 4, 4, kGreen);
    test::FillImage(*image, 0, 5, 4, 4, kBlue);
    test::FillImage(*image, 5, 5, 4, 4, kYellow);
    test::FillImage(*image, 4, 4, 1, 1, kWhite);
    return image;
}

TEST(SkinDialog, RectangleImageKeepsItsCornersAndStretchesTheRest) {
    for (SliceMode mode : {SliceMode::BitmapStretch, SliceMode::SmoothStretch, SliceMode::Tile}) {
        ProbeDialog dialog;
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        auto image = CornerImage();
        dialog.AddRectImage({.image = image.get(), .place = {20, 30, 120, 90}, .mode = mode});
        const Canvas& background = dialog.Background();
        SCOPED_TRACE(static_cast<int>(mode));
        EXPECT_EQ(PixelOf(background, 19, 30), 0xFFFFFFu);
        EXPECT_EQ(PixelOf(background, 20, 30), 0xFF0000u);
        EXPECT_EQ(PixelOf(background, 23, 33), 0xFF0000u);
        EXPECT_EQ(PixelOf(background, 116, 30), 0x00FF00u);
        EXPECT_EQ(PixelOf(background, 119, 33), 0x00FF00u);
        EXPECT_EQ(PixelOf(background, 120, 33), 0xFFFFFFu);
        EXPECT_EQ(PixelOf(background, 20, 86), 0x0000FFu);
        EXPECT_EQ(PixelOf(background, 119, 89), 0xFFFF00u);
        EXPECT_EQ(PixelOf(background, 70, 60), 0xFFFFFFu) << "the centre pixel fills the middle";
        EXPECT_EQ(PixelOf(background, 70, 31), 0x000000u) << "the top band";
        EXPECT_EQ(PixelOf(background, 22, 60), 0x000000u) << "the left band";
    }
}

TEST(SkinDialog, TiledCentreRepeatsWholeCopiesAndCutsTheLast) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    // Corners of 2 pixels around a centre of 3 x 1 columns: red, green, blue.
    auto image = test::SolidStrip({kBlack}, 7, 5);
    test::FillImage(*image, 2, 2, 1, 1, kRed);
    test::FillImage(*image, 3, 2, 1, 1, kGreen);
    test::FillImage(*image, 4, 2, 1, 1, kBlue);
    dialog.AddRectImage({.image = image.get(),
                         .place = {10, 10, 24, 20},  // a centre of 10 x 6
                         .insets = {2, 2, 2, 2},
                         .mode = SliceMode::Tile});
    const Canvas& background = dialog.Background();
    const uint32_t expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF0000, 0x00FF00,
                                 0x0000FF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF0000};
    for (int column = 0; column < 10; ++column)
        EXPECT_EQ(PixelOf(background, 12 + column, 14), expected[column]) << column;
    EXPECT_EQ(PixelOf(background, 22, 14), 0x000000u) << "the right band after the cut copy";
}

TEST(SkinDialog, EmptyRectangleFollowsTheClientArea) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    auto image = CornerImage();
    const std::string file = test::SaveTempPng(*image, "corners");
    dialog.AddRectImage({.file = file, .mode = SliceMode::SmoothStretch});
    EXPECT_EQ(PixelOf(dialog.Background(), 299, 199), 0xFFFF00u);
    dialog.Resize(200, 150);
    test::PumpPending();
    EXPECT_EQ(dialog.Background().width(), 200);
    EXPECT_EQ(PixelOf(dialog.Background(), 199, 149), 0xFFFF00u);
    EXPECT_EQ(PixelOf(dialog.Background(), 0, 149), 0x0000FFu);

    // A file that does not exist falls back to the resource, here none.
    const LayerItem missing = dialog.AddRectImage({.file = file + ".gone", .resourceId = 0});
    EXPECT_NE(missing, 0);
    EXPECT_EQ(PixelOf(dialog.Background(), 199, 149), 0xFFFF00u);
}

TEST(SkinDialog, TextsAreAlignedByTheirFlagBits) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    const LayerItem left =
        dialog.AddText({.text = "WWWW", .x = 100, .y = 20, .points = 12, .argb = kRed});
    dialog.AddText({.text = "WWWW",
                    .x = 100,
                    .y = 60,
                    .points = 12,
                    .argb = kGreen,
                    .align = kTextRight | kTextBottom});
    dialog.AddText({.text = "WWWW",
                    .x = 100,
                    .y = 120,
                    .points = 12,
                    .argb = kBlue,
                    .align = kTextCentre | kTextMiddle});
    const Canvas& background = dialog.Background();
    const RECT red = BoundsOf(background, 0xFF0000);
    ASSERT_LT(red.left, red.right) << "the text was drawn";
    EXPECT_GE(red.left, 100);
    EXPECT_LE(red.left, 103);
    EXPECT_GE(red.top, 20);
    const RECT green = BoundsOf(background, 0x00FF00);
    ASSERT_LT(green.left, green.right);
    EXPECT_LE(green.right, 104) << "ends at x = 100, give or take the glyphs' overhang";
    EXPECT_GE(green.right, 96);
    EXPECT_LE(green.bottom, 61);
    const RECT blue = BoundsOf(background, 0x0000FF);
    ASSERT_LT(blue.left, blue.right);
    EXPECT_NEAR((blue.left + blue.right) / 2, 100, 3);
    EXPECT_NEAR((blue.top + blue.bottom) / 2, 120, 4);

    dialog.SetItemText(left, "");
    EXPECT_EQ(BoundsOf(dialog.Background(), 0xFF0000).right, -1) << "an empty text draws nothing";
}

TEST(SkinDialog, WrappedTextStaysWithinItsBox) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    dialog.AddText({.text = "WWWW WWWW WWWW WWWW WWWW WWWW",
                    .x = 30,
                    .y = 40,
                    .points = 9,
                    .argb = kRed,
                    .wrapWidth = 80});
    const RECT red = BoundsOf(dialog.Background(), 0xFF0000);
    ASSERT_LT(red.left, red.right);
    EXPECT_GE(red.left, 30);
    EXPECT_LE(red.right, 111);
    EXPECT_GT(red.bottom - red.top, 30) << "several lines";
}

TEST(SkinDialog, PressInTheCaptionBandDragsTheWindow) {
    ProbeDialog dialog;
    dialog.captionHeight = 30;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    ShowOnTop(dialog);
    test::ClickAt(dialog.hwnd(), 150, 30);
    ASSERT_EQ(dialog.ncPresses.size(), 1u);
    EXPECT_EQ(dialog.ncPresses[0], static_cast<WPARAM>(HTCAPTION));
    test::ClickAt(dialog.hwnd(), 150, 31);
    EXPECT_EQ(dialog.ncPresses.size(), 1u) << "y = 31 is below the band";

    dialog.captionHeight = 0;
    test::ClickAt(dialog.hwnd(), 150, 5);
    EXPECT_EQ(dialog.ncPresses.size(), 1u) << "no band";
}

TEST(SkinDialog, CaptionDragMovesTheWindowWithTheSystemLoop) {
    ProbeDialog dialog;
    dialog.captionHeight = 30;
    dialog.keepSystemLoops = true;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    ShowOnTop(dialog);
    const RECT before = dialog.RectInParent();
    test::MoveMouseTo(dialog.hwnd(), 150, 10);
    // The move loop runs inside the press; the pointer moves from within it.
    const HWND hwnd = dialog.hwnd();
    test::RunLater(
        [hwnd] {
            test::QueueMouseMove(hwnd, 170, 40);
            test::RunLater([] { test::QueueMouseButton(false); }, 50);
        },
        50);
    test::MouseButton(true);
    test::PumpUntil([&] { return dialog.RectInParent().left != before.left; }, 3000);
    const RECT after = dialog.RectInParent();
    EXPECT_EQ(after.left - before.left, 20);
    EXPECT_EQ(after.top - before.top, 30);
}

TEST(SkinDialog, EdgesOfAResizableDialogGiveResizeCodesAndCursors) {
    ProbeDialog dialog(IDD_TEST_RESIZABLE);
    dialog.captionHeight = 30;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    ShowOnTop(dialog);
    const RECT client = dialog.ClientRect();
    struct Case {
        int x, y;
        WPARAM code;
        const char* cursor;
    };
    const Case cases[] = {
        {2, 2, HTTOPLEFT, IDC_SIZENWSE},
        {client.right - 1, 3, HTTOPRIGHT, IDC_SIZENESW},
        {client.right / 2, client.bottom - 2, HTBOTTOM, IDC_SIZENS},
        {1, client.bottom / 2, HTLEFT, IDC_SIZEWE},
        {client.right - 3, client.bottom - 3, HTBOTTOMRIGHT, IDC_SIZENWSE},
        {client.right / 2, 20, HTCAPTION, IDC_ARROW},
    };
    for (const Case& c : cases) {
        dialog.ncPresses.clear();
        test::MoveMouseTo(dialog.hwnd(), c.x, c.y);
        EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, c.cursor)) << c.x << "," << c.y;
        test::MouseButton(true);
        test::MouseButton(false);
        ASSERT_EQ(dialog.ncPresses.size(), 1u) << c.x << "," << c.y;
        EXPECT_EQ(dialog.ncPresses[0], c.code) << c.x << "," << c.y;
    }
    dialog.ncPresses.clear();
    test::ClickAt(dialog.hwnd(), client.right / 2, client.bottom / 2);
    EXPECT_TRUE(dialog.ncPresses.empty()) << "the interior neither sizes nor drags";
}

TEST(SkinDialog, DoubleClickInTheBandMaximisesAndRestores) {
    ProbeDialog dialog(IDD_TEST_RESIZABLE);
    dialog.captionHeight = 30;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    ShowOnTop(dialog);
    dialog.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 40));
    EXPECT_FALSE(::IsZoomed(dialog.hwnd())) << "below the band";
    dialog.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 10));
    EXPECT_TRUE(::IsZoomed(dialog.hwnd()));
    const RECT client = dialog.ClientRect();
    EXPECT_EQ(client.right, ::GetSystemMetrics(SM_CXSCREEN)) << "the frame lies off the screen";
    EXPECT_EQ(client.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    dialog.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 10));
    EXPECT_FALSE(::IsZoomed(dialog.hwnd()));

    ProbeDialog fixed;  // no maximise box
    fixed.captionHeight = 30;
    ASSERT_TRUE(fixed.CreateModeless(nullptr));
    fixed.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 10));
    EXPECT_FALSE(::IsZoomed(fixed.hwnd()));
}

TEST(SkinDialog, MinimumTrackingSizeNeedsBothSides) {
    ProbeDialog dialog(IDD_TEST_RESIZABLE);
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    MINMAXINFO info{};
    dialog.minTrackWidth = 250;
    dialog.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_NE(info.ptMinTrackSize.x, 250);
    dialog.minTrackHeight = 180;
    dialog.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 250);
    EXPECT_EQ(info.ptMinTrackSize.y, 180);
}

TEST(SkinDialog, RoundedCornersFollowEverySizeChange) {
    ProbeDialog square;
    ASSERT_TRUE(square.CreateModeless(nullptr));
    RegionHandle none(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(square.hwnd(), none.get()), ERROR)
        << "all corners square: a plain rectangle, no region";

    ProbeDialog dialog;
    dialog.corners = {.topLeft = 20, .topRight = 20, .bottomLeft = 0, .bottomRight = 10};
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(dialog.hwnd(), region.get()), ERROR);
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));
    EXPECT_TRUE(::PtInRegion(region.get(), 10, 10));
    EXPECT_FALSE(::PtInRegion(region.get(), 299, 0));
    EXPECT_TRUE(::PtInRegion(region.get(), 0, 199)) << "a square corner";
    EXPECT_FALSE(::PtInRegion(region.get(), 299, 199));
    EXPECT_TRUE(::PtInRegion(region.get(), 150, 0));

    dialog.Resize(250, 150);
    ::GetWindowRgn(dialog.hwnd(), region.get());
    EXPECT_FALSE(::PtInRegion(region.get(), 249, 0));
    EXPECT_FALSE(::PtInRegion(region.get(), 249, 149));
    EXPECT_TRUE(::PtInRegion(region.get(), 240, 75));
    EXPECT_FALSE(::PtInRegion(region.get(), 260, 75)) << "the region shrank with the window";
    ShowOnTop(dialog);
    test::CaptureWindow(dialog.hwnd(), "skin_dialog_rounded_corners");
}

// Runs a probe modally and gives its control a key press as the dialog's
// message loop sees one, then ends the dialog with 77 unless the key already
// ended it. The key's messages are posted: injected keyboard input under
// wine may reach the thread only after later work, which would end the
// dialog before the key arrives.
INT_PTR PressKeyOn(ProbeDialog& dialog, int control, WORD key) {
    test::RunLater([&dialog, control, key] {
        const HWND target = dialog.Item(control);
        ::SetFocus(target);
        ::PostMessageA(target, WM_KEYDOWN, key, 1);
        ::PostMessageA(target, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        dialog.Post(kEndProbe);
    });
    return dialog.DoModal(nullptr);
}

INT_PTR PressKeyOnButton(ProbeDialog& dialog, WORD key) {
    return PressKeyOn(dialog, IDC_TEST_PUSH, key);
}

TEST(SkinDialog, SpaceEscapeAndEnterOnAButtonAreFilteredAsAsked) {
    {
        ProbeDialog dialog;
        EXPECT_EQ(PressKeyOnButton(dialog, VK_ESCAPE), 77) << "Escape swallowed by default";
    }
    {
        ProbeDialog dialog;
        dialog.swallowEscape = false;
        EXPECT_EQ(PressKeyOnButton(dialog, VK_ESCAPE), IDCANCEL);
    }
    {
        ProbeDialog dialog;
        EXPECT_EQ(PressKeyOnButton(dialog, VK_SPACE), 77);
        EXPECT_TRUE(dialog.commands.empty()) << "Space swallowed by default";
    }
    {
        ProbeDialog dialog;
        dialog.swallowSpace = false;
        EXPECT_EQ(PressKeyOnButton(dialog, VK_SPACE), 77);
        EXPECT_FALSE(dialog.commands.empty());
    }
    {
        ProbeDialog dialog;
        EXPECT_EQ(PressKeyOnButton(dialog, VK_RETURN), IDOK)
            << "Enter reaches the dialog by default (its default command)";
    }
    {
        ProbeDialog dialog;
        dialog.swallowEnter = true;
        EXPECT_EQ(PressKeyOnButton(dialog, VK_RETURN), 77);
        EXPECT_TRUE(dialog.commands.empty());
    }
    {
        ProbeDialog dialog;
        dialog.swallowEscape = true;
        EXPECT_EQ(PressKeyOn(dialog, IDC_TEST_EDIT, VK_ESCAPE), IDCANCEL)
            << "only keys aimed at a button are filtered";
    }
}

TEST(SkinDialog, LayerDrawsIntoTheScreen) {
    ProbeDialog dialog;
    dialog.backgroundColor = RGB(0xEF, 0xEF, 0xEF);
    dialog.captionHeight = 30;
    dialog.corners = {.topLeft = 8, .topRight = 8, .bottomLeft = 8, .bottomRight = 8};
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    auto frame = CornerImage();
    dialog.AddRectImage({.image = frame.get(), .place = {0, 0, 300, 30}, .mode = SliceMode::Tile});
    dialog.AddImage(test::SolidStrip({kRed, kGreen, kBlue}, 20, 20), 20, 150);
    dialog.AddText(
        {.text = "\xCC\xE1\xCA\xBE left top", .x = 10, .y = 40, .points = 10, .argb = 0xFF272621});
    dialog.AddText({.text = "centre",
                    .x = 150,
                    .y = 80,
                    .points = 12,
                    .argb = 0xFF2040A0,
                    .align = kTextCentre | kTextMiddle});
    dialog.AddText({.text = "right bottom",
                    .x = 290,
                    .y = 190,
                    .points = 9,
                    .argb = 0xFFA02020,
                    .align = kTextRight | kTextBottom});
    dialog.AddText({.text = "a wrapped text in a box of 120 pixels, over several lines",
                    .x = 150,
                    .y = 110,
                    .points = 9,
                    .argb = 0xFF000000,
                    .wrapWidth = 120});
    for (int control : {IDC_TEST_PUSH, IDC_TEST_EDIT, IDC_TEST_LINK})
        ::ShowWindow(dialog.Item(control), SW_HIDE);
    ShowOnTop(dialog);
    EXPECT_EQ(test::Rgb(test::ScreenPixel(dialog.hwnd(), 25, 155)), 0xFF0000u);
    EXPECT_EQ(test::Rgb(test::ScreenPixel(dialog.hwnd(), 150, 60)), 0xEFEFEFu);
    test::CaptureWindow(dialog.hwnd(), "skin_dialog_layer_images_and_texts");
}

}  // namespace
}  // namespace vt::ui
