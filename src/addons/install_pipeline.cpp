#include "addons/install_pipeline.h"

#include <string>

#include "addons/addon_state.h"
#include "addons/archive_install.h"
#include "addons/reload_all.h"
#include "addons/usage_ping.h"
#include "settings/app_state.h"

namespace vt::addons {

namespace {

// A row at the top for the catalogue record of id, at progress 0; nothing
// when the catalogue does not know id.
void InsertRequestedRow(AddonLibrary& library, int32_t id) {
    const std::shared_ptr<const Catalogue> catalogue = library.catalogue();
    const auto record = catalogue->find(id);
    if (record == catalogue->end())
        return;
    library.list().InsertRow(0, id, record->second.Name, 0);
    library.list().SetProgress(id, 0);
}

void Report(AddonLibrary& library, int32_t id, InstallOutcome outcome,
            net::DownloadResult detail = net::kDownloaded) {
    if (InstallObserver* observer = library.installObserver())
        observer->OnInstallFinished(id, outcome, detail);
}

}  // namespace

int RequestInstall(AddonLibrary& library, int32_t id, int closePopup) {
    AddonWindow& window = library.window();
    AddonListControl& list = library.list();
    if (closePopup != 0)
        window.ClosePopupWindow();
    if (library.app().GameDir().empty()) {
        if (window.RunGamePathDialog())
            StartReloadAll(library);
        return kRequestNoGameDir;
    }
    const std::shared_ptr<const LocalAddonList> local = library.localAddons();
    bool installedWithUpdate = false;
    for (const AddonRecord& entry : *local) {
        if (entry.Id != id)
            continue;
        if (!HasUpdate(entry)) {
            window.ShowMessage(kStringAlreadyAdded);
            return kRequestAlreadyCurrent;
        }
        installedWithUpdate = true;
    }
    if (list.FindKey(id) >= 0 && !installedWithUpdate) {
        window.ShowMessage(kStringAlreadyAdded);
        return kRequestAlreadyListed;
    }
    library.QueueInstall(id);
    // The ping would block this thread for a whole exchange; it runs beside.
    library.StartWorker(
        [&library, id] { SendUsagePing(library.servers(), id, library.options().serverAnswerMs); });
    if (list.FindKey(id) < 0)
        InsertRequestedRow(library, id);
    library.StartWorker([&library] { InstallWorker(library); });
    return kRequestQueued;
}

void InstallWorker(AddonLibrary& library) {
    AddonWindow& window = library.window();
    window.PostListState(kViewListVisible, 1);
    window.PostListState(kViewRedraw, 1);
    if (!library.TryBeginDraining())
        return;
    for (;;) {
        window.PostListState(kViewNotBusy, 0);
        {
            // The whole drain is one manager's turn: no other copy may touch
            // the Download directory or the addons meanwhile.
            const ManagerScope manager(library);
            if (!manager.held())
                window.ShowAnotherManagerWorking();
            int32_t id = 0;
            while (library.TakeLastQueued(id)) {
                if (!manager.held()) {
                    Report(library, id, InstallOutcome::kManagerBusy);
                } else if (library.TransfersCancelled()) {
                    Report(library, id, InstallOutcome::kDownloadFailed, net::kDownloadCancelled);
                } else {
                    InstallOne(library, id);
                }
            }
        }
        window.PostListState(kViewNotBusy, 1);
        StartReloadAll(library);
        library.EndDraining();
        // An Id queued after the last take, by a request whose own worker
        // found the flag still set, would wait for the next request: take it.
        if (library.QueueEmpty() || !library.TryBeginDraining())
            return;
    }
}

bool InstallOne(AddonLibrary& library, int32_t id) {
    AddonListControl& list = library.list();
    const std::shared_ptr<const LocalAddonList> local = library.localAddons();
    const bool isUpdate = FindLocalAddon(*local, id) != nullptr;
    if (isUpdate) {
        list.SetProgress(id, 0);
    } else if (list.FindKey(id) < 0) {
        InsertRequestedRow(library, id);
    }

    std::string url;
    {
        const std::shared_ptr<const Catalogue> catalogue = library.catalogue();
        const auto record = catalogue->find(id);
        if (record == catalogue->end()) {
            Report(library, id, InstallOutcome::kNotInCatalogue);
            return false;
        }
        url = record->second.Url;
    }
    std::string archivePath;
    const net::DownloadResult result = DownloadArchive(library, id, url, archivePath);
    if (result != net::kDownloaded && result != net::kAlreadyCurrent) {
        Report(library, id, InstallOutcome::kDownloadFailed, result);
        return false;
    }
    const InstallOutcome outcome = InstallArchive(library, id, archivePath, isUpdate);
    Report(library, id, outcome, result);
    if (outcome != InstallOutcome::kInstalled)
        return false;

    // Once the owner is stopping, its window may no longer answer.
    if (!library.TransfersCancelled()) {
        net::DownloadProgress installed;
        installed.user1 = id;
        installed.user2 = -1;
        installed.user3 = -1;
        library.window().SendDownloadProgress(kProgressInstalled, installed);
    }
    return true;
}

}  // namespace vt::addons
