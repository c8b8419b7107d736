#include "addons/update_backup.h"

#include "addons/addon_paths.h"
#include "platform/files.h"
#include "settings/app_state.h"
#include "settings/directory_helpers.h"

namespace vt {

namespace {

std::string BackupDir(int32_t id) {
    return UpdateBackupRoot() + "\\" + std::to_string(id);
}

// A backup directory name: decimal digits only.
bool ParseId(const std::string& name, int32_t& id) {
    if (name.empty() || name.size() > 9)
        return false;
    for (char c : name) {
        if (c < '0' || c > '9')
            return false;
    }
    id = static_cast<int32_t>(std::stol(name));
    return true;
}

}  // namespace

std::string UpdateBackupRoot() {
    const std::string gameDir = AppState().GameDir();
    return gameDir.empty() ? std::string() : gameDir + "Interface\\.tessel-update";
}

void SetAsideFolders(int32_t id, const std::string& addonDir,
                     const std::vector<std::string>& names) {
    const std::string backup = BackupDir(id);
    // A stale backup of the same addon was restored by the scan before this
    // update began; whatever is left of it is outdated.
    DeleteDirectoryTree(backup);
    MakeDirectoryPath(backup);
    for (const std::string& name : names) {
        if (!IsPlainFolderName(name))
            continue;
        const std::string folder = addonDir + "\\" + name;
        if (!platform::IsDirectory(folder))
            continue;
        if (!platform::RenamePath(folder, backup + "\\" + name))
            DeleteDirectoryTree(folder);
    }
}

void DiscardSetAside(int32_t id) {
    DeleteDirectoryTree(BackupDir(id));
}

void RestoreSetAside(int32_t id, const std::string& addonDir) {
    const std::string backup = BackupDir(id);
    const std::vector<std::string> names = platform::ListSubdirectories(backup);
    if (!names.empty())
        MakeDirectoryPath(addonDir);
    for (const std::string& name : names) {
        const std::string folder = addonDir + "\\" + name;
        DeleteDirectoryTree(folder);
        // When the way back is blocked, the backup stays for the next scan.
        if (!platform::RenamePath(backup + "\\" + name, folder))
            return;
    }
    DeleteDirectoryTree(backup);
}

// Calls act(id) for every backup whose update is not running.
static void ForEachInterrupted(const std::function<bool(int32_t)>& busy,
                               const std::function<void(int32_t)>& act) {
    const std::string root = UpdateBackupRoot();
    if (root.empty() || !platform::IsDirectory(root))
        return;
    for (const std::string& name : platform::ListSubdirectories(root)) {
        int32_t id = 0;
        if (ParseId(name, id) && !busy(id))
            act(id);
    }
}

void RestoreInterruptedUpdates(const std::string& addonDir,
                               const std::function<bool(int32_t)>& busy) {
    ForEachInterrupted(busy, [&addonDir](int32_t id) { RestoreSetAside(id, addonDir); });
}

void DiscardInterruptedUpdates(const std::function<bool(int32_t)>& busy) {
    ForEachInterrupted(busy, DiscardSetAside);
}

}  // namespace vt
