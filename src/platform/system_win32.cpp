// windows.h first: the shell headers build on its types.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <memory>

#include "platform/code_page.h"
#include "platform/system.h"
#include "platform/wide_path_win32.h"

namespace vt::platform {

void SleepMs(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

uint64_t TickCountMs() {
    return GetTickCount64();
}

bool StartThread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    const auto run = [](LPVOID parameter) -> DWORD {
        std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(parameter));
        (*job)();
        return 0;
    };
    HANDLE thread = CreateThread(nullptr, 0, run, owned.get(), 0, nullptr);
    if (thread == nullptr)
        return false;
    owned.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

std::string ModulePath() {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD size = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
    return size > 0 && size < MAX_PATH * 2 ? FromWidePath(std::wstring(buffer, size))
                                           : std::string();
}

std::string GetEnv(const char* name) {
    const std::u16string wideName = Utf8ToUtf16(name);
    const auto* key = reinterpret_cast<const wchar_t*>(wideName.c_str());
    const DWORD size = GetEnvironmentVariableW(key, nullptr, 0);
    if (size == 0)
        return std::string();
    std::u16string value(size, u'\0');
    const DWORD got = GetEnvironmentVariableW(key, reinterpret_cast<wchar_t*>(value.data()), size);
    value.resize(got < size ? got : 0);
    return Utf16ToUtf8(value);
}

void SetEnv(const char* name, const std::string& value) {
    const std::u16string wideName = Utf8ToUtf16(name);
    const std::u16string wideValue = Utf8ToUtf16(value);
    SetEnvironmentVariableW(
        reinterpret_cast<const wchar_t*>(wideName.c_str()),
        value.empty() ? nullptr : reinterpret_cast<const wchar_t*>(wideValue.c_str()));
}

std::string DefaultProgramDirectory() {
    const std::string path = ModulePath();
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string DocumentsFolder() {
    const std::string overridden = GetEnv("VAEL_DOCUMENTS");
    if (!overridden.empty()) {
        std::string folder = Utf8ToLocal(overridden);
        while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
            folder.pop_back();
        }
        return folder;
    }
    LPITEMIDLIST list = nullptr;
    if (SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &list) != S_OK)
        return std::string();
    char path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListA(list, path) != 0;
    CoTaskMemFree(list);
    if (!found)
        return std::string();
    char longPath[MAX_PATH * 2] = {};
    const DWORD size = GetLongPathNameA(path, longPath, sizeof longPath);
    return size > 0 && size < sizeof longPath ? std::string(longPath, size) : std::string(path);
}

void DebugOutput(const std::string& text) {
    OutputDebugStringA(text.c_str());
}

std::vector<std::string> CommandLineArgsUtf8(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return args;
    for (int i = 1; i < count; ++i) {
        args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    }
    LocalFree(wide);
    return args;
}

namespace {
std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (interrupted.exchange(true))
        return FALSE;  // the second one ends the process
    return TRUE;
}
}  // namespace

void CatchInterrupts() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool InterruptRequested() {
    return interrupted;
}

}  // namespace vt::platform
