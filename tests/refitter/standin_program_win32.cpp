// A stand-in for VaelTessel.exe in the updater's end-to-end test, doing
// exactly what the updater relies on of the program: one copy at a time
// through the shared block "vaeltessel_map" holding its window's handle,
// "ver.ini" written at start with the build number of its own version
// resource, the upgrade module bound and its start-up check run, and an
// orderly exit on the module's exit message (3038) or WM_CLOSE.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/system.h"
#include "settings/server_config.h"
#include "shell/upgrade_host.h"

namespace {

constexpr char kInstanceRecord[] = "vaeltessel_map";
constexpr UINT kActivateInstance = 3037;
constexpr UINT kUpgradeExit = 3038;

std::atomic<int> upgradeAutomatic{0};

// The build number: the last part of the executable's file version.
int OwnBuildNumber() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length))
        return 0;
    return static_cast<int>(LOWORD(info->dwFileVersionLS));
}

void ExitInOrder(HWND window) {
    vt::shell::UnloadUpgradeModule();
    DestroyWindow(window);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kUpgradeExit:
        case WM_CLOSE:
            ExitInOrder(window);
            return 0;
        case kActivateInstance:
            ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A second copy wakes the first and ends.
    if (HANDLE existing = OpenFileMappingA(FILE_MAP_READ, FALSE, kInstanceRecord)) {
        if (const char* text =
                static_cast<const char*>(MapViewOfFile(existing, FILE_MAP_READ, 0, 0, 0))) {
            const uintptr_t handle =
                std::strtoull(std::string(text, strnlen(text, 8)).c_str(), nullptr, 16);
            PostMessageA(reinterpret_cast<HWND>(handle), kActivateInstance, 0, 0);
            UnmapViewOfFile(text);
        }
        CloseHandle(existing);
        return 0;
    }
    const std::string programDir = vt::platform::DefaultProgramDirectory();

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "VaelTesselStandIn";
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(128));
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("VaelTesselStandIn", "VaelTessel", WS_OVERLAPPEDWINDOW, 40, 40, 320,
                                120, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);

    // The record lives exactly as long as this process.
    HANDLE record =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, kInstanceRecord);
    if (record && GetLastError() != ERROR_ALREADY_EXISTS) {
        if (char* view = static_cast<char*>(MapViewOfFile(record, FILE_MAP_WRITE, 0, 0, 0))) {
            std::snprintf(view, 9, "%x",
                          static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)));
            UnmapViewOfFile(view);
        }
    }
    WritePrivateProfileStringA("u", "v", std::to_string(OwnBuildNumber()).c_str(),
                               (programDir + "ver.ini").c_str());

    vt::shell::LoadUpgradeModule(window, programDir,
                                 vt::settings::LoadServerConfig(programDir).upgrade);
    upgradeAutomatic = 1;
    vt::shell::StartUpgradeCheckWorker(upgradeAutomatic);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
