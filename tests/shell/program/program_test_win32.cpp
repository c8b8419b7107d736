// VaelTessel.exe driven from outside as a user would, against tessel-server
// (reached through a gate the test can hold) and game directories made here.
// Each test starts the program once or twice and walks several steps, since
// every window that appears costs seconds under wine without a window
// manager. Screenshots go to build/windows/screens/program_*.png.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "archive/extract_archive.h"
#include "gate_proxy.h"
#include "platform/files.h"
#include "platform/system.h"
#include "program_driver.h"
#include "support/gui_win32.h"
#include "support/temp_dir.h"
#include "ui/gdiplus_session.h"

namespace vt::test {
namespace {

// Control ids of the main window and its dialogs.
constexpr int kHelp = 1001, kRefreshLocal = 1004, kUpdateAll = 1007, kDeleteAll = 1008,
              kStartGame = 1010, kList = 1011, kClose = 1015, kLinkSettings = 1017,
              kLinkPluginLibrary = 1018, kLoading = 1019;
constexpr int kPathBrowse = 1000, kPathEdit = 1002, kPathSave = 1007;
constexpr UINT kActivateInstance = WM_USER + 2013;

std::string Env(const char* name) {
    return platform::GetEnv(name);
}

int EnvInt(const char* name) {
    const std::string value = Env(name);
    return value.empty() ? 0 : std::atoi(value.c_str());
}

GateProxy* g_gate = nullptr;

// Screenshots are written with GDI+.
class GdiplusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { session_ = std::make_unique<ui::GdiplusSession>(); }
    void TearDown() override { session_.reset(); }

  private:
    std::unique_ptr<ui::GdiplusSession> session_;
};
const auto* const kGdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

class ProgramTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (EnvInt("TESSEL_PROXY_PORT") != 0)
            g_gate = new GateProxy(EnvInt("TESSEL_PROXY_PORT"), EnvInt("TESSEL_UPSTREAM_PORT"));
    }
    static void TearDownTestSuite() {
        delete g_gate;
        g_gate = nullptr;
    }

    void SetUp() override {
        if (Env("TESSEL_PROGRAM").empty() || g_gate == nullptr)
            GTEST_SKIP() << "run through run_program_tests.sh (needs tessel-server)";
        ASSERT_TRUE(g_gate->Listening());
        g_gate->Open();
        programDir_ = temp_ / "program\\";
        gameDir_ = temp_ / "game\\";
        addonDir_ = gameDir_ + "Interface\\Addons";
        ASSERT_TRUE(platform::MakeDirectory(programDir_));
        ASSERT_TRUE(platform::MakeDirectory(gameDir_));
        ASSERT_TRUE(platform::MakeDirectory(gameDir_ + "Interface"));
        ASSERT_TRUE(platform::MakeDirectory(addonDir_));
        ASSERT_TRUE(platform::MakeDirectory(temp_ / "documents"));
        exe_ = programDir_ + "VaelTessel.exe";
        ASSERT_TRUE(CopyFileTo(WindowsPath(Env("TESSEL_PROGRAM")), exe_));
        const std::string server = "http://127.0.0.1:" + Env("TESSEL_PROXY_PORT");
        WriteTestFile(programDir_ + "servers.ini", "[Servers]\r\nCatalogue=" + server +
                                                       "\r\nUpgrade=" + server +
                                                       "\r\nForum=" + server + "\r\n");
        // The program looks for a per-user addon directory there; it has none.
        platform::SetEnv("VAEL_DOCUMENTS", temp_ / "documents");
    }

    void TearDown() override {
        if (g_gate != nullptr)
            g_gate->Open();
    }

    // The game's patcher (the fake game) and the settings file naming it.
    std::string InstallFakeGame() {
        const std::string patcher = gameDir_ + "vaelpatchchinese.exe";
        EXPECT_TRUE(CopyFileTo(WindowsPath(Env("TESSEL_FAKE_GAME")), patcher));
        return patcher;
    }
    void WriteGamePath(const std::string& path) {
        WriteTestFile(programDir_ + "config", "[Setting]\r\nGamePath=" + path + "\r\n");
    }
    // An older version of QuestHelper (3) and a folder of the player's own
    // without a version file; they list as MyNotes (row 0), QuestHelper.
    void SeedAddons() {
        const std::string demo = WindowsPath(Env("TESSEL_DEMO_ROOT"));
        ASSERT_TRUE(archive::ExtractArchive(demo + "\\old\\3.zip", addonDir_).Ok());
        ASSERT_TRUE(platform::MakeDirectory(addonDir_ + "\\MyNotes"));
        WriteTestFile(addonDir_ + "\\MyNotes\\MyNotes.lua", "-- kept by hand\n");
    }
    std::set<std::string> AddonFolders() const {
        const std::vector<std::string> names = platform::ListSubdirectories(addonDir_);
        std::set<std::string> folders;
        for (const std::string& name : names) {
            if (!name.empty() && name[0] != '.')
                folders.insert(name);
        }
        return folders;
    }

    // Starts the program and waits for its main window after the splash;
    // the splash's screenshot is taken when asked.
    HWND StartProgram(ProgramProcess& program, const char* splashShot = nullptr) {
        EXPECT_TRUE(program.Start(exe_));
        if (splashShot != nullptr) {
            const HWND splash = WaitForWindow([&] { return SplashWindow(program.Pid()); });
            EXPECT_NE(splash, nullptr) << "no splash";
            if (splash != nullptr) {
                const SIZE size = WindowSize(splash);
                EXPECT_EQ(size.cx, 420);
                EXPECT_EQ(size.cy, 260);
                // The main window stays hidden while the splash shows.
                EXPECT_FALSE(IsShown(MainWindow(program.Pid())));
                Screenshot(splash, std::string("program_") + splashShot);
            }
        }
        HWND main = nullptr;
        WaitFor(
            [&] {
                main = MainWindow(program.Pid());
                return IsShown(main) && SplashWindow(program.Pid()) == nullptr;
            },
            30000);
        EXPECT_TRUE(IsShown(main)) << "the main window did not appear";
        if (main != nullptr) {
            const SIZE size = WindowSize(main);
            EXPECT_EQ(size.cx, 884);
            EXPECT_EQ(size.cy, 579);
        }
        return main;
    }

    // A refresh of the list that is sure to have reread the settings: held
    // at the gate until its loading view shows, then let through. The
    // button's command is posted rather than clicked: this is the tests'
    // own step, and a click could land while the window is still busy
    // with the box before it.
    static void Rescan(HWND main) {
        g_gate->Hold();
        ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(kRefreshLocal, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(main, kRefreshLocal)));
        EXPECT_TRUE(WaitForView(main, "loading")) << PanelView(main);
        g_gate->Open();
        EXPECT_TRUE(WaitFor(
            [&] { return PanelView(main) != "loading" && IsEnabled(main, kRefreshLocal); }));
    }

    TempDir temp_;
    std::string programDir_, gameDir_, addonDir_, exe_;
};

TEST_F(ProgramTest, FirstStartSecondStartPathDialogAndViews) {
    ProgramProcess program;
    const HWND main = StartProgram(program, "splash");
    ASSERT_NE(main, nullptr);
    // "ver.ini" is written on every start.
    EXPECT_NE(ReadTestFile(programDir_ + "ver.ini").find("9125"), std::string::npos);

    // No game path yet.
    ASSERT_TRUE(WaitForView(main, "no-game-path")) << PanelView(main);
    EXPECT_FALSE(IsEnabled(main, kUpdateAll));
    EXPECT_FALSE(IsEnabled(main, kDeleteAll));
    Screenshot(main, "program_no_game_path");

    // A second start brings the first copy's window forward and ends.
    ClickControl(main, kClose);
    ASSERT_TRUE(WaitFor([&] { return !IsShown(main); }));
    EXPECT_TRUE(program.Running()) << "\"X\" must not end the program";
    {
        ProgramProcess second;
        ASSERT_TRUE(second.Start(exe_));
        EXPECT_TRUE(second.WaitForExit(30000));
        EXPECT_TRUE(WaitFor([&] { return IsShown(main) && !::IsIconic(main); }));
        EXPECT_EQ(MainWindow(second.Pid()), nullptr);
    }

    // The "设置" link opens the path dialog with the settings file's path
    // (none); saving an empty path is refused and the dialog stays.
    ClickControl(main, kLinkSettings);
    HWND dialog = WaitForWindow([&] { return PathDialogWindow(program.Pid()); });
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, kPathEdit), "");
    Screenshot(dialog, "program_path_dialog");
    ClickControl(dialog, kPathSave);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_path_dialog_empty", kBoxOk, false));
    ASSERT_TRUE(IsShown(dialog));

    // Browse: the system's open-file dialog, the patcher typed in.
    const std::string patcher = InstallFakeGame();
    ClickControl(dialog, kPathBrowse);
    const HWND chooser = WaitForWindow([&] { return FileDialogWindow(program.Pid()); });
    ASSERT_NE(chooser, nullptr) << "no open-file dialog";
    Screenshot(chooser, "program_path_dialog_browse");
    ::SendMessageA(::GetDlgItem(chooser, 0x47C), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(patcher.c_str()));
    ::PostMessageA(chooser, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return ControlText(dialog, kPathEdit) == patcher; }))
        << ControlText(dialog, kPathEdit);
    Screenshot(dialog, "program_path_dialog_chosen");

    // Saving stores the path and rereads the list: loading (held at the
    // gate), then no addons.
    g_gate->Hold();
    ClickControl(dialog, kPathSave);
    ASSERT_TRUE(WaitFor([&] { return !IsShown(dialog); }));
    EXPECT_NE(ReadTestFile(programDir_ + "config").find(patcher), std::string::npos);
    ASSERT_TRUE(WaitForView(main, "loading")) << PanelView(main);
    Screenshot(main, "program_loading");
    g_gate->Open();
    ASSERT_TRUE(WaitForView(main, "no-addons")) << PanelView(main);
    EXPECT_FALSE(IsEnabled(main, kDeleteAll));
    Screenshot(main, "program_no_addons");

    // The help menu at the pointer, closed again.
    ClickControl(main, kHelp);
    const HWND menu = WaitForWindow([] { return MenuWindow(); }, 10000);
    ASSERT_NE(menu, nullptr);
    Screenshot(menu, "program_help_menu");
    ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([] { return MenuWindow() == nullptr; }, 10000));

    // A killed first copy leaves no record behind: the next start runs.
    program.Kill();
    ProgramProcess next;
    const HWND nextMain = StartProgram(next);
    EXPECT_NE(nextMain, nullptr);
    EXPECT_TRUE(next.Running());
}

TEST_F(ProgramTest, ListUpdateAllRefusalDeleteOneDeleteAll) {
    SeedAddons();
    WriteGamePath(InstallFakeGame());
    ProgramProcess program;
    const HWND main = StartProgram(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForView(main, "list")) << PanelView(main);
    EXPECT_EQ(RowCount(main), 2);
    // QuestHelper has an update: "全部升级" is on.
    ASSERT_TRUE(WaitFor([&] { return IsEnabled(main, kUpdateAll); }));
    EXPECT_TRUE(IsEnabled(main, kDeleteAll));
    Screenshot(main, "program_list");

    // Update all, confirmed; the download crawls through the gate, so the
    // batch is still running while a delete is refused.
    g_gate->Throttle(2048, 100);
    ClickControl(main, kUpdateAll);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_confirm_update_all", kBoxOk, true));
    ASSERT_TRUE(WaitFor([&] { return !IsEnabled(main, kRefreshLocal); }))
        << "the batch did not start";
    EXPECT_FALSE(IsEnabled(main, kUpdateAll));
    EXPECT_FALSE(IsEnabled(main, kDeleteAll));
    WaitFor([] { return false; }, 1500);  // some progress to see
    Screenshot(main, "program_updating");
    // MyNotes is not downloading, so its row shows "删除".
    ClickRow(main, 0, kRowDeleteX, kRowDeleteY);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_delete_refused", kBoxOk, false));
    EXPECT_EQ(AddonFolders().size(), 2u);

    // Let it finish: the list comes back with the new version installed.
    g_gate->Open();
    ASSERT_TRUE(WaitFor([&] { return IsEnabled(main, kRefreshLocal); }, 60000));
    ASSERT_TRUE(WaitForView(main, "list"));
    ASSERT_TRUE(WaitFor([&] { return !IsEnabled(main, kUpdateAll); }));
    EXPECT_NE(ReadTestFile(addonDir_ + "\\QuestHelper\\tesselver.txt").find("UpdateVer: 7"),
              std::string::npos);
    Screenshot(main, "program_updated");

    // The details of QuestHelper, in the popup; MyNotes has none.
    ClickRow(main, 1, kRowDetailsX, kRowDetailsY);
    if (const HWND popup = WaitForWindow([&] { return WebPopupWindow(program.Pid()); }, 15000)) {
        Screenshot(popup, "program_detail_popup");
        ClickControl(popup, kClose);
        EXPECT_TRUE(WaitFor([&] { return !IsShown(popup); }));
    } else {
        ADD_FAILURE() << "no detail popup";
    }
    ClickRow(main, 0, kRowDetailsX, kRowDetailsY);
    EXPECT_TRUE(AnswerBox(program.Pid(), "program_no_details", kBoxOk, false));

    // Delete MyNotes: cancelled first (nothing goes), then confirmed.
    ClickRow(main, 0, kRowDeleteX, kRowDeleteY);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_confirm_delete", kBoxCancel, true));
    EXPECT_EQ(AddonFolders(), (std::set<std::string>{"MyNotes", "QuestHelper"}));
    ClickRow(main, 0, kRowDeleteX, kRowDeleteY);
    ASSERT_TRUE(AnswerBox(program.Pid(), nullptr, kBoxOk, true));
    ASSERT_TRUE(WaitFor([&] { return AddonFolders().size() == 1; }));
    EXPECT_EQ(AddonFolders(), std::set<std::string>{"QuestHelper"});
    ASSERT_TRUE(WaitFor([&] { return PanelView(main) == "list" && RowCount(main) == 1; }));
    Screenshot(main, "program_after_delete");

    // Delete all, confirmed: an empty addon directory and the no-addons view.
    ClickControl(main, kDeleteAll);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_confirm_delete_all", kBoxOk, true));
    ASSERT_TRUE(WaitForView(main, "no-addons")) << PanelView(main);
    EXPECT_TRUE(platform::IsDirectory(addonDir_));
    EXPECT_TRUE(AddonFolders().empty());
}

// The tray: "X" hides, a click on the icon brings the window back, the menu's
// "退出" ends the program and takes the icon away.
TEST_F(ProgramTest, TrayToggleAboutAndExit) {
    ProgramProcess program;
    const HWND main = StartProgram(program);
    ASSERT_NE(main, nullptr);
    const HWND tray =
        ::FindWindowA("TRAY_ICON_MESSAGE_PROCESSOR_WND_CLASS", "TRAY_ICON_MESSAGE_PROCESSOR_WND");
    ASSERT_NE(tray, nullptr);
    DWORD trayPid = 0;
    ::GetWindowThreadProcessId(tray, &trayPid);
    ASSERT_EQ(trayPid, program.Pid());
    const UINT trayMessage = ::RegisterWindowMessageA("TrayIconMessage");
    const auto iconPresent = [&] {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = tray;
        data.uID = 128;
        data.uFlags = NIF_TIP;
        lstrcpyA(data.szTip, "VaelTessel");
        return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    };
    EXPECT_TRUE(iconPresent());

    ClickControl(main, kClose);
    ASSERT_TRUE(WaitFor([&] { return !IsShown(main); }));
    // What the notification area sends for a left click on the icon.
    ::PostMessageA(tray, trayMessage, 128, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitFor([&] { return IsShown(main) && !::IsIconic(main); }));
    ::PostMessageA(tray, trayMessage, 128, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitFor([&] { return !IsShown(main); }));
    ::PostMessageA(main, kActivateInstance, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return IsShown(main); }));

    // The about box from the help menu's last item.
    ClickControl(main, kHelp);
    HWND menu = WaitForWindow([] { return MenuWindow(); }, 10000);
    ASSERT_NE(menu, nullptr);
    ::PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
    ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    const HWND about = WaitForWindow([&] { return AboutWindow(program.Pid()); });
    ASSERT_NE(about, nullptr);
    Screenshot(about, "program_about");
    ClickControl(about, kClose);
    ASSERT_TRUE(WaitFor([&] { return !IsShown(about); }));

    // The tray menu at the pointer; its last item ends the program.
    MoveMouseTo(main, 600, 300);
    ::PostMessageA(tray, trayMessage, 128, WM_RBUTTONDOWN);
    menu = WaitForWindow([] { return MenuWindow(); }, 10000);
    ASSERT_NE(menu, nullptr);
    Screenshot(menu, "program_tray_menu");
    RECT items{};
    ::GetClientRect(menu, &items);
    // Four items of equal height: a real click on the last, "退出".
    ClickAt(menu, items.right / 2, items.bottom * 7 / 8);
    EXPECT_TRUE(program.WaitForExit(20000)) << "the program did not end";
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_FALSE(iconPresent()) << "the icon stayed in the notification area";
}

TEST_F(ProgramTest, UpgradeCheckAskedFromTheMenuSaysWhenTheServerFails) {
    // The upgrade module beside the program, its server a closed port: the
    // start-up check fails without a word, the one asked for says so.
    const std::string program = WindowsPath(Env("TESSEL_PROGRAM"));
    ASSERT_TRUE(CopyFileTo(program.substr(0, program.find_last_of('\\') + 1) + "Surgewell.dll",
                           programDir_ + "Surgewell.dll"));
    const std::string server = "http://127.0.0.1:" + Env("TESSEL_PROXY_PORT");
    WriteTestFile(programDir_ + "servers.ini",
                  "[Servers]\r\nCatalogue=" + server + "\r\nUpgrade=http://127.0.0.1:9\r\n");
    ProgramProcess run;
    const HWND main = StartProgram(run);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForView(main, "no-game-path"));
    EXPECT_EQ(MessageBoxWindow(run.Pid()), nullptr);

    // "软件升级", the third item of the help menu.
    ClickControl(main, kHelp);
    const HWND menu = WaitForWindow([] { return MenuWindow(); }, 10000);
    ASSERT_NE(menu, nullptr);
    for (int i = 0; i < 3; ++i)
        ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(AnswerBox(run.Pid(), "program_upgrade_server_busy", kBoxOk, false));
    EXPECT_TRUE(run.Running());
}

TEST_F(ProgramTest, GameLaunchWithoutPathMissingFileAndStarted) {
    ProgramProcess program;
    HWND main = StartProgram(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForView(main, "no-game-path"));

    // No path: the message, then the path dialog; closing it starts nothing.
    ClickControl(main, kStartGame);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_launch_no_path", kBoxOk, false));
    HWND dialog = WaitForWindow([&] { return PathDialogWindow(program.Pid()); });
    ASSERT_NE(dialog, nullptr);
    ClickControl(dialog, kClose);
    ASSERT_TRUE(WaitFor([&] { return !IsShown(dialog); }));
    EXPECT_EQ(MessageBoxWindow(program.Pid()), nullptr);

    // A path to a file that is gone: string 169, nothing started.
    const std::string patcher = InstallFakeGame();
    WriteGamePath(gameDir_ + "Gone\\vaelpatchchinese.exe");
    Rescan(main);  // the scan rereads the settings
    ClickControl(main, kStartGame);
    ASSERT_TRUE(AnswerBox(program.Pid(), "program_launch_missing_file", kBoxOk, false));
    EXPECT_FALSE(platform::PathExists(gameDir_ + "started.txt"));

    // The real patcher: started, the program keeps running.
    WriteGamePath(patcher);
    Rescan(main);
    EXPECT_EQ(PanelView(main), "no-addons");
    ClickControl(main, kStartGame);
    EXPECT_TRUE(WaitFor([&] { return platform::PathExists(gameDir_ + "started.txt"); }, 30000))
        << "the game was not started";
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(MessageBoxWindow(program.Pid()), nullptr);
}

}  // namespace
}  // namespace vt::test
