// Surgewell.dll: the upgrade module's nine exports over one set of settings
// and at most one module window. The module links its own copy of the window
// layer, whose resource module is this file, so dialog 9000 comes from here
// whatever the calling program's resources are.
#include <windows.h>

#include <memory>
#include <mutex>

#include "ui/wnd.h"
#include "upgrade/module_binding.h"
#include "upgrade/upgrade_window_win32.h"

namespace vt::upgrade {

namespace {

HINSTANCE g_module = nullptr;

// The module-wide state: written by the set-up exports on the program's
// interface thread, read by every check.
struct Module {
    std::mutex mutex;
    UpgradeSettings settings;
    std::unique_ptr<UpgradeWindow> window;
};

Module& State() {
    static Module module;
    return module;
}

UpgradeSettings Settings() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().settings;
}

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

// The directory of this module's file, with its trailing backslash.
std::string ModuleDirectory(HINSTANCE module) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    const std::string full(path, length < MAX_PATH ? length : 0);
    const size_t separator = full.find_last_of('\\');
    return separator == std::string::npos ? std::string() : full.substr(0, separator + 1);
}

bool HasSystemWindow(const std::unique_ptr<UpgradeWindow>& window) {
    return window && window->IsWindow();
}

}  // namespace

}  // namespace vt::upgrade

using vt::upgrade::State;

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        vt::upgrade::g_module = module;
        ::DisableThreadLibraryCalls(module);
        vt::ui::SetResourceModule(module);
        State().settings.moduleDir = vt::upgrade::ModuleDirectory(module);
    }
    return TRUE;
}

extern "C" {

int CreateUpgradeModule(void* parent) {
    auto& module = State();
    {
        std::lock_guard<std::mutex> lock(module.mutex);
        if (module.window)
            return 0;
    }
    // Made outside the lock: its initialisation reads the settings.
    auto window =
        std::make_unique<vt::upgrade::UpgradeWindow>(vt::upgrade::g_module, vt::upgrade::Settings);
    if (window->CreateModeless(static_cast<HWND>(parent)))
        window->Show(true);
    std::lock_guard<std::mutex> lock(module.mutex);
    module.window = std::move(window);
    return 1;
}

int SetUpgradeModulePos(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    auto& module = State();
    if (!vt::upgrade::HasSystemWindow(module.window))
        return 0;
    ::MoveWindow(module.window->hwnd(), left, top, right - left, bottom - top, TRUE);
    return 1;
}

int DestroyUpgradeModule() {
    auto& module = State();
    std::unique_ptr<vt::upgrade::UpgradeWindow> window;
    {
        std::lock_guard<std::mutex> lock(module.mutex);
        if (!vt::upgrade::HasSystemWindow(module.window))
            return 0;
        window = std::move(module.window);
    }
    window->Destroy();
    return 1;
}

void SetFrameTextColor(uint32_t normal, uint32_t hover, uint32_t pressed) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().settings.textColorNormal = normal;
    State().settings.textColorHover = hover;
    State().settings.textColorPressed = pressed;
}

void SetMainWndAndMsgForEx(void* window, unsigned exitMessage, unsigned resultMessage) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().settings.hostWindow = reinterpret_cast<uintptr_t>(window);
    State().settings.exitMessage = exitMessage;
    State().settings.resultMessage = resultMessage;
}

void SetNetInterfaceInfo(const char* host, const char* path, const char* key) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().settings.serverHost = vt::upgrade::Text(host);
    State().settings.interfacePath = vt::upgrade::Text(path);
    State().settings.interfaceKey = vt::upgrade::Text(key);
}

void SetRefitterInfo(const char* exeName, const char* iniSection, const char* iniKey,
                     const char* iniPath) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().settings.refitterExeName = vt::upgrade::Text(exeName);
    State().settings.refitterIniSection = vt::upgrade::Text(iniSection);
    State().settings.refitterIniKey = vt::upgrade::Text(iniKey);
    State().settings.refitterIniPath = vt::upgrade::Text(iniPath);
}

void SetUpgradeInfo(int32_t currentVersion, const char* projectName, const char* mapName,
                    const char* hostExeName) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().settings.currentVersion = currentVersion;
    State().settings.projectName = vt::upgrade::Text(projectName);
    State().settings.mapName = vt::upgrade::Text(mapName);
    State().settings.hostExeName = vt::upgrade::Text(hostExeName);
}

void StartCheckUpgrade(int automatic) {
    std::shared_ptr<vt::upgrade::UpgradeWindowShared> shared;
    {
        // The window belongs to the interface thread: only its shared part is
        // taken here, and it keeps a check safe when the window goes.
        std::lock_guard<std::mutex> lock(State().mutex);
        if (State().window)
            shared = State().window->shared();
    }
    if (!shared || !::IsWindow(shared->hwnd.load()))
        return;
    if (automatic == 0)
        shared->userRequested = 1;
    vt::upgrade::RunWindowCheck(vt::upgrade::Settings(), shared);
    shared->userRequested = 0;
}

}  // extern "C"
