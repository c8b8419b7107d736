// The program's side of the upgrade module: loading Surgewell.dll from the
// program's directory and configuring it for the main window, the worker that
// runs one check at a time, and unloading. One module per process. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace vt::shell {

// Loads ProgramDir + "Surgewell.dll", hands it the program's values (the main
// window, its messages UM_UPGRADE_EXIT and UM_UPGRADE_RESULT, upgradeServer
// as servers.ini's "Upgrade" value, "http://host:port", the updater's names
// and the program version) and creates its window at 1 x 1 pixels. A missing
// file or a failed load leaves the program without self-upgrade, silently:
// false. The library stays loaded until UnloadUpgradeModule, whatever exports
// it lacks. Call once, on the interface thread.
bool LoadUpgradeModule(HWND mainWindow, const std::string& programDir,
                       const std::string& upgradeServer);

// True between a successful LoadUpgradeModule and UnloadUpgradeModule.
bool UpgradeModuleLoaded();

// The check worker's body: returns at once while another check of the program
// runs; otherwise calls the module's StartCheckUpgrade with upgradeAutomatic
// as it is now (1 for the start-up check, 0 for one the user asked for). The
// module stays loaded while it runs.
void UpgradeCheckWorker(const std::atomic<int>& upgradeAutomatic);

// True while an UpgradeCheckWorker is inside its check (the flag that makes
// other workers return at once).
bool UpgradeCheckRunning();

// Runs UpgradeCheckWorker on a new thread that is never joined;
// upgradeAutomatic (the main window's field) must outlive it.
bool StartUpgradeCheckWorker(const std::atomic<int>& upgradeAutomatic);

// Destroys the module's window (when the export exists) and unloads the
// module; a running check keeps it loaded until it ends. For every exit path
// of the main window; nothing happens when no module is loaded.
void UnloadUpgradeModule();

}  // namespace vt::shell
