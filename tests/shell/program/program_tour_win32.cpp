// The demo's scripted tour of VaelTessel.exe on a display nobody watches:
// it starts the program in a prepared program directory, walks the steps a
// player would take and saves a screenshot of each in TESSEL_SCREENS_DIR.
// Every wait is bounded; whatever happens, the program is gone at the end.
//   program_tour PROGRAM_EXE GATE_PORT UPSTREAM_PORT
// Exit status: 0 when every step went as expected, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "gate_proxy.h"
#include "platform/system.h"
#include "program_driver.h"
#include "support/gui_win32.h"
#include "ui/gdiplus_session.h"

namespace {

using namespace vt::test;

int g_failures = 0;

// One step of the tour: its line on stdout, and a failure counted.
bool Step(bool ok, const char* what) {
    std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what);
    std::fflush(stdout);
    if (!ok)
        ++g_failures;
    return ok;
}

bool Shot(HWND window, const char* name) {
    return window != nullptr && Screenshot(window, name);
}

void Tour(ProgramProcess& program, GateProxy& gate) {
    const DWORD pid = program.Pid();
    const HWND splash = WaitForWindow([&] { return SplashWindow(pid); }, 30000);
    if (Step(splash != nullptr, "the splash shows while the program starts"))
        Shot(splash, "01_splash");

    HWND main = nullptr;
    WaitFor(
        [&] {
            main = MainWindow(pid);
            return IsShown(main) && SplashWindow(pid) == nullptr;
        },
        30000);
    if (!Step(IsShown(main), "the main window appears after the splash"))
        return;
    if (!Step(WaitForView(main, "list", 60000), "the installed addons are listed"))
        return;
    Step(WaitFor([&] { return IsEnabled(main, kMainUpdateAll); }),
         "an update is offered (the badge on QuestHelper)");
    Shot(main, "02_list");

    // Update all, slowed down at the gate so the progress can be seen.
    gate.Throttle(2048, 100);
    ClickControl(main, kMainUpdateAll);
    Step(AnswerBox(pid, "03_confirm_update_all", kBoxOk, true), "update all asks first");
    Step(WaitFor([&] { return !IsEnabled(main, kMainRefreshLocal); }), "the download runs");
    WaitFor([] { return false; }, 2000);
    Shot(main, "04_updating");
    gate.Open();
    Step(WaitFor([&] { return IsEnabled(main, kMainRefreshLocal); }, 60000) &&
             WaitForView(main, "list") && WaitFor([&] { return !IsEnabled(main, kMainUpdateAll); }),
         "the update is installed and the list is current");
    Shot(main, "05_updated");

    // Delete the first addon of the list.
    const int rows = RowCount(main);
    ClickRow(main, 0, kRowDeleteX, kRowDeleteY);
    Step(AnswerBox(pid, "06_confirm_delete", kBoxOk, true), "deleting an addon asks first");
    Step(WaitFor([&] { return RowCount(main) == rows - 1 && PanelView(main) == "list"; }),
         "the addon is gone from the list");
    Shot(main, "07_after_delete");

    // "设置": the path dialog with the game path of the settings file.
    ClickControl(main, kMainSettings);
    const HWND dialog = WaitForWindow([&] { return PathDialogWindow(pid); });
    if (Step(dialog != nullptr, "\"设置\" shows the game path")) {
        Shot(dialog, "08_path_dialog");
        ClickControl(dialog, kMainClose);
        Step(WaitFor([&] { return !IsShown(dialog); }), "its \"X\" closes it");
    }

    // "帮助": the help menu; its last item is the about box.
    // The main window takes input again once the dialog's end has passed
    // through it; a click before that is lost, so a lost one is repeated.
    HWND help = nullptr;
    for (int attempt = 0; attempt < 3 && help == nullptr; ++attempt) {
        WaitFor([&] { return ::IsWindowEnabled(main) != FALSE; }, 5000);
        ClickControl(main, kMainHelp);
        help = WaitForWindow([] { return MenuWindow(); }, 5000);
    }
    if (Step(help != nullptr, "\"帮助\" opens the help menu")) {
        Shot(help, "09_help_menu");
        ::PostMessageA(help, WM_KEYDOWN, VK_UP, 0);
        ::PostMessageA(help, WM_KEYDOWN, VK_RETURN, 0);
        const HWND about = WaitForWindow([&] { return AboutWindow(pid); });
        if (Step(about != nullptr, "\"版本信息\" shows the about box")) {
            Shot(about, "10_about");
            ClickControl(about, kMainClose);
            WaitFor([&] { return !IsShown(about); });
        }
    }

    // "X" hides the window into the tray; the icon brings it back.
    const HWND tray =
        ::FindWindowA("TRAY_ICON_MESSAGE_PROCESSOR_WND_CLASS", "TRAY_ICON_MESSAGE_PROCESSOR_WND");
    const UINT trayMessage = ::RegisterWindowMessageA("TrayIconMessage");
    ClickControl(main, kMainClose);
    Step(WaitFor([&] { return !IsShown(main); }) && program.Running(),
         "\"X\" hides the window; the program stays in the tray");
    ::PostMessageA(tray, trayMessage, 128, WM_LBUTTONDOWN);
    Step(WaitFor([&] { return IsShown(main) && !::IsIconic(main); }),
         "a click on the tray icon shows it again");
    Shot(main, "11_back_from_tray");

    // The tray menu's "退出" ends the program.
    MoveMouseTo(main, 600, 300);
    ::PostMessageA(tray, trayMessage, 128, WM_RBUTTONDOWN);
    const HWND menu = WaitForWindow([] { return MenuWindow(); }, 10000);
    if (Step(menu != nullptr, "the tray menu opens")) {
        Shot(menu, "12_tray_menu");
        RECT items{};
        ::GetClientRect(menu, &items);
        ClickAt(menu, items.right / 2, items.bottom * 7 / 8);
    }
    Step(program.WaitForExit(20000), "\"退出\" in the tray menu ends the program");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: program_tour PROGRAM_EXE GATE_PORT UPSTREAM_PORT\n");
        return 2;
    }
    vt::ui::GdiplusSession gdiplus;
    GateProxy gate(std::atoi(argv[2]), std::atoi(argv[3]));
    if (!gate.Listening()) {
        std::fprintf(stderr, "program_tour: cannot listen on port %s\n", argv[2]);
        return 1;
    }
    ProgramProcess program;
    if (!program.Start(WindowsPath(argv[1]))) {
        std::fprintf(stderr, "program_tour: cannot start %s\n", argv[1]);
        return 1;
    }
    Tour(program, gate);
    gate.Open();
    if (program.Running()) {
        Step(false, "the program had to be ended by the tour");
        program.Kill();
    }
    return g_failures == 0 ? 0 : 1;
}
