// Surgewell.dll as the program meets it: a window that plays the program's
// main window binds the module with the host side (LoadUpgradeModule,
// UpgradeCheckWorker, UnloadUpgradeModule) or calls the exports directly, and
// a stand-in updater takes over after a hand-over.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"
#include "resource.h"
#include "shell/upgrade_host.h"
#include "support/gui_win32.h"
#include "support/temp_dir.h"
#include "ui/gdi.h"
#include "ui/gdiplus_session.h"
#include "ui/wnd.h"
#include "updater_archive.h"
#include "upgrade/module_binding.h"
#include "upgrade/upgrade_info_block.h"
#include "upgrade_test_server.h"

namespace vt::upgrade {
namespace {

constexpr UINT kExitMessage = 3038;
constexpr UINT kResultMessage = 3039;
constexpr UINT kModuleMessage = 3037;
constexpr COLORREF kHostBackground = RGB(40, 90, 160);

class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { gdiplus_ = std::make_unique<ui::GdiplusSession>(); }
    void TearDown() override { gdiplus_.reset(); }

  private:
    std::unique_ptr<ui::GdiplusSession> gdiplus_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

std::string BuiltFile(const std::string& name) {
    const std::string program = platform::ModulePath();
    return program.substr(0, program.find_last_of('\\') + 1) + name;
}

// The program's main window as far as the upgrade module is concerned.
class HostWindow : public ui::Wnd {
  public:
    struct Result {
        WPARAM status;
        LPARAM userRequested;
        bool operator==(const Result&) const = default;
    };
    std::vector<Result> results;
    std::vector<int> shownTexts;  // what the window would show for each result
    int exitRequests = 0;
    std::atomic<int> upgradeAutomatic{0};

    bool Open() {
        CreateArgs args;
        args.className = "UpgradeTestHostWindow";
        args.title = "upgrade host";
        args.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        args.x = 40;
        args.y = 40;
        args.width = 420;
        args.height = 300;
        static ui::BrushHandle background(::CreateSolidBrush(kHostBackground));
        args.background = background.get();
        return Create(args);
    }

  protected:
    bool OnCommand(int id, int, HWND) override {
        if (id != ID_UPGRADE_CHECK)
            return false;
        upgradeAutomatic = 0;
        shell::StartUpgradeCheckWorker(upgradeAutomatic);
        return true;
    }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kResultMessage) {
            results.push_back({wParam, lParam});
            if (const int text =
                    UpgradeResultTextId(static_cast<int>(wParam), static_cast<int>(lParam)))
                shownTexts.push_back(text);
            return 0;
        }
        if (message == kExitMessage) {
            ++exitRequests;
            shell::UnloadUpgradeModule();
            return 0;
        }
        return ui::Wnd::WndProc(message, wParam, lParam);
    }
};

// The module's own messages (3037) as this thread takes them from its queue.
struct ModuleMessage {
    HWND window;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<ModuleMessage> g_moduleMessages;

LRESULT CALLBACK RecordModuleMessages(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == kModuleMessage)
        g_moduleMessages.push_back({message->hwnd, message->wParam, message->lParam});
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

const std::string kCurrentReply =
    "code=100&softVer=9125&softDownUrl=&updSoftVerV2=3&updSoftDownUrlV2=";

class SurgewellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host_.Open());
        InstallModule("Surgewell.dll");
        // A current updater, so that checks need no fetch.
        test::WriteTestFile(dir_ / "Refitter.exe", "current updater");
        platform::MakeDirectory(dir_ / "ImageRes");
        test::WriteTestFile(dir_ / "RefitterVer.ini", "[UpdateVer]\r\nver=3\r\n");
        server_.SetForm(kCurrentReply);
        g_moduleMessages.clear();
        hook_ = ::SetWindowsHookExA(WH_GETMESSAGE, RecordModuleMessages, nullptr,
                                    ::GetCurrentThreadId());
    }
    void TearDown() override {
        shell::UnloadUpgradeModule();
        ::UnhookWindowsHookEx(hook_);
        host_.Destroy();
    }

    // Puts a built module into the program directory as Surgewell.dll.
    void InstallModule(const std::string& built) {
        std::string bytes;
        ASSERT_TRUE(platform::ReadWholeFile(BuiltFile(built), bytes)) << built;
        test::WriteTestFile(dir_ / "Surgewell.dll", bytes);
    }
    bool Load() { return shell::LoadUpgradeModule(host_.hwnd(), dir_.path(), server_.Url("")); }
    HWND ModuleWindow() const { return ::FindWindowExA(host_.hwnd(), nullptr, "#32770", nullptr); }
    // Waits for count results and for the worker that posted the last one to
    // end (a request while it still runs would start nothing).
    bool WaitForResults(size_t count, int timeoutMs = 20000) {
        return test::PumpUntil(
            [&] { return host_.results.size() >= count && !shell::UpgradeCheckRunning(); },
            timeoutMs);
    }
    // Runs the check worker on this thread, as the menu command's thread would.
    void CheckNow(int automatic) {
        host_.upgradeAutomatic = automatic;
        shell::UpgradeCheckWorker(host_.upgradeAutomatic);
    }

    test::TempDir dir_;
    test::UpgradeTestServer server_;
    HostWindow host_;
    HHOOK hook_ = nullptr;
};

std::pair<int, int> WindowSize(HWND window) {
    RECT area{};
    ::GetWindowRect(window, &area);
    return {area.right - area.left, area.bottom - area.top};
}

// The names in the module's export directory.
std::vector<std::string> ExportedNames(HMODULE module) {
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& entry =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    std::vector<std::string> names;
    if (entry.Size == 0)
        return names;
    const auto* directory =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* nameRvas = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameRvas[i]));
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(SurgewellTest, ExportsExactlyTheNineFunctionsByName) {
    HMODULE module = ::LoadLibraryA((dir_ / "Surgewell.dll").c_str());
    ASSERT_NE(module, nullptr);
    const std::vector<std::string> expected = {
        "CreateUpgradeModule",   "DestroyUpgradeModule", "SetFrameTextColor",
        "SetMainWndAndMsgForEx", "SetNetInterfaceInfo",  "SetRefitterInfo",
        "SetUpgradeInfo",        "SetUpgradeModulePos",  "StartCheckUpgrade",
    };
    EXPECT_EQ(ExportedNames(module), expected);
    ::FreeLibrary(module);
}

TEST_F(SurgewellTest, ReportsEveryCheckToTheMainWindow) {
    ASSERT_TRUE(Load());
    const HWND module = ModuleWindow();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(WindowSize(module), (std::pair<int, int>(1, 1)));

    // The start-up check: nothing to show.
    CheckNow(1);
    ASSERT_TRUE(WaitForResults(1));
    // The user's check, through the menu command and its worker thread.
    host_.Send(WM_COMMAND, ID_UPGRADE_CHECK);
    ASSERT_TRUE(WaitForResults(2));
    server_.SetForm("");  // a reply with no fields
    host_.Send(WM_COMMAND, ID_UPGRADE_CHECK);
    ASSERT_TRUE(WaitForResults(3));
    test::UpgradeTestServer::Reply garbage;
    garbage.raw = "<html>busy</html>";
    server_.SetReply(garbage);
    CheckNow(0);
    ASSERT_TRUE(WaitForResults(4));
    const std::vector<HostWindow::Result> expected = {{0, 0}, {0, 1}, {3, 1}, {2, 1}};
    EXPECT_EQ(host_.results, expected);
    EXPECT_EQ(host_.shownTexts, (std::vector<int>{135, 136, 136}));
    ASSERT_EQ(server_.Requests().size(), 4u);
    EXPECT_EQ(server_.Requests()[0].form, "toolsign=vael");
    // Each check also ended with the module's own message to its window.
    test::PumpUntil([] { return g_moduleMessages.size() >= 4; });
    ASSERT_EQ(g_moduleMessages.size(), 4u);
    for (const ModuleMessage& message : g_moduleMessages) {
        EXPECT_EQ(message.window, module);
        EXPECT_EQ(message.wParam, 0u);
    }
}

TEST_F(SurgewellTest, AChoiceOfTheMenuDuringACheckStartsNoSecondOne) {
    ASSERT_TRUE(Load());
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    server_.SetGate([&] {
        inside = true;
        while (!release)
            platform::SleepMs(5);
    });
    host_.upgradeAutomatic = 1;
    ASSERT_TRUE(shell::StartUpgradeCheckWorker(host_.upgradeAutomatic));
    ASSERT_TRUE(test::PumpUntil([&] { return inside.load(); }));
    CheckNow(0);  // returns at once: the start-up check still runs
    EXPECT_EQ(host_.upgradeAutomatic, 0);
    release = true;
    ASSERT_TRUE(WaitForResults(1));
    test::PumpPending();
    EXPECT_EQ(server_.Requests().size(), 1u);
    ASSERT_EQ(host_.results.size(), 1u);
    // The worker reads upgradeAutomatic when it runs: it was 1 then.
    EXPECT_EQ(host_.results[0], (HostWindow::Result{0, 0}));
}

TEST_F(SurgewellTest, ExportsCalledOutOfOrderDoNothing) {
    HMODULE library = ::LoadLibraryA((dir_ / "Surgewell.dll").c_str());
    ASSERT_NE(library, nullptr);
    const auto exports = [&](const char* name) {
        return reinterpret_cast<void*>(::GetProcAddress(library, name));
    };
    const auto create = reinterpret_cast<CreateUpgradeModuleFn>(exports("CreateUpgradeModule"));
    const auto position = reinterpret_cast<SetUpgradeModulePosFn>(exports("SetUpgradeModulePos"));
    const auto destroy = reinterpret_cast<DestroyUpgradeModuleFn>(exports("DestroyUpgradeModule"));
    const auto start = reinterpret_cast<StartCheckUpgradeFn>(exports("StartCheckUpgrade"));
    UpgradeModuleExports setUp;
    setUp.setFrameTextColor = reinterpret_cast<SetFrameTextColorFn>(exports("SetFrameTextColor"));
    setUp.setMainWndAndMsgForEx =
        reinterpret_cast<SetMainWndAndMsgForExFn>(exports("SetMainWndAndMsgForEx"));
    setUp.setNetInterfaceInfo =
        reinterpret_cast<SetNetInterfaceInfoFn>(exports("SetNetInterfaceInfo"));
    setUp.setRefitterInfo = reinterpret_cast<SetRefitterInfoFn>(exports("SetRefitterInfo"));
    setUp.setUpgradeInfo = reinterpret_cast<SetUpgradeInfoFn>(exports("SetUpgradeInfo"));
    EXPECT_FALSE(ConfigureUpgradeModule(setUp, host_.hwnd(),
                                        ProgramUpgradeValues(dir_.path(), server_.Url(""), 9125)));

    // Before the window exists.
    EXPECT_EQ(position(0, 0, 10, 10), 0);
    EXPECT_EQ(destroy(), 0);
    start(0);
    test::PumpPending();
    EXPECT_TRUE(host_.results.empty());
    EXPECT_TRUE(server_.Requests().empty());

    EXPECT_EQ(create(host_.hwnd()), 1);
    const HWND first = ModuleWindow();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(create(host_.hwnd()), 0);  // the first window stays, alone
    EXPECT_EQ(ModuleWindow(), first);
    EXPECT_EQ(::FindWindowExA(host_.hwnd(), first, "#32770", nullptr), nullptr);
    EXPECT_EQ(position(10, 20, 110, 70), 1);
    EXPECT_EQ(WindowSize(first), (std::pair<int, int>(100, 50)));
    start(1);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(host_.results[0], (HostWindow::Result{0, 0}));

    EXPECT_EQ(destroy(), 1);
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(destroy(), 0);
    EXPECT_EQ(position(0, 0, 1, 1), 0);
    start(0);
    test::PumpPending();
    EXPECT_EQ(host_.results.size(), 1u);
    // A new window can be made after the old one is gone.
    EXPECT_EQ(create(host_.hwnd()), 1);
    EXPECT_NE(ModuleWindow(), nullptr);
    EXPECT_EQ(destroy(), 1);
    ::FreeLibrary(library);
}

TEST_F(SurgewellTest, AModuleWithoutTheServerExportIsBoundOnlyInPart) {
    InstallModule("SurgewellNoNet.dll");
    ASSERT_TRUE(Load());
    EXPECT_TRUE(shell::UpgradeModuleLoaded());
    // The calls stopped at the missing export: no window was made, so a check
    // request does nothing.
    EXPECT_EQ(ModuleWindow(), nullptr);
    CheckNow(0);
    test::PumpPending();
    EXPECT_TRUE(host_.results.empty());
    EXPECT_TRUE(server_.Requests().empty());
    shell::UnloadUpgradeModule();
    EXPECT_FALSE(shell::UpgradeModuleLoaded());
}

TEST_F(SurgewellTest, WithoutTheModuleTheProgramRunsOnSilently) {
    platform::RemoveFile(dir_ / "Surgewell.dll");
    EXPECT_FALSE(Load());
    EXPECT_FALSE(shell::UpgradeModuleLoaded());
    CheckNow(0);
    test::PumpPending();
    EXPECT_TRUE(host_.results.empty());
    shell::UnloadUpgradeModule();

    // A file that is no module loads nothing either, and says nothing.
    test::WriteTestFile(dir_ / "Surgewell.dll", "MZ but not a library");
    EXPECT_FALSE(Load());
    EXPECT_EQ(ModuleWindow(), nullptr);
}

TEST_F(SurgewellTest, HandsANewerProgramToTheUpdaterWhichEndsTheProgram) {
    std::string updater;
    ASSERT_TRUE(platform::ReadWholeFile(BuiltFile("fake_refitter.exe"), updater));
    server_.SetFile(
        "/upgrade/Refitter.zip",
        test::BuildZip({test::Member("Refitter.exe", updater), test::Member("ImageRes/"),
                        test::Member("RefitterVer.ini", "[UpdateVer]\r\nver=5\r\n")}));
    server_.SetForm(
        "code=100&softVer=9126&softDownUrl=http%3A%2F%2Fh%2Fp.zip&softHandworkDownUrl="
        "http://h/m&softUpDesc=%E6%96%B0%E7%89%88&softUpDate=2024-05-01"
        "&updSoftVerV2=5&updSoftDownUrlV2=" +
        server_.Url("/upgrade/Refitter.zip"));
    ASSERT_TRUE(Load());
    host_.Send(WM_COMMAND, ID_UPGRADE_CHECK);
    ASSERT_TRUE(test::PumpUntil(
        [&] {
            return host_.exitRequests == 1 && host_.results.size() == 1 &&
                   !shell::UpgradeCheckRunning();
        },
        30000));
    EXPECT_EQ(host_.results[0], (HostWindow::Result{1, 1}));
    EXPECT_TRUE(host_.shownTexts.empty());
    EXPECT_FALSE(shell::UpgradeModuleLoaded());  // the exit path unloaded it

    EXPECT_EQ(test::ReadTestFile(dir_ / "refitter_seen.txt"),
              "__VAEL_UPGRADE_FILEMAP_KEYNAME__|VaelTessel.exe");
    const std::string bytes = test::ReadTestFile(dir_ / "refitter_block.bin");
    ASSERT_EQ(bytes.size(), kUpgradeInfoBlockSize);
    UpgradeInfoBlock block{};
    std::copy(bytes.begin(), bytes.end(), block.begin());
    EXPECT_EQ(InfoBlockNumber(block, kInfoHostWindow),
              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(host_.hwnd())));
    EXPECT_EQ(InfoBlockNumber(block, kInfoExitMessage), kExitMessage);
    EXPECT_EQ(InfoBlockNumber(block, kInfoConstantOne), 1u);
    EXPECT_EQ(InfoBlockText(block, kInfoSoftVer), "9126");
    EXPECT_EQ(InfoBlockText(block, kInfoSoftDownUrl), "http://h/p.zip");
    EXPECT_EQ(InfoBlockText(block, kInfoSoftHandworkDownUrl), "http://h/m");
    EXPECT_EQ(InfoBlockText(block, kInfoModuleDir), dir_.path());
    EXPECT_EQ(InfoBlockText(block, kInfoSoftUpDesc), "\xD0\xC2\xB0\xE6");  // 新版 in GBK
    EXPECT_EQ(InfoBlockText(block, kInfoSoftUpDate), "2024-05-01");
    EXPECT_FALSE(platform::PathExists(dir_ / "Refitter.exetmp"));
}

TEST_F(SurgewellTest, TheLabelRunsItsOwnCheckOverTheParentsBackground) {
    ASSERT_TRUE(Load());
    const HWND module = ModuleWindow();
    ASSERT_NE(module, nullptr);
    // Within reach for this test only; the program keeps it at 1 x 1.
    const auto position =
        reinterpret_cast<SetUpgradeModulePosFn>(reinterpret_cast<void*>(::GetProcAddress(
            ::GetModuleHandleA((dir_ / "Surgewell.dll").c_str()), "SetUpgradeModulePos")));
    ASSERT_EQ(position(20, 20, 320, 200), 1);
    ::SetForegroundWindow(host_.hwnd());
    ::UpdateWindow(host_.hwnd());
    test::PumpPending();
    const HWND label = ::GetDlgItem(module, IDC_UPGRADE_LINK);
    ASSERT_NE(label, nullptr);
    RECT labelArea{};
    ::GetWindowRect(label, &labelArea);
    POINT labelTopLeft{labelArea.left, labelArea.top};
    ::ScreenToClient(module, &labelTopLeft);
    EXPECT_EQ(labelTopLeft.x, 5);
    EXPECT_EQ(labelTopLeft.y, 2);
    // The window has no background of its own: the parent's shows through.
    EXPECT_EQ(test::ScreenPixel(module, 150, 150), kHostBackground);
    test::CaptureWindow(host_.hwnd(), "upgrade_module_window");

    test::ClickAt(label, 10, (labelArea.bottom - labelArea.top) / 2);
    ASSERT_TRUE(WaitForResults(1));
    EXPECT_EQ(host_.results[0], (HostWindow::Result{0, 1}));
    EXPECT_EQ(host_.shownTexts, std::vector<int>{135});
    test::PumpUntil([] { return g_moduleMessages.size() >= 2; });
    ASSERT_EQ(g_moduleMessages.size(), 2u);
    EXPECT_EQ(g_moduleMessages[0].wParam, 1u);  // the label's check begins
    EXPECT_EQ(g_moduleMessages[1].wParam, 0u);  // and ends like every check
}

}  // namespace
}  // namespace vt::upgrade
