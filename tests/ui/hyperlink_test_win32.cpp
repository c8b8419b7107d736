#include "ui/hyperlink.h"

#include <gtest/gtest.h>

#include "skin_test_support_win32.h"
#include "support/gui_win32.h"
#include "test_dialogs.h"
#include "ui/skin_dialog.h"

namespace vt::ui {
namespace {

using test::Rgb;

constexpr COLORREF kNormal = RGB(0, 0, 0xFF), kHover = RGB(0, 0xA0, 0);
constexpr COLORREF kPressed = RGB(0xFF, 0x55, 0x18);

// A skinned dialog with its static text bound to a link; it counts the
// commands the link sends.
class LinkDialog : public CSkinDialog {
  public:
    LinkDialog() : CSkinDialog(IDD_TEST_PLAIN) { backgroundColor = RGB(0xF4, 0xE8, 0xD0); }
    CHyperlink link;
    int linkCommands = 0;
    HWND lastSender = nullptr;

  protected:
    bool OnInitDialog() override {
        CSkinDialog::OnInitDialog();
        Resize(300, 200);
        link.notifyParent = true;
        link.colorNormal = kNormal;
        link.colorHover = kHover;
        link.colorPressed = kPressed;
        link.cursor = ::LoadCursorA(nullptr, IDC_HAND);
        link.AttachItem(hwnd(), IDC_TEST_LINK);
        link.SetText("WWW link");
        link.Place(150, 120, 90, 20);  // clear of the template's other controls
        return true;
    }
    bool OnCommand(int id, int code, HWND control) override {
        if (id == IDC_TEST_LINK) {
            ++linkCommands;
            lastSender = control;
            EXPECT_EQ(code, 0);
            return true;
        }
        return CSkinDialog::OnCommand(id, code, control);
    }
};

class HyperlinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.CreateModeless(nullptr));
        dialog.MoveTo(60, 60);
        ::SetWindowPos(dialog.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        test::PumpPending();
    }
    void TearDown() override {
        test::MouseButton(false);
        test::MoveMouseTo(dialog.hwnd(), 5, 5);
    }
    // How many pixels of the link show a colour.
    int PixelsOf(COLORREF colour) {
        test::PumpPending();
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 90; ++x)
                count += test::ScreenPixel(dialog.link.hwnd(), x, y) == colour;
        return count;
    }
    // The lowest row of the link holding a colour, or -1.
    int LowestRowOf(COLORREF colour) {
        test::PumpPending();
        for (int y = 19; y >= 0; --y)
            for (int x = 0; x < 90; ++x)
                if (test::ScreenPixel(dialog.link.hwnd(), x, y) == colour)
                    return y;
        return -1;
    }

    LinkDialog dialog;
};

TEST_F(HyperlinkTest, ColoursFollowHoverAndPressOverTheParentsBackground) {
    EXPECT_GT(PixelsOf(kNormal), 10);
    EXPECT_EQ(Rgb(test::ScreenPixel(dialog.link.hwnd(), 88, 1)), 0xF4E8D0u)
        << "the parent's background shows around the text";
    test::MoveMouseTo(dialog.link.hwnd(), 10, 10);
    EXPECT_TRUE(dialog.link.Hovering());
    EXPECT_GT(PixelsOf(kHover), 10);
    EXPECT_EQ(PixelsOf(kNormal), 0);
    EXPECT_EQ(::GetCursor(), ::LoadCursorA(nullptr, IDC_HAND));
    test::MouseButton(true);
    EXPECT_TRUE(dialog.link.Pressed());
    EXPECT_GT(PixelsOf(kPressed), 10);
    test::MouseButton(false);
    test::MoveMouseTo(dialog.hwnd(), 5, 5);
    EXPECT_TRUE(test::PumpUntil([&] { return !dialog.link.Hovering(); }));
    EXPECT_GT(PixelsOf(kNormal), 10);
}

TEST_F(HyperlinkTest, HoverFontIsUnderlinedAsAsked) {
    const int plain = LowestRowOf(kNormal);
    test::MoveMouseTo(dialog.link.hwnd(), 10, 10);
    const int underlined = LowestRowOf(kHover);
    EXPECT_GT(underlined, plain) << "the underline lies below the letters";

    dialog.link.SetUnderline(true, true);
    test::MoveMouseTo(dialog.hwnd(), 5, 5);
    ASSERT_TRUE(test::PumpUntil([&] { return !dialog.link.Hovering(); }));
    EXPECT_EQ(LowestRowOf(kNormal), underlined) << "both states underlined";
}

TEST_F(HyperlinkTest, ClickNotifiesTheParentOnceAndOnlyWhenReleasedOverTheLink) {
    test::ClickAt(dialog.link.hwnd(), 10, 10);
    test::PumpPending();
    EXPECT_EQ(dialog.linkCommands, 1);
    EXPECT_EQ(dialog.lastSender, dialog.link.hwnd());

    test::MoveMouseTo(dialog.link.hwnd(), 10, 10);
    test::MouseButton(true);
    EXPECT_EQ(::GetCapture(), dialog.link.hwnd());
    test::MoveMouseTo(dialog.hwnd(), 5, 5);
    test::MouseButton(false);
    test::PumpPending();
    EXPECT_EQ(dialog.linkCommands, 1) << "released outside";
    EXPECT_FALSE(dialog.link.Pressed());
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(HyperlinkTest, LinkInEachState) {
    dialog.AddText(
        {.text = "normal, hovered and pressed links", .x = 10, .y = 10, .argb = 0xFF272621});
    CHyperlink hovered, pressed;
    const auto place = [&](CHyperlink& link, int y) {
        HWND label = ::CreateWindowExA(0, "STATIC", "WWW link", WS_CHILD | WS_VISIBLE, 150, y, 90,
                                       20, dialog.hwnd(), nullptr, nullptr, nullptr);
        ::SendMessageA(label, WM_SETFONT, dialog.Send(WM_GETFONT), FALSE);
        link.colorNormal = kNormal;
        link.colorHover = kHover;
        link.colorPressed = kPressed;
        link.Attach(label);
    };
    for (int control : {IDC_TEST_PUSH, IDC_TEST_EDIT})
        ::ShowWindow(dialog.Item(control), SW_HIDE);
    place(hovered, 145);
    place(pressed, 170);
    test::MoveMouseTo(hovered.hwnd(), 10, 10);
    // One pointer cannot hover one link and hold another down.
    pressed.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ASSERT_TRUE(pressed.Pressed());
    test::CaptureWindow(dialog.hwnd(), "hyperlink_states");
    ::ReleaseCapture();
}

}  // namespace
}  // namespace vt::ui
