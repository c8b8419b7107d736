#include "addons/addon_removal.h"

#include "addons/addon_paths.h"
#include "addons/addon_state.h"
#include "addons/reload_all.h"
#include "addons/update_backup.h"
#include "platform/files.h"
#include "settings/app_state.h"

namespace vt::addons {

int UpdateAll(AddonLibrary& library) {
    int posted = 0;
    for (const AddonRecord& entry : *library.localAddons()) {
        if (!HasUpdate(entry))
            continue;
        library.window().PostInstallAddon(entry.Id, 0);
        ++posted;
    }
    return posted;
}

bool DeleteAddon(AddonLibrary& library, int32_t id) {
    const std::shared_ptr<const LocalAddonList> local = library.localAddons();
    const AddonRecord* entry = FindLocalAddon(*local, id);
    const std::string addonDir = AddonDir(library.app().GameDir());
    if (entry == nullptr)
        return false;
    const ManagerScope manager(library);
    if (!manager.held()) {
        library.window().ShowAnotherManagerWorking();
        return false;
    }
    std::lock_guard<std::mutex> lock(library.addonDirMutex());
    if (!addonDir.empty()) {
        std::vector<std::string> folders{entry->Folder};
        folders.insert(folders.end(), entry->SubFolders.begin(), entry->SubFolders.end());
        for (const std::string& name : folders) {
            if (IsPlainFolderName(name) && platform::IsDirectory(addonDir + "\\" + name))
                DiscardEntry(addonDir, addonDir + "\\" + name);
        }
    }
    library.RemoveLocalAddon(id);
    return true;
}

bool DeleteAllAddons(AddonLibrary& library) {
    const std::string addonDir = AddonDir(library.app().GameDir());
    bool done = true;
    if (!addonDir.empty()) {
        const ManagerScope manager(library);
        if (!manager.held()) {
            library.window().ShowAnotherManagerWorking();
            return false;
        }
        std::lock_guard<std::mutex> lock(library.addonDirMutex());
        // Settled first: an interrupted install must neither bring an old
        // version back into the emptied directory nor be left half done.
        RecoverInterruptedUpdates(addonDir,
                                  [&library](int32_t id) { return library.IsUpdating(id); });
        done = DiscardEntry(addonDir, addonDir);
        platform::MakeDirectoryPath(addonDir);
    }
    StartReloadAll(library);
    return done;
}

}  // namespace vt::addons
