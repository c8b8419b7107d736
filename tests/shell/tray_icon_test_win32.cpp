#include "shell/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "shell/main_commands.h"
#include "shell/popup_menu.h"
#include "support/gui_win32.h"
#include "ui/wnd.h"

namespace vt::shell {
namespace {

// What the icon asked of the notification area.
struct NotifyCall {
    DWORD operation;
    NOTIFYICONDATAA data;
};

class TrayIconTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = CTrayIcon::SetNotifier([this](DWORD operation, NOTIFYICONDATAA& data) {
            calls_.push_back({operation, data});
            return TRUE;
        });
    }
    void TearDown() override { CTrayIcon::SetNotifier(previous_); }

    std::vector<NotifyCall> calls_;
    CTrayIcon::Notifier previous_;
};

TEST_F(TrayIconTest, AddsChangesAndRemovesItsIcon) {
    {
        CTrayIcon icon(ui::LoadText(107), IDI_PROGRAM, nullptr, true);
        ASSERT_EQ(calls_.size(), 1u);
        const NOTIFYICONDATAA& added = calls_[0].data;
        EXPECT_EQ(calls_[0].operation, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
        EXPECT_EQ(added.hWnd, CTrayIcon::MessageWindow());
        EXPECT_NE(added.hWnd, nullptr);
        EXPECT_EQ(added.uID, static_cast<UINT>(IDI_PROGRAM));
        EXPECT_EQ(added.uCallbackMessage, CTrayIcon::TrayMessage());
        EXPECT_EQ(added.uCallbackMessage, ::RegisterWindowMessageA("TrayIconMessage"));
        EXPECT_NE(added.hIcon, nullptr);
        EXPECT_EQ(std::string(added.szTip), ui::LoadText(107));
        EXPECT_EQ(CTrayIcon::Current(), &icon);

        // Unchanged states and icons ask for nothing.
        icon.SetShown(true);
        icon.SetIcon(IDI_PROGRAM);
        EXPECT_EQ(calls_.size(), 1u);
        icon.SetTooltip("VaelTessel");
        ASSERT_EQ(calls_.size(), 2u);
        EXPECT_EQ(calls_[1].operation, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(calls_[1].data.uFlags, static_cast<UINT>(NIF_TIP));
        EXPECT_EQ(std::string(calls_[1].data.szTip), "VaelTessel");
    }
    // Going away removes the icon and the process forgets it.
    ASSERT_EQ(calls_.size(), 3u);
    EXPECT_EQ(calls_[2].operation, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls_[2].data.uID, static_cast<UINT>(IDI_PROGRAM));
    EXPECT_EQ(CTrayIcon::Current(), nullptr);
}

TEST_F(TrayIconTest, LongTipsAreCutForTheNotificationBetweenCharacters) {
    std::string tip;
    for (int i = 0; i < 150; ++i)
        tip += "\xB2\xE5";  // "插" in GBK
    CTrayIcon icon(tip, IDI_PROGRAM, nullptr, false);
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(icon.Tooltip().size(), 254u);  // 255 bytes hold 127 characters
    icon.SetShown(true);
    ASSERT_EQ(calls_.size(), 1u);
    const std::string shown = calls_[0].data.szTip;
    EXPECT_EQ(shown.size(), 126u);
    EXPECT_EQ(shown, tip.substr(0, 126));
}

TEST_F(TrayIconTest, MissingIconFallsBackToTheApplicationIcon) {
    CTrayIcon icon("tip", 4242, nullptr, true);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_NE(calls_[0].data.hIcon, nullptr);
    EXPECT_EQ(icon.IconId(), 4242);
}

TEST_F(TrayIconTest, HiddenWindowHandsNotificationsToTheNewestIcon) {
    const HWND window = CTrayIcon::MessageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(CTrayIcon::MessageWindow(), window);  // one for the process
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "TRAY_ICON_MESSAGE_PROCESSOR_WND_CLASS");
    ::GetWindowTextA(window, name, sizeof name);
    EXPECT_STREQ(name, "TRAY_ICON_MESSAGE_PROCESSOR_WND");
    EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & ~WS_CLIPSIBLINGS, WS_POPUP);
    EXPECT_FALSE(::IsWindowVisible(window));

    std::vector<std::string> seen;
    CTrayIcon first("first", IDI_PROGRAM, nullptr, true);
    first.SetCallback(
        [&](CTrayIcon&, UINT mouse) { seen.push_back("first " + std::to_string(mouse)); });
    ::SendMessageA(window, CTrayIcon::TrayMessage(), IDI_PROGRAM, WM_LBUTTONDOWN);
    {
        CTrayIcon second("second", IDI_PROGRAM, nullptr, false);
        second.SetCallback([&](CTrayIcon& icon, UINT mouse) {
            seen.push_back(icon.Tooltip() + " " + std::to_string(mouse));
        });
        ::SendMessageA(window, CTrayIcon::TrayMessage(), IDI_PROGRAM, WM_RBUTTONDOWN);
    }
    // With the newest gone, nobody answers; other messages are the window's own.
    ::SendMessageA(window, CTrayIcon::TrayMessage(), IDI_PROGRAM, WM_LBUTTONDOWN);
    EXPECT_EQ(::SendMessageA(window, WM_USER + 5, 0, 0), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"first " + std::to_string(WM_LBUTTONDOWN),
                                              "second " + std::to_string(WM_RBUTTONDOWN)}));
}

TEST(TrayIconSystem, TheNotificationAreaHoldsTheIconWhileItIsShown) {
    // The system's own notification area (wine's): an icon that exists can
    // be changed, one that was removed cannot.
    const auto exists = [] {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = CTrayIcon::MessageWindow();
        data.uID = IDI_PROGRAM;
        data.uFlags = NIF_TIP;
        std::strcpy(data.szTip, "probe");
        return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    };
    {
        CTrayIcon icon(ui::LoadText(107), IDI_PROGRAM, nullptr, true);
        EXPECT_TRUE(exists());
        icon.SetShown(false);
        EXPECT_FALSE(exists());
        icon.SetShown(true);
        EXPECT_TRUE(exists());
    }
    EXPECT_FALSE(exists());
}

// --- Menus -------------------------------------------------------------------

std::string ItemText(HMENU menu, int position) {
    char text[128] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST(PopupMenus, BuiltFromString106WithTheirCommands) {
    const std::vector<std::string> texts = SplitMenuTexts(ui::LoadText(106));
    CPopupMenu tray(TrayMenuEntries(), texts);
    ASSERT_TRUE(tray);
    ASSERT_EQ(::GetMenuItemCount(tray.handle()), 4);
    const int trayIds[] = {kMenuToggleWindow, kMenuStartGame, kMenuFeedback, kMenuExit};
    const int trayTexts[] = {4, 5, 1, 6};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<int>(::GetMenuItemID(tray.handle(), i)), trayIds[i]);
        EXPECT_EQ(ItemText(tray.handle(), i), texts[trayTexts[i]]);
    }
    CPopupMenu help(HelpMenuEntries(), texts);
    ASSERT_EQ(::GetMenuItemCount(help.handle()), 5);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoA(help.handle(), 3, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    EXPECT_EQ(static_cast<int>(::GetMenuItemID(help.handle(), 4)), kMenuAbout);
    EXPECT_EQ(ItemText(help.handle(), 4), texts[3]);
}

// A window that records the commands it receives.
class CommandSink : public ui::Wnd {
  public:
    std::vector<int> commands;

  protected:
    bool OnCommand(int id, int, HWND) override {
        commands.push_back(id);
        return true;
    }
};

TEST(PopupMenus, TheChosenItemReachesTheOwnerAsACommand) {
    CommandSink owner;
    ui::Wnd::CreateArgs args;
    args.style = WS_POPUP | WS_VISIBLE;
    args.x = 50, args.y = 50, args.width = 200, args.height = 100;
    ASSERT_TRUE(owner.Create(args));
    ::SetForegroundWindow(owner.hwnd());
    CPopupMenu tray(TrayMenuEntries(), SplitMenuTexts(ui::LoadText(106)));
    // Inside the menu's loop: the last item ("退出"), by keys to the menu
    // (its loop reads them from the thread's queue); a menu that never
    // opened is ended instead of waited for.
    test::RunLater(
        [] {
            const HWND menu = ::FindWindowA("#32768", nullptr);
            ::PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
            ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        },
        200);
    test::RunLater([] { ::EndMenu(); }, 5000);
    tray.Track(owner.hwnd(), test::ClientToScreenPoint(owner.hwnd(), 20, 20));
    test::PumpUntil([&] { return !owner.commands.empty(); }, 5000);
    EXPECT_EQ(owner.commands, std::vector<int>{kMenuExit});
}

}  // namespace
}  // namespace vt::shell
