// tessel.exe on a Windows console and on character devices: Chinese arrives
// whole whatever the console's code page, the code page is the same after the
// run, NUL counts as a character device (so its output is buffered), and a
// path the code page cannot spell is refused.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/code_page.h"
#include "platform/console.h"
#include "platform/system.h"
#include "support/temp_dir.h"

namespace vt::cli {
namespace {

// The front end under test, as a Windows path (CTest hands a POSIX one to wine).
std::wstring TesselExe() {
    std::string path = platform::GetEnv("TESSEL_EXE");
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            if (c == '/')
                c = '\\';
        }
    }
    const std::u16string wide = platform::Utf8ToUtf16(path);
    return std::wstring(wide.begin(), wide.end());
}

std::wstring Wide(const std::string& utf8) {
    const std::u16string wide = platform::Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

// Runs tessel.exe with arguments, stdout and stderr on output; the exit code.
DWORD RunTessel(const std::wstring& arguments, HANDLE output) {
    std::wstring line = L"\"" + TesselExe() + L"\" " + arguments;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = output;
    start.hStdError = output;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                        &process))
        return 0xFFFFFFFF;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST(ConsoleTest, ChineseArrivesWholeAndTheCodePageStays) {
    // A console of the test's own, whatever wine attached to it.
    FreeConsole();
    if (!AllocConsole())
        GTEST_SKIP() << "no console can be made here";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE screen =
        CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inherit, CONSOLE_TEXTMODE_BUFFER, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
    // Some consoles (wine's headless one) take no writes or give nothing back.
    wchar_t probe[2] = {};
    DWORD probed = 0;
    if (!WriteConsoleW(screen, L"ok", 2, &probed, nullptr) ||
        !ReadConsoleOutputCharacterW(screen, probe, 2, COORD{0, 0}, &probed) || probed != 2) {
        CloseHandle(screen);
        FreeConsole();
        GTEST_SKIP() << "this console cannot be written and read back";
    }
    SetConsoleOutputCP(936);
    const UINT before = GetConsoleOutputCP();
    EXPECT_EQ(RunTessel(L"help", screen), 0u);
    EXPECT_EQ(GetConsoleOutputCP(), before);

    std::wstring text(80 * 60, L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, text.data(), static_cast<DWORD>(text.size()),
                                            COORD{0, 0}, &read));
    text.resize(read);
    EXPECT_NE(text.find(Wide("用法: tessel")), std::wstring::npos);
    EXPECT_NE(text.find(Wide("显示程序目录、游戏路径")), std::wstring::npos);
    CloseHandle(screen);
    FreeConsole();
}

TEST(ConsoleTest, NulIsACharacterDeviceAndGetsTheWholeOutput) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, nul);
    EXPECT_EQ(platform::KindOfStream(platform::StdStream::kOut), platform::StreamKind::kCharDevice);
    EXPECT_TRUE(platform::WriteStream(platform::StdStream::kOut, "用法\n"));
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    EXPECT_EQ(RunTessel(L"help", nul), 0u);
    CloseHandle(nul);
}

TEST(ConsoleTest, APathTheCodePageCannotSpellIsRefused) {
    test::TempDir program;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    const std::wstring dir = Wide(platform::LocalToUtf8(program.path()));
    const std::wstring game = dir + Wide("游戏\xF0\x9F\x8E\xAE.exe");
    HANDLE file = CreateFileW(game.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(RunTessel(L"--program-dir \"" + dir + L"prog\" set-game-path \"" + game + L"\"", nul),
              1u);
    EXPECT_EQ(GetFileAttributesW((dir + L"prog\\config").c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(game.c_str());
    CloseHandle(nul);
}

}  // namespace
}  // namespace vt::cli
