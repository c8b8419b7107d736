#include "ui/skin_button.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

#include <commctrl.h>

#include "skin_test_support_win32.h"
#include "support/gui_win32.h"
#include "test_dialogs.h"
#include "ui/skin_dialog.h"

namespace vt::ui {
namespace {

using test::PixelOf;
using test::Rgb;

// Faces of the test strips: normal, hover, pressed, disabled, flash.
constexpr uint32_t kNormal = 0xFFC00000, kHover = 0xFF00C000, kPressed = 0xFF0000C0;
constexpr uint32_t kDisabled = 0xFF808080, kFlash = 0xFFC0C000;
constexpr UINT kClickBase = WM_APP + 10;

// The buttons dialog: every control a skin button with a four-slice strip of
// 20 x 20 slices; each button posts its own click message.
class ButtonDialog : public CSkinDialog {
  public:
    static constexpr std::array<int, 8> kIds = {
        IDC_TEST_RADIO_A1, IDC_TEST_RADIO_A2, IDC_TEST_RADIO_A3, IDC_TEST_RADIO_B1,
        IDC_TEST_RADIO_B2, IDC_TEST_CHECK,    IDC_TEST_PUSH,     IDC_TEST_PUSH_2};

    ButtonDialog() : CSkinDialog(IDD_TEST_BUTTONS) { backgroundColor = RGB(0xF0, 0xF0, 0xF0); }
    std::map<int, CSkinButtonEx> buttons;
    std::map<int, int> clicks;    // by control id
    std::map<int, int> commands;  // BN_CLICKED by control id

    CSkinButtonEx& operator[](int id) { return buttons[id]; }

  protected:
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Resize(400, 200);
        for (size_t i = 0; i < kIds.size(); ++i) {
            CSkinButtonEx& button = buttons[kIds[i]];
            button.AttachItem(hwnd(), kIds[i]);
            button.SetSkin(test::SolidStrip({kNormal, kHover, kPressed, kDisabled}, 20, 20), 4);
            button.clickMessage = kClickBase + static_cast<UINT>(i);
            button.SetText("");  // the faces carry the labels
        }
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (code == BN_CLICKED)
            ++commands[id];
        return CSkinDialog::OnCommand(id, code, control);
    }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message >= kClickBase && message < kClickBase + kIds.size()) {
            ++clicks[kIds[message - kClickBase]];
            return 0;
        }
        return CSkinDialog::WndProc(message, wParam, lParam);
    }
};

class SkinButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        dialog.MoveTo(50, 50);
        ::SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(dialog.hwnd());
        test::PumpPending();
    }
    void TearDown() override {
        test::MouseButton(false);
        test::MoveMouseTo(dialog.hwnd(), 390, 190);
    }
    // The face colour on screen at the middle of a button.
    uint32_t Face(int id) {
        test::PumpPending();
        return Rgb(test::ScreenPixel(dialog[id].hwnd(), 10, 10));
    }
    void PointAt(int id, int x = 10, int y = 10) {
        const RECT place = dialog[id].RectInParent();
        test::MoveMouseTo(dialog.hwnd(), place.left + x, place.top + y);
    }
    void ClickOn(int id) {
        PointAt(id);
        test::MouseButton(true);
        test::MouseButton(false);
    }

    ButtonDialog dialog;
};

TEST_F(SkinButtonTest, AttachedButtonsTakeTheirKindAndFitTheirSlice) {
    EXPECT_EQ(dialog[IDC_TEST_RADIO_A1].Kind(), CSkinButtonEx::kRadioButton);
    EXPECT_EQ(dialog[IDC_TEST_CHECK].Kind(), CSkinButtonEx::kCheckBox);
    EXPECT_EQ(dialog[IDC_TEST_PUSH].Kind(), CSkinButtonEx::kPushButton);
    for (int id : ButtonDialog::kIds) {
        EXPECT_EQ(::GetWindowLongA(dialog[id].hwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
        const RECT client = dialog[id].ClientRect();
        EXPECT_EQ(client.right, 20);
        EXPECT_EQ(client.bottom, 20);
    }
    const RECT before = dialog[IDC_TEST_PUSH].RectInParent();
    dialog[IDC_TEST_PUSH].SetSkin(test::SolidStrip({kNormal, kHover, kPressed}, 30, 12), 3);
    const RECT after = dialog[IDC_TEST_PUSH].RectInParent();
    EXPECT_EQ(after.left, before.left) << "fitting does not move the button";
    EXPECT_EQ(after.right - after.left, 30);
    EXPECT_EQ(after.bottom - after.top, 12);
    EXPECT_FALSE(dialog[IDC_TEST_PUSH].LoadSkin(99999, "PNG", 4)) << "a missing resource";
    EXPECT_EQ(dialog[IDC_TEST_PUSH].Strip().stateCount, 0);
}

TEST_F(SkinButtonTest, FacesFollowHoverPressAndDisable) {
    const int id = IDC_TEST_PUSH;
    EXPECT_EQ(Face(id), Rgb(RGB(0xC0, 0, 0)));
    PointAt(id);
    EXPECT_TRUE(dialog[id].Hovering());
    EXPECT_EQ(Face(id), 0x00C000u);
    test::MouseButton(true);
    EXPECT_TRUE(dialog[id].Pressed());
    EXPECT_FALSE(dialog[id].Hovering()) << "a press ends the hover";
    EXPECT_EQ(Face(id), 0x0000C0u);
    test::MouseButton(false);
    EXPECT_FALSE(dialog[id].Pressed());
    test::MoveMouseTo(dialog.hwnd(), 390, 190);
    EXPECT_TRUE(test::PumpUntil([&] { return !dialog[id].Hovering(); })) << "the pointer left";
    EXPECT_EQ(Face(id), 0xC00000u);
    dialog[id].Enable(false);
    EXPECT_EQ(Face(id), 0x808080u);
}

TEST_F(SkinButtonTest, ClickComesOnReleaseOverTheButtonOnly) {
    const int id = IDC_TEST_PUSH;
    ClickOn(id);
    test::PumpPending();
    EXPECT_EQ(dialog.clicks[id], 1);
    EXPECT_EQ(dialog.commands[id], 1) << "the parent also hears the system's click";

    // Pressed on the button, released outside: no click.
    PointAt(id);
    test::MouseButton(true);
    PointAt(IDC_TEST_PUSH_2);
    EXPECT_EQ(Face(id), 0xC00000u) << "the pushed look follows the pointer out";
    EXPECT_EQ(dialog[id].Send(BM_GETSTATE) & BST_PUSHED, 0u);
    PointAt(id, 15, 15);
    EXPECT_EQ(Face(id), 0x0000C0u) << "and back in";
    PointAt(IDC_TEST_PUSH_2);
    test::MouseButton(false);
    test::PumpPending();
    EXPECT_EQ(dialog.clicks[id], 1);
    EXPECT_EQ(dialog.commands[id], 1);
    EXPECT_EQ(dialog.clicks[IDC_TEST_PUSH_2], 0);
}

TEST_F(SkinButtonTest, ClickTimingOnDownAndOnEnter) {
    CSkinButtonEx& onDown = dialog[IDC_TEST_PUSH];
    onDown.clickTiming = CSkinButtonEx::kClickOnDown;
    PointAt(IDC_TEST_PUSH);
    test::MouseButton(true);
    test::PumpPending();
    EXPECT_EQ(dialog.clicks[IDC_TEST_PUSH], 1) << "on the press";
    test::MouseButton(false);
    test::PumpPending();
    EXPECT_EQ(dialog.clicks[IDC_TEST_PUSH], 1) << "not again on the release";

    dialog[IDC_TEST_PUSH_2].clickTiming = CSkinButtonEx::kClickOnEnter;
    PointAt(IDC_TEST_PUSH_2);
    test::PumpPending();
    EXPECT_EQ(dialog.clicks[IDC_TEST_PUSH_2], 1) << "on entering";
    PointAt(IDC_TEST_PUSH_2, 12, 12);
    test::PumpPending();
    EXPECT_EQ(dialog.clicks[IDC_TEST_PUSH_2], 1) << "moving within is no new entry";
}

TEST_F(SkinButtonTest, CheckBoxTogglesAndShowsThePressedFaceWhileChecked) {
    const int id = IDC_TEST_CHECK;
    ClickOn(id);
    EXPECT_EQ(dialog[id].Send(BM_GETCHECK), BST_CHECKED);
    test::MoveMouseTo(dialog.hwnd(), 390, 190);
    EXPECT_EQ(Face(id), 0x0000C0u) << "checked, not hovered: the pressed slice";
    ClickOn(id);
    EXPECT_EQ(dialog[id].Send(BM_GETCHECK), BST_UNCHECKED);
    // Space toggles too.
    ::SetFocus(dialog[id].hwnd());
    dialog[id].Send(WM_KEYDOWN, VK_SPACE, 1);
    EXPECT_EQ(dialog[id].Send(BM_GETCHECK), BST_CHECKED);
}

TEST_F(SkinButtonTest, PushButtonNeverStaysChecked) {
    dialog[IDC_TEST_PUSH].Send(BM_SETCHECK, BST_CHECKED);
    EXPECT_EQ(dialog[IDC_TEST_PUSH].Send(BM_GETCHECK), BST_UNCHECKED);
}

TEST_F(SkinButtonTest, CheckingARadioUnchecksTheRestOfItsGroupOnly) {
    dialog[IDC_TEST_RADIO_A1].Send(BM_SETCHECK, BST_CHECKED);
    dialog[IDC_TEST_RADIO_B1].Send(BM_SETCHECK, BST_CHECKED);
    dialog[IDC_TEST_CHECK].Send(BM_SETCHECK, BST_CHECKED);
    test::PumpPending();
    ClickOn(IDC_TEST_RADIO_A3);
    test::PumpPending();
    EXPECT_EQ(dialog[IDC_TEST_RADIO_A3].Send(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(dialog[IDC_TEST_RADIO_A1].Send(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(dialog[IDC_TEST_RADIO_A2].Send(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(dialog[IDC_TEST_RADIO_B1].Send(BM_GETCHECK), BST_CHECKED) << "another group";
    EXPECT_EQ(dialog[IDC_TEST_CHECK].Send(BM_GETCHECK), BST_CHECKED) << "outside the group";

    // From the middle of a group, both ways.
    dialog[IDC_TEST_RADIO_A2].Send(BM_SETCHECK, BST_CHECKED);
    test::PumpPending();
    EXPECT_EQ(dialog[IDC_TEST_RADIO_A3].Send(BM_GETCHECK), BST_UNCHECKED);
    dialog[IDC_TEST_RADIO_B2].Send(BM_SETCHECK, BST_CHECKED);
    test::PumpPending();
    EXPECT_EQ(dialog[IDC_TEST_RADIO_B1].Send(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(dialog[IDC_TEST_RADIO_A2].Send(BM_GETCHECK), BST_CHECKED);
}

TEST_F(SkinButtonTest, LosingTheFocusEndsAPress) {
    PointAt(IDC_TEST_PUSH);
    test::MouseButton(true);
    EXPECT_EQ(::GetCapture(), dialog[IDC_TEST_PUSH].hwnd());
    ::SetFocus(dialog[IDC_TEST_PUSH_2].hwnd());
    EXPECT_FALSE(dialog[IDC_TEST_PUSH].Pressed());
    EXPECT_NE(::GetCapture(), dialog[IDC_TEST_PUSH].hwnd());
}

TEST_F(SkinButtonTest, CursorAndTooltip) {
    HCURSOR hand = ::LoadCursorA(nullptr, IDC_HAND);
    dialog[IDC_TEST_PUSH].cursor = hand;
    dialog[IDC_TEST_PUSH].SetTooltip("tip");
    PointAt(IDC_TEST_PUSH);
    EXPECT_EQ(::GetCursor(), hand);
    char text[16] = {};
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog[IDC_TEST_PUSH].hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(tool.hwnd);
    tool.lpszText = text;
    HWND tip = nullptr;
    for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = ::GetWindow(window, GW_HWNDNEXT)) {
        char name[32] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (std::string(name) == TOOLTIPS_CLASSA && ::GetWindow(window, GW_OWNER) == dialog.hwnd())
            tip = window;
    }
    ASSERT_NE(tip, nullptr);
    ::SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "tip");
}

// Draws a face of a button into a canvas without the parent behind.
uint32_t DrawnFace(CSkinButtonEx& button, int state, int x = 10, int y = 10) {
    ClientDc screen(nullptr);
    Canvas canvas(screen.get(), 40, 40);
    RECT all{0, 0, 40, 40};
    ::FillRect(canvas.dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    button.DrawFace(canvas.dc(), state, false);
    return PixelOf(canvas, x, y);
}

TEST_F(SkinButtonTest, SingleImageIsLightenedShiftedAndGreyed) {
    CSkinButtonEx& button = dialog[IDC_TEST_PUSH];
    button.SetSkin(test::SolidStrip({0xFF808080}, 20, 20), 1);
    button.pressOffsetX = 3;
    button.pressOffsetY = 2;
    EXPECT_EQ(DrawnFace(button, kFaceNormal), 0x808080u);
    const uint32_t lighter = DrawnFace(button, kFaceHover);
    EXPECT_NEAR(static_cast<int>(lighter >> 16), 147, 2) << "128 x 1.05 + 0.05 x 255";
    EXPECT_EQ(lighter & 0xFF, lighter >> 16);
    EXPECT_EQ(DrawnFace(button, kFacePressed, 1, 1), 0xFFFFFFu) << "shifted right and down";
    EXPECT_EQ(DrawnFace(button, kFacePressed, 4, 3), 0x808080u);

    button.SetSkin(test::SolidStrip({0xFFFF0000}, 20, 20), 1);
    const uint32_t grey = DrawnFace(button, kFaceDisabled);
    EXPECT_NEAR(static_cast<int>(grey >> 16), 76, 2) << "0.3 x 255";
    EXPECT_EQ(grey & 0xFF, grey >> 16);
}

TEST_F(SkinButtonTest, MissingStateCountDrawsTheWholeImage) {
    CSkinButtonEx& button = dialog[IDC_TEST_PUSH];
    EXPECT_TRUE(button.SetSkin(test::SolidStrip({kNormal, kHover}, 10, 20), 0));
    EXPECT_EQ(button.Strip().sliceWidth, 20);
    EXPECT_EQ(DrawnFace(button, kFaceNormal, 5, 5), 0xC00000u);
    EXPECT_EQ(DrawnFace(button, kFaceNormal, 15, 5), 0x00C000u);
}

TEST_F(SkinButtonTest, FlashMessageDrawsTheAskedFaceWithoutTheParent) {
    CSkinButtonEx& button = dialog[IDC_TEST_PUSH];
    const UINT flash = RegisteredMessage(kSkinFlashButtonMessage);
    ClientDc screen(nullptr);
    Canvas canvas(screen.get(), 20, 20);
    const auto faceOf = [&](int state) {
        RECT all{0, 0, 20, 20};
        ::FillRect(canvas.dc(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        const LRESULT drawn = button.Send(flash, reinterpret_cast<WPARAM>(canvas.dc()), state);
        return std::make_pair(drawn, PixelOf(canvas, 10, 10));
    };
    EXPECT_EQ(faceOf(kFaceFlash).first, 0) << "no flash frame: ignored";
    EXPECT_EQ(faceOf(kFaceFlash).second, 0xFFFFFFu);

    button.SetSkin(test::SolidStrip({kNormal, kHover, kPressed, kDisabled, kFlash}, 20, 20), 5,
                   true, false, true);
    EXPECT_EQ(faceOf(kFaceFlash), std::make_pair(LRESULT{1}, 0xC0C000u));
    EXPECT_EQ(faceOf(kFaceDisabled).second, 0x808080u);
    EXPECT_EQ(faceOf(4).second, 0xC00000u) << "state 4 falls back to slice 0";
    EXPECT_EQ(faceOf(-1).first, 0) << "negative states are ignored";
}

TEST_F(SkinButtonTest, FlashingAlternatesTheFlashFrameUntilPressed) {
    CSkinButtonEx& button = dialog[IDC_TEST_PUSH];
    EXPECT_FALSE(button.StartFlash(10)) << "no flash frame";
    button.SetSkin(test::SolidStrip({kNormal, kHover, kPressed, kDisabled, kFlash}, 20, 20), 5,
                   true, false, true);
    ASSERT_TRUE(button.StartFlash(10));
    EXPECT_TRUE(test::PumpUntil([&] { return Face(IDC_TEST_PUSH) == 0xC0C000u; }));
    EXPECT_TRUE(test::PumpUntil([&] { return Face(IDC_TEST_PUSH) == 0xC00000u; }));
    PointAt(IDC_TEST_PUSH);
    test::MouseButton(true);
    EXPECT_FALSE(button.IsFlashing()) << "a press stops the flashing";
    test::MouseButton(false);
}

TEST_F(SkinButtonTest, ParentPixelsShowThroughTransparentFaces) {
    dialog.backgroundColor = RGB(0x20, 0x40, 0x60);
    dialog.Invalidate();
    // A button made now takes its snapshot of the parent on its first paint.
    CSkinButtonEx button;
    ASSERT_TRUE(button.Create(dialog.hwnd(), 990, "", 300, 100, 40, 40));
    char name[32] = {};
    ::GetClassNameA(button.hwnd(), name, sizeof name);
    EXPECT_STREQ(name, "CSkinButtonEx");
    auto image = test::SolidStrip({0x00000000}, 20, 20);
    test::FillImage(*image, 5, 5, 10, 10, kNormal);
    button.SetSkin(std::move(image), 1);
    test::PumpPending();
    EXPECT_EQ(Rgb(test::ScreenPixel(button.hwnd(), 2, 2)), 0x204060u);
    EXPECT_EQ(Rgb(test::ScreenPixel(button.hwnd(), 10, 10)), 0xC00000u);
    EXPECT_EQ(Rgb(test::ScreenPixel(button.hwnd(), 30, 30)), 0x204060u)
        << "the slice is stretched over the whole button";
}

TEST_F(SkinButtonTest, ShapeToImageClipsTheButtonToItsOpaquePixels) {
    CSkinButtonEx& button = dialog[IDC_TEST_PUSH_2];
    auto image = test::SolidStrip({0x00000000, 0x00000000}, 20, 20);
    test::FillImage(*image, 5, 0, 10, 20, kNormal);
    test::FillImage(*image, 20, 0, 20, 20, kHover);
    button.SetSkin(std::move(image), 2, true, true);
    RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(button.hwnd(), region.get()), ERROR);
    EXPECT_FALSE(::PtInRegion(region.get(), 2, 10));
    EXPECT_TRUE(::PtInRegion(region.get(), 7, 10));
    EXPECT_FALSE(::PtInRegion(region.get(), 17, 10)) << "only the first slice's shape";
}

TEST_F(SkinButtonTest, CaptionsPerStateOrTheWindowText) {
    CSkinButtonEx& button = dialog[IDC_TEST_PUSH_2];
    button.SetSkin(test::SolidStrip({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, 60, 24), 4);
    button.SetText("WWW");
    button.textColor = RGB(0, 0, 0xFF);
    const auto colourCount = [&](int state, uint32_t rgb) {
        ClientDc screen(nullptr);
        Canvas canvas(screen.get(), 60, 24);
        button.DrawFace(canvas.dc(), state, false);
        int count = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 60; ++x)
                count += PixelOf(canvas, x, y) == rgb;
        return count;
    };
    EXPECT_GT(colourCount(kFaceNormal, 0x0000FF), 10) << "the window text";
    button.SetStateCaption(kFaceHover, {.text = "HH", .points = 12, .color = RGB(0xFF, 0, 0)});
    EXPECT_GT(colourCount(kFaceHover, 0xFF0000), 10);
    EXPECT_EQ(colourCount(kFaceHover, 0x0000FF), 0);
    EXPECT_GT(colourCount(kFaceNormal, 0x0000FF), 10) << "other states keep the window text";
}

TEST_F(SkinButtonTest, ButtonsInEachState) {
    // A row of buttons with a readable strip, each put in one state.
    const auto strip = [] {
        auto image = test::SolidStrip({0xFF3A78C2, 0xFF5B9BE6, 0xFF24508A, 0xFFB8B8B8}, 64, 26);
        for (int slice = 0; slice < 4; ++slice) {
            test::FillImage(*image, slice * 64, 0, 64, 2, 0xFF1C3C66);
            test::FillImage(*image, slice * 64, 24, 64, 2, 0xFF1C3C66);
        }
        return image;
    };
    const char* const names[] = {"A1", "A2", "A3", "B1", "B2", "check", "push", "push2"};
    for (size_t i = 0; i < ButtonDialog::kIds.size(); ++i) {
        CSkinButtonEx& button = dialog[ButtonDialog::kIds[i]];
        button.SetSkin(strip(), 4);
        button.textColor = RGB(0xFF, 0xFF, 0xFF);
        button.SetText(names[i]);
        button.MoveTo(10 + static_cast<int>(i % 4) * 90, 20 + static_cast<int>(i / 4) * 50);
    }
    dialog[IDC_TEST_RADIO_A2].Send(BM_SETCHECK, BST_CHECKED);
    dialog[IDC_TEST_CHECK].Send(BM_SETCHECK, BST_CHECKED);
    dialog[IDC_TEST_RADIO_B2].Enable(false);
    dialog[IDC_TEST_PUSH_2].Send(BM_SETSTATE, TRUE);
    dialog.AddText(
        {.text = "radio A1, A2 checked, A3; radio B1", .x = 10, .y = 4, .argb = 0xFF202020});
    dialog.AddText({.text = "B2 disabled, box checked, push hovered, push2 pushed",
                    .x = 10,
                    .y = 150,
                    .argb = 0xFF202020});
    dialog[IDC_TEST_PUSH].SetStateCaption(
        kFaceHover, {.text = "hover!", .bold = true, .color = RGB(0xFF, 0xF0, 0x80)});
    dialog.Invalidate();
    PointAt(IDC_TEST_PUSH);
    test::CaptureWindow(dialog.hwnd(), "skin_button_states");
}

}  // namespace
}  // namespace vt::ui
