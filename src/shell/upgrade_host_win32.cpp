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
    UpgradeModuleExports exports;
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

UpgradeModuleExports LookUpExports(HMODULE library) {
    UpgradeModuleExports e;
    e.createUpgradeModule = Export<CreateUpgradeModuleFn>(library, "CreateUpgradeModule");
    e.setUpgradeModulePos = Export<SetUpgradeModulePosFn>(library, "SetUpgradeModulePos");
    e.destroyUpgradeModule = Export<DestroyUpgradeModuleFn>(library, "DestroyUpgradeModule");
    e.setFrameTextColor = Export<SetFrameTextColorFn>(library, "SetFrameTextColor");
    e.setMainWndAndMsgForEx = Export<SetMainWndAndMsgForExFn>(library, "SetMainWndAndMsgForEx");
    e.setNetInterfaceInfo = Export<SetNetInterfaceInfoFn>(library, "SetNetInterfaceInfo");
    e.setRefitterInfo = Export<SetRefitterInfoFn>(library, "SetRefitterInfo");
    e.setUpgradeInfo = Export<SetUpgradeInfoFn>(library, "SetUpgradeInfo");
    e.startCheckUpgrade = Export<StartCheckUpgradeFn>(library, "StartCheckUpgrade");
    return e;
}

}  // namespace

bool LoadUpgradeModule(HWND mainWindow, const std::string& programDir,
                       const std::string& upgradeServer) {
    Binding& binding = State();
    const std::string path = programDir + kUpgradeModuleFile;
    if (UpgradeModuleLoaded() || !platform::PathExists(path) || platform::IsDirectory(path))
        return false;
    // A module that cannot load is no reason for the system to show a box.
    DWORD previousMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    const HMODULE library = ::LoadLibraryA(path.c_str());
    ::SetThreadErrorMode(previousMode, nullptr);
    if (library == nullptr)
        return false;
    const UpgradeModuleExports exports = LookUpExports(library);
    {
        std::lock_guard<std::mutex> lock(binding.mutex);
        binding.library = library;
        binding.exports = exports;
    }
    ConfigureUpgradeModule(exports, mainWindow,
                           ProgramUpgradeValues(programDir, upgradeServer, kProgramVersion));
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
    StartCheckUpgradeFn start = nullptr;
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
    binding.exports = UpgradeModuleExports{};
}

}  // namespace vt::shell
