// Turning install requests into installed addon folders: the request handler
// on the user-interface thread and the worker that drains DownloadQueue.
#pragma once

#include <cstdint>

#include "addons/addon_library.h"

namespace vt::addons {

// RequestInstall's results.
enum InstallRequestResult {
    kRequestQueued = 0,
    kRequestNoGameDir = 1,       // the game-path dialog ran instead
    kRequestAlreadyCurrent = 2,  // installed and current: message 192
    kRequestAlreadyListed = 3,   // queued already, or a row without an update: message 192
};

// The UM_INSTALL_ADDON handler (user-interface thread): checks the request,
// queues id, sends the usage ping (on a worker of its own), adds a row at
// progress 0 and starts InstallWorker.
int RequestInstall(AddonLibrary& library, int32_t id, int closePopup);

// Drains DownloadQueue, last queued first, then starts ReloadAll. A worker
// started while another drains ends at once.
void InstallWorker(AddonLibrary& library);

// Downloads and installs one addon; true when installed.
bool InstallOne(AddonLibrary& library, int32_t id);

}  // namespace vt::addons
