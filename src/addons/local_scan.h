// The scan of the game's addon directory that builds LocalAddonList.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "addons/addon_library.h"

namespace vt::addons {

// Re-reads the settings, recovers what interrupted installs left
// (update_backup.h), lists the addon directory's folders (names starting
// with "." are skipped), reads their version files, matches them with the
// catalogue by Folder and swaps the new LocalAddonList into the library.
// Sub-folders whose main folder is gone from the disk are deleted, but never
// while the catalogue is empty. While another manager holds the lock, the
// scan only reads. False only when no game directory is set, or the stored
// game path was cut (LocalAddonList is then left as it was).
bool ScanLocalAddons(AddonLibrary& library);

// The matching step on its own: found folders (Id -1 without a version file,
// Id 0 managed, Ver = installed version) and sub-folder pairs (sub-folder,
// project) against catalogue. Fills local and returns the sub-folder pairs
// that found no main entry, in order.
struct FoundFolders {
    std::vector<AddonRecord> records;
    std::vector<std::pair<std::string, std::string>> subFolders;  // (name, project)
};
std::vector<std::pair<std::string, std::string>> MatchFolders(const FoundFolders& found,
                                                              const Catalogue& catalogue,
                                                              LocalAddonList& local);

}  // namespace vt::addons
