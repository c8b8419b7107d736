#include "addons/addon_removal.h"

#include "addons/addon_paths.h"
#include "addons/addon_state.h"
#include "addons/reload_all.h"
#include "addons/update_backup.h"
#include "settings/directory_helpers.h"

namespace vt {

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
    const std::string addonDir = AddonDir();
    if (entry == nullptr)
        return false;
    if (!addonDir.empty()) {
        if (IsPlainFolderName(entry->Folder))
            DeleteDirectoryTree(addonDir + "\\" + entry->Folder);
        for (const std::string& name : entry->SubFolders) {
            if (IsPlainFolderName(name))
                DeleteDirectoryTree(addonDir + "\\" + name);
        }
    }
    library.RemoveLocalAddon(id);
    return true;
}

void DeleteAllAddons(AddonLibrary& library) {
    const std::string addonDir = AddonDir();
    if (!addonDir.empty()) {
        DeleteDirectoryTree(addonDir);
        MakeDirectoryPath(addonDir);
        // Old versions set aside by an interrupted update would come back.
        DiscardInterruptedUpdates([&library](int32_t id) { return library.IsUpdating(id); });
    }
    StartReloadAll(library);
}

}  // namespace vt
