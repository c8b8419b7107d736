#include "shell/upgrade_host.h"

#include <mutex>

#include "platform/files.h"
#include "platform/system.h"
#include "settings/settings.h"
#include "upgrade/module_binding.h"

namespace vt::shell {

namespace {

struct Binding {
    std::mutex mutex;
    HMODULE library = nullptr;
    upgrade::UpgradeModuleExports exports;
};

Binding& State() {
    static Binding binding;
    return binding;
}

// Set while a check of the program runs; a second request returns at once.
std::atomic<bool> upgradeCheckRunning{false};

template <typename Function>
Function Export(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

upgrade::UpgradeModuleExports LookUpExports(HMODULE library) {
    upgrade::UpgradeModuleExports e;
    e.createUpgradeModule = Export<upgrade::CreateUpgradeModuleFn>(library, "CreateUpgradeModule");
    e.setUpgradeModulePos = Export<upgrade::SetUpgradeModulePosFn>(library, "SetUpgradeModulePos");
    e.destroyUpgradeModule =
        Export<upgrade::DestroyUpgradeModuleFn>(library, "DestroyUpgradeModule");
    e.setFrameTextColor = Export<upgrade::SetFrameTextColorFn>(library, "SetFrameTextColor");
    e.setMainWndAndMsgForEx =
        Export<upgrade::SetMainWndAndMsgForExFn>(library, "SetMainWndAndMsgForEx");
    e.setNetInterfaceInfo = Export<upgrade::SetNetInterfaceInfoFn>(library, "SetNetInterfaceInfo");
    e.setRefitterInfo = Export<upgrade::SetRefitterInfoFn>(library, "SetRefitterInfo");
    e.setUpgradeInfo = Export<upgrade::SetUpgradeInfoFn>(library, "SetUpgradeInfo");
    e.startCheckUpgrade = Export<upgrade::StartCheckUpgradeFn>(library, "StartCheckUpgrade");
    return e;
}

}  // namespace

bool LoadUpgradeModule(HWND mainWindow, const std::string& programDir,
                       const std::string& upgradeServer) {
    Binding& binding = State();
    const std::string path = programDir + upgrade::kUpgradeModuleFile;
    if (UpgradeModuleLoaded() || !platform::PathExists(path) || platform::IsDirectory(path))
        return false;
    // A module that cannot load is no reason for the system to show a box.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const HMODULE library = ::LoadLibraryA(path.c_str());
    ::SetThreadErrorMode(previousMode, nullptr);
    if (library == nullptr)
        return false;
    const upgrade::UpgradeModuleExports exports = LookUpExports(library);
    {
        std::lock_guard<std::mutex> lock(binding.mutex);
        binding.library = library;
        binding.exports = exports;
    }
    upgrade::ConfigureUpgradeModule(
        exports, mainWindow,
        upgrade::ProgramUpgradeValues(programDir, upgradeServer, settings::kProgramVersion));
    return true;
}

bool UpgradeModuleLoaded() {
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().library != nullptr;
}

void UpgradeCheckWorker(const std::atomic<int>& upgradeAutomatic) {
    bool idle = false;
    if (!upgradeCheckRunning.compare_exchange_strong(idle, true))
        return;
    upgrade::StartCheckUpgradeFn start = nullptr;
    HMODULE pin = nullptr;
    {
        Binding& binding = State();
        std::lock_guard<std::mutex> lock(binding.mutex);
        start = binding.exports.startCheckUpgrade;
        // Another reference keeps the module's code in place while it runs.
        if (start != nullptr && !::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                                      reinterpret_cast<LPCSTR>(start), &pin))
            start = nullptr;
    }
    if (start != nullptr) {
        start(upgradeAutomatic.load());
        ::FreeLibrary(pin);
    }
    upgradeCheckRunning = false;
}

bool UpgradeCheckRunning() {
    return upgradeCheckRunning.load();
}

bool StartUpgradeCheckWorker(const std::atomic<int>& upgradeAutomatic) {
    return platform::StartThread([&upgradeAutomatic] { UpgradeCheckWorker(upgradeAutomatic); });
}

void UnloadUpgradeModule() {
    Binding& binding = State();
    std::lock_guard<std::mutex> lock(binding.mutex);
    if (binding.library == nullptr)
        return;
    if (binding.exports.destroyUpgradeModule)
        binding.exports.destroyUpgradeModule();
    ::FreeLibrary(binding.library);
    binding.library = nullptr;
    binding.exports = upgrade::UpgradeModuleExports{};
}

}  // namespace vt::shell
