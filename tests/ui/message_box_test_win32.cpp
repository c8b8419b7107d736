#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "resource.h"
#include "support/gui_win32.h"

namespace vt::ui {
namespace {

// The message boxes open on this thread, in the order they were opened.
std::vector<CMsgBoxDlg*> OpenBoxes() {
    std::vector<CMsgBoxDlg*> boxes;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) -> BOOL {
            if (auto* box = dynamic_cast<CMsgBoxDlg*>(Wnd::FromHandle(hwnd)))
                reinterpret_cast<std::vector<CMsgBoxDlg*>*>(found)->push_back(box);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&boxes));
    // Top-level windows are listed from the top of the Z order down.
    return std::vector<CMsgBoxDlg*>(boxes.rbegin(), boxes.rend());
}

// Runs work on the newest box once it is open and shown (from inside its
// modal loop). A box still open 10 seconds later failed its test: it is
// closed with a result no button gives, so the test ends instead of hanging.
void WithBox(std::function<void(CMsgBoxDlg&)> work, size_t boxesBefore = 0) {
    test::RunLater([work = std::move(work), boxesBefore]() mutable {
        const auto boxes = OpenBoxes();
        if (boxes.size() <= boxesBefore || !boxes.back()->IsVisible()) {
            WithBox(std::move(work), boxesBefore);  // not shown yet: look again
            return;
        }
        CMsgBoxDlg& box = *boxes.back();
        const HWND hwnd = box.hwnd();
        test::RunLater(
            [hwnd] {
                if (::IsWindow(hwnd))
                    ::EndDialog(hwnd, 99);
            },
            10000);
        work(box);
    });
}

// Clicks a button of a box with real input, from inside the box's loop.
void ClickButton(CSkinButtonEx& button) {
    ::SetForegroundWindow(::GetAncestor(button.hwnd(), GA_ROOT));
    const RECT client = button.ClientRect();
    test::QueueMouseMove(button.hwnd(), client.right / 2, client.bottom / 2);
    test::QueueMouseButton(true);
    test::QueueMouseButton(false);
}

TEST(MsgBox, OneButtonBoxWithTheDefaultTitleEndsWithOk) {
    std::string title, okText;
    bool cancelShown = true, topMost = false;
    RECT window{};
    WithBox([&](CMsgBoxDlg& box) {
        title = box.title;
        okText = box.OkButton().Text();
        cancelShown = box.CancelButton().IsVisible();
        topMost = (::GetWindowLongA(box.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        ::GetWindowRect(box.hwnd(), &window);
        ClickButton(box.OkButton());
    });
    EXPECT_EQ(ShowMessage("\xC4\xFA\xBA\xC3"), kBoxOk);  // 您好
    EXPECT_EQ(title, LoadText(130)) << "提示";
    EXPECT_EQ(okText, LoadText(134)) << "确定";
    EXPECT_FALSE(cancelShown);
    EXPECT_TRUE(topMost);
    EXPECT_EQ(window.right - window.left, 347);
    EXPECT_EQ(window.bottom - window.top, 211);
}

TEST(MsgBox, CloseButtonGivesCancel) {
    WithBox([](CMsgBoxDlg& box) { ClickButton(box.CloseButton()); });
    EXPECT_EQ(ShowMessage("text", "title"), kBoxCancel);
}

TEST(MsgBox, ConfirmationNamesItsButtonsAndTellsWhichWasPressed) {
    std::string okText, cancelText;
    WithBox([&](CMsgBoxDlg& box) {
        okText = box.OkButton().Text();
        cancelText = box.CancelButton().Text();
        EXPECT_TRUE(box.CancelButton().IsVisible());
        ClickButton(box.CancelButton());
    });
    EXPECT_EQ(AskConfirm(LoadText(124), LoadText(130).c_str(), "", LoadText(123)), kBoxCancel);
    EXPECT_EQ(okText, LoadText(134)) << "an empty OK text is 确定";
    EXPECT_EQ(cancelText, LoadText(123));

    WithBox([&](CMsgBoxDlg& box) { ClickButton(box.OkButton()); });
    EXPECT_EQ(AskConfirm("?", nullptr, LoadText(122), LoadText(123)), kBoxOk);
}

TEST(MsgBox, EachFunctionRefusesASecondBoxOfItsOwnButNotOfTheOthers) {
    int nestedMessage = -1, nestedConfirm = -1, nestedOver = -1;
    size_t boxesWhileNested = 0;
    WithBox([&](CMsgBoxDlg& first) {
        nestedMessage = ShowMessage("second");  // refused at once
        // An AskConfirm may open over it; inside it, ShowMessageOver too.
        WithBox(
            [&](CMsgBoxDlg& confirm) {
                nestedConfirm = AskConfirm("again", nullptr, "", "");
                WithBox(
                    [&](CMsgBoxDlg& over) {
                        boxesWhileNested = OpenBoxes().size();
                        ClickButton(over.OkButton());
                    },
                    2);
                nestedOver = ShowMessageOver(confirm.hwnd(), "over");
                ClickButton(confirm.OkButton());
            },
            1);
        EXPECT_EQ(AskConfirm("confirm", nullptr, "", ""), kBoxOk);
        ClickButton(first.OkButton());
    });
    EXPECT_EQ(ShowMessage("first"), kBoxOk);
    EXPECT_EQ(nestedMessage, kBoxRefused);
    EXPECT_EQ(nestedConfirm, kBoxRefused);
    EXPECT_EQ(nestedOver, kBoxOk);
    EXPECT_EQ(boxesWhileNested, 3u);
    // Guards are cleared when their boxes close.
    WithBox([](CMsgBoxDlg& box) { ClickButton(box.OkButton()); });
    EXPECT_EQ(ShowMessage("later"), kBoxOk);
}

TEST(MsgBox, BoxOverAParentIsOwnedByIt) {
    Wnd parent;
    ASSERT_TRUE(parent.Create(
        {.style = WS_POPUP | WS_VISIBLE, .x = 100, .y = 100, .width = 600, .height = 400}));
    HWND owner = nullptr;
    RECT place{};
    WithBox([&](CMsgBoxDlg& box) {
        owner = ::GetWindow(box.hwnd(), GW_OWNER);
        ::GetWindowRect(box.hwnd(), &place);
        ClickButton(box.OkButton());
    });
    EXPECT_EQ(ShowMessageOver(parent.hwnd(), "over the parent"), kBoxOk);
    EXPECT_EQ(owner, parent.hwnd());
    EXPECT_EQ(place.left, 100 + (600 - 347) / 2) << "centred over its owner";
}

TEST(MsgBox, EscapeOnAButtonDoesNotCloseTheBox) {
    bool openAfterEscape = false;
    WithBox([&](CMsgBoxDlg& box) {
        ::SetFocus(box.OkButton().hwnd());
        ::PostMessageA(box.OkButton().hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
        ::PostMessageA(box.OkButton().hwnd(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
        test::RunLater([&openAfterEscape, &box] {
            openAfterEscape = box.hwnd() != nullptr;
            ClickButton(box.OkButton());
        });
    });
    EXPECT_EQ(ShowMessage("escape"), kBoxOk);
    EXPECT_TRUE(openAfterEscape);
}

TEST(MsgBox, BoxesAsTheyLook) {
    WithBox([](CMsgBoxDlg& box) {
        test::CaptureWindow(box.hwnd(), "message_box_one_button");
        ClickButton(box.OkButton());
    });
    ShowMessage(LoadText(133));  // 您的游戏路径错误，请重新选择《Vael》游戏路径
    WithBox([](CMsgBoxDlg& box) {
        const RECT client = box.CancelButton().ClientRect();
        test::QueueMouseMove(box.CancelButton().hwnd(), client.right / 2, client.bottom / 2);
        test::RunLater([&box] {
            test::CaptureWindow(box.hwnd(), "message_box_confirm_cancel_hovered");
            ClickButton(box.CancelButton());
        });
    });
    AskConfirm(LoadText(124), LoadText(130).c_str(), LoadText(122), LoadText(123));
}

}  // namespace
}  // namespace vt::ui
