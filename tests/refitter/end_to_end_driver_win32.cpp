// The updater's end-to-end test, the Windows side (under wine, run by
// end_to_end.sh beside tessel-server). Each test is one phase, run alone in
// this order:
//   Install          the installer, silently, per user; the program started
//                    against the server offering the next build: the check
//                    fetches the updater and hands over, the updater ends the
//                    program, installs the signed package, and the new
//                    program starts and writes its version to ver.ini
//   TamperedPackage  the server offers a tampered package: refused, the
//                    program runs on with nothing of it changed
//   Uninstall        the uninstaller removes its files and the program's,
//                    and leaves the user's and the game's alone
// Environment: TESSEL_E2E_INSTALLER (the setup program), TESSEL_E2E_SERVER
// (the server's address), TESSEL_E2E_CURRENT and TESSEL_E2E_NEXT (build
// numbers), TESSEL_E2E_UPDATER_NEXT (the next updater's version).
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/process.h"
#include "platform/shared_memory.h"
#include "platform/system.h"
#include "refitter/refitter_face.h"
#include "refitter/refitter_window_win32.h"
#include "support/gui_win32.h"
#include "support/temp_dir.h"
#include "ui/wnd.h"

namespace vt::refitter {
namespace {

// Hang guards only: every wait ends as soon as its condition holds.
constexpr int kInstallWaitMs = 120000;
constexpr int kUpgradeWaitMs = 240000;
constexpr char kInstanceRecord[] = "vaeltessel_map";

std::string Env(const char* name) {
    return platform::GetEnv(name);
}

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

std::string InstallDir() {
    return KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\VaelTessel\\";
}

std::string GameDir() {
    return KnownFolder(CSIDL_PROFILE) + "\\VaelGame\\";
}

std::string ShortcutDir() {
    return KnownFolder(CSIDL_PROGRAMS) + "\\VaelTessel\\";
}

// The build number (last part of the file version) of a file; 0 when none.
int BuildNumberOf(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length))
        return 0;
    EXPECT_EQ(HIWORD(info->dwFileVersionMS), 1) << path;
    EXPECT_EQ(LOWORD(info->dwFileVersionMS), 2) << path;
    EXPECT_EQ(HIWORD(info->dwFileVersionLS), 0) << path;
    return LOWORD(info->dwFileVersionLS);
}

std::string VerIni() {
    char value[32] = {};
    GetPrivateProfileStringA("u", "v", "", value, sizeof value, (InstallDir() + "ver.ini").c_str());
    return value;
}

// Runs a program and waits for it to end; its exit code, or -1.
int RunAndWait(const std::string& program, const std::string& arguments, int timeoutMs) {
    std::string line = "\"" + program + "\" " + arguments;
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return -1;
    CloseHandle(info.hThread);
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

bool StartProgram() {
    const std::string exe = InstallDir() + "VaelTessel.exe";
    return platform::StartProcess(exe, "\"" + exe + "\"", InstallDir());
}

bool ProgramRunning() {
    return platform::SharedMemory::Exists(kInstanceRecord);
}

// Asks the running program to close through its window, as the tray's exit does.
bool CloseProgram() {
    platform::SharedMemory record;
    if (record.OpenExisting(kInstanceRecord, 4) == platform::SharedMemory::Result::kFailed)
        return true;
    const std::string text(reinterpret_cast<const char*>(record.data()),
                           strnlen(reinterpret_cast<const char*>(record.data()), 8));
    record.Release();
    HWND window = reinterpret_cast<HWND>(std::stoull(text, nullptr, 16));
    PostMessageA(window, WM_CLOSE, 0, 0);
    return test::PumpUntil([] { return !ProgramRunning(); }, 30000);
}

HWND UpdaterWindow() {
    return FindWindowA(kRefitterWindowClass, nullptr);
}

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST(EndToEnd, Install) {
    ASSERT_FALSE(Env("TESSEL_E2E_INSTALLER").empty());
    const int current = std::stoi(Env("TESSEL_E2E_CURRENT"));
    const int next = std::stoi(Env("TESSEL_E2E_NEXT"));
    // What an earlier, interrupted run left in this wine prefix goes first.
    ASSERT_TRUE(CloseProgram());
    for (const std::string& left : {InstallDir(), GameDir(), ShortcutDir()}) {
        if (platform::PathExists(left))
            ASSERT_TRUE(platform::RemoveTree(left)) << left;
    }

    // A silent, per-user install.
    ASSERT_EQ(RunAndWait(Env("TESSEL_E2E_INSTALLER"), "/S", kInstallWaitMs), 0);
    const std::string dir = InstallDir();
    for (const char* file : {"VaelTessel.exe", "Surgewell.dll", "Refitter.exe", "RefitterVer.ini",
                             "ImageRes\\background.png", "ImageRes\\button.png",
                             "ImageRes\\close.png", "Uninstall.exe"})
        EXPECT_TRUE(platform::PathExists(dir + file)) << file;
    EXPECT_TRUE(platform::PathExists(ShortcutDir() + "VaelTessel.lnk"));
    for (const char* file : {"VaelTessel.exe", "Surgewell.dll", "Refitter.exe"})
        EXPECT_EQ(BuildNumberOf(dir + file), current) << file;

    // The user's and the game's files, and the server to ask.
    test::WriteTestFile(dir + "servers.ini", "[Servers]\r\nCatalogue=" + Env("TESSEL_E2E_SERVER") +
                                                 "\r\nUpgrade=" + Env("TESSEL_E2E_SERVER") +
                                                 "\r\n");
    test::WriteTestFile(dir + "notes.txt", "the user's own notes");
    platform::MakeDirectory(GameDir());
    platform::MakeDirectory(GameDir() + "Interface");
    platform::MakeDirectory(GameDir() + "Interface\\Addons");
    platform::MakeDirectory(GameDir() + "Interface\\Addons\\MyAddon");
    test::WriteTestFile(GameDir() + "Interface\\Addons\\MyAddon\\MyAddon.lua", "-- mine");
    test::WriteTestFile(dir + "config", "[Setting]\r\nGamePath=" + GameDir() + "vael.exe\r\n");

    // The program's start-up check brings the next build in.
    ASSERT_TRUE(StartProgram());
    const bool upgraded = test::PumpUntil(
        [&] {
            return VerIni() == std::to_string(next) && ProgramRunning() &&
                   UpdaterWindow() == nullptr &&
                   !platform::PathExists(dir + "RefitterWork\\journal.txt");
        },
        kUpgradeWaitMs);
    ASSERT_TRUE(upgraded) << "ver.ini says " << VerIni() << ", updater window "
                          << (UpdaterWindow() ? WindowText(UpdaterWindow()) : "gone");
    EXPECT_EQ(BuildNumberOf(dir + "VaelTessel.exe"), next);
    EXPECT_EQ(BuildNumberOf(dir + "Surgewell.dll"), next);
    // The updater itself was fetched anew (its version file came with it).
    EXPECT_EQ(BuildNumberOf(dir + "Refitter.exe"), next);
    char updater[16] = {};
    GetPrivateProfileStringA("UpdateVer", "ver", "", updater, sizeof updater,
                             (dir + "RefitterVer.ini").c_str());
    EXPECT_EQ(std::string(updater), Env("TESSEL_E2E_UPDATER_NEXT"));
    // Nothing of the updater's work is left, and nothing of the user's lost.
    EXPECT_FALSE(platform::PathExists(dir + "RefitterWork\\backup"));
    EXPECT_FALSE(platform::PathExists(dir + "RefitterWork\\stage"));
    EXPECT_FALSE(platform::PathExists(dir + "release.ini"));
    EXPECT_EQ(test::ReadTestFile(dir + "notes.txt"), "the user's own notes");
    EXPECT_NE(test::ReadTestFile(dir + "servers.ini"), "");
    EXPECT_NE(test::ReadTestFile(dir + "config"), "");
    EXPECT_TRUE(CloseProgram());
}

TEST(EndToEnd, TamperedPackage) {
    const std::string dir = InstallDir();
    const int next = std::stoi(Env("TESSEL_E2E_NEXT"));
    const std::string program = test::ReadTestFile(dir + "VaelTessel.exe");
    const std::string module = test::ReadTestFile(dir + "Surgewell.dll");
    ASSERT_FALSE(program.empty());
    ui::SetResourceModule(GetModuleHandleA(nullptr));
    const std::string refused =
        ui::LoadText(kTextCaption) + " - " + ui::LoadText(FailureText(Failure::kSignatureRefused));

    ASSERT_TRUE(StartProgram());
    const bool shown = test::PumpUntil(
        [&] { return UpdaterWindow() != nullptr && WindowText(UpdaterWindow()) == refused; },
        kUpgradeWaitMs);
    ASSERT_TRUE(shown) << (UpdaterWindow() ? WindowText(UpdaterWindow()) : "no updater window");
    test::CaptureWindow(UpdaterWindow(), "refitter_end_to_end_refused");

    // The program was never stopped, and nothing of it changed.
    EXPECT_TRUE(ProgramRunning());
    EXPECT_EQ(VerIni(), std::to_string(next));
    EXPECT_EQ(test::ReadTestFile(dir + "VaelTessel.exe"), program);
    EXPECT_EQ(test::ReadTestFile(dir + "Surgewell.dll"), module);
    EXPECT_EQ(test::ReadTestFile(dir + "notes.txt"), "the user's own notes");
    EXPECT_FALSE(platform::PathExists(dir + "RefitterWork\\incoming"));

    PostMessageA(UpdaterWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::PumpUntil([] { return UpdaterWindow() == nullptr; }, 30000));
    EXPECT_TRUE(CloseProgram());
}

TEST(EndToEnd, Uninstall) {
    const std::string dir = InstallDir();
    ASSERT_TRUE(platform::PathExists(dir + "Uninstall.exe"));
    ASSERT_FALSE(ProgramRunning());
    // The uninstaller copies itself away and returns; its work shows on disk.
    ASSERT_EQ(RunAndWait(dir + "Uninstall.exe", "/S", kInstallWaitMs), 0);
    ASSERT_TRUE(test::PumpUntil([&] { return !platform::PathExists(dir + "Uninstall.exe"); },
                                kInstallWaitMs));
    for (const char* gone : {"VaelTessel.exe", "Surgewell.dll", "Refitter.exe", "RefitterVer.ini",
                             "ImageRes", "config", "ver.ini", "RefitterWork", "Download"})
        EXPECT_FALSE(platform::PathExists(dir + gone)) << gone;
    EXPECT_FALSE(platform::PathExists(ShortcutDir() + "VaelTessel.lnk"));
    // What it did not put there stays: the user's file (so the folder too),
    // the server list the user wrote, and the game with its addons.
    EXPECT_EQ(test::ReadTestFile(dir + "notes.txt"), "the user's own notes");
    EXPECT_TRUE(platform::PathExists(dir + "servers.ini"));
    EXPECT_EQ(test::ReadTestFile(GameDir() + "Interface\\Addons\\MyAddon\\MyAddon.lua"), "-- mine");
}

}  // namespace
}  // namespace vt::refitter
