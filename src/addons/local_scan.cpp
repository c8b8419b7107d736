#include "addons/local_scan.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "addons/addon_paths.h"
#include "addons/addon_state.h"
#include "addons/update_backup.h"
#include "addons/version_file.h"
#include "platform/files.h"
#include "settings/app_state.h"
#include "settings/settings.h"

namespace vt::addons {

namespace {

constexpr int32_t kFirstLocalNumber = 20001;

FoundFolders ReadFolders(const std::string& addonDir, const std::vector<std::string>& names) {
    FoundFolders found;
    std::vector<const std::string*> managed;
    for (const std::string& name : names) {
        if (platform::PathExists(addonDir + "\\" + name + "\\" + kVersionFileName)) {
            managed.push_back(&name);
        } else {
            AddonRecord record;
            record.Id = -1;
            record.Folder = name;
            found.records.push_back(std::move(record));
        }
    }
    for (const std::string* name : managed) {
        VersionHeaders headers =
            ReadVersionHeaders(addonDir + "\\" + *name + "\\" + kVersionFileName);
        if (!headers.projectName.empty() && headers.projectName != *name) {
            found.subFolders.emplace_back(*name, std::move(headers.projectName));
        } else {
            AddonRecord record;
            record.Folder = *name;
            record.Ver = std::move(headers.updateVer);
            found.records.push_back(std::move(record));
        }
    }
    return found;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> MatchFolders(const FoundFolders& found,
                                                              const Catalogue& catalogue,
                                                              LocalAddonList& local) {
    // The first record in ascending Id for each Folder.
    std::unordered_map<std::string_view, const AddonRecord*> byFolder;
    byFolder.reserve(catalogue.size());
    for (const auto& [id, record] : catalogue)
        byFolder.emplace(record.Folder, &record);

    local.clear();
    int32_t nextLocal = kFirstLocalNumber;
    for (const AddonRecord& folder : found.records) {
        const auto match = byFolder.find(folder.Folder);
        if (match != byFolder.end()) {
            AddonRecord entry = *match->second;
            entry.Ver = UpdateMarker(entry.Ver, folder.Ver);
            local.push_back(std::move(entry));
        } else if (folder.Id == -1) {
            AddonRecord entry = folder;
            entry.Id = nextLocal++;
            local.push_back(std::move(entry));
        }
    }

    std::unordered_map<std::string_view, size_t> entryOfFolder;
    for (size_t i = local.size(); i-- > 0;)
        entryOfFolder[local[i].Folder] = i;
    std::vector<std::pair<std::string, std::string>> orphans;
    for (const auto& pair : found.subFolders) {
        const auto entry = entryOfFolder.find(pair.second);
        if (entry != entryOfFolder.end()) {
            local[entry->second].SubFolders.push_back(pair.first);
        } else {
            orphans.push_back(pair);
        }
    }
    return orphans;
}

bool ScanLocalAddons(AddonLibrary& library) {
    // A game path that was cut names some parent directory: no scan there.
    if (!settings::LoadSettings(library.app()))
        return false;
    const std::string addonDir = AddonDir(library.app().GameDir());
    if (addonDir.empty())
        return false;
    // Without the manager lock another copy is at work here: the scan only
    // reads, and changes nothing of what that copy may be doing.
    const ManagerScope manager(library);
    std::lock_guard<std::mutex> lock(library.addonDirMutex());
    if (manager.held()) {
        RecoverInterruptedUpdates(addonDir,
                                  [&library](int32_t id) { return library.IsUpdating(id); });
    }

    std::vector<std::string> names;
    for (std::string& name : platform::ListSubdirectories(addonDir)) {
        if (!name.empty() && name.front() != '.')
            names.push_back(std::move(name));
    }
    const FoundFolders found = ReadFolders(addonDir, names);
    const std::shared_ptr<const Catalogue> catalogue = library.catalogue();
    LocalAddonList local;
    const auto orphans = MatchFolders(found, *catalogue, local);

    // A sub-folder is left over only when its main folder is gone from the
    // disk; a main folder the catalogue does not list (or a catalogue that
    // could not be loaded) is no reason to delete its parts.
    if (manager.held() && !catalogue->empty() && !orphans.empty()) {
        const std::unordered_set<std::string> present(names.begin(), names.end());
        for (const auto& [name, project] : orphans) {
            if (present.count(project) == 0 && IsPlainFolderName(name))
                DiscardEntry(addonDir, addonDir + "\\" + name);
        }
    }
    library.SetLocalAddons(std::move(local));
    return true;
}

}  // namespace vt::addons
