#include "addons/update_backup.h"

#include <algorithm>

#include "addons/addon_paths.h"
#include "platform/files.h"
#include "settings/app_state.h"
#include "settings/directory_helpers.h"

namespace vt {

namespace {

constexpr char kDecidedSuffix[] = ".done";

std::string InterfaceDir() {
    const std::string gameDir = AppState().GameDir();
    return gameDir.empty() ? std::string() : gameDir + "Interface";
}

std::string TransactionDir(int32_t id, bool decided) {
    return UpdateBackupRoot() + "\\" + std::to_string(id) + (decided ? kDecidedSuffix : "");
}

// A transaction directory's name: decimal digits, with the decided suffix or
// without.
bool ParseTransaction(const std::string& name, int32_t& id, bool& decided) {
    std::string digits = name;
    const size_t suffix = sizeof kDecidedSuffix - 1;
    decided = digits.size() > suffix &&
              digits.compare(digits.size() - suffix, suffix, kDecidedSuffix) == 0;
    if (decided)
        digits.resize(digits.size() - suffix);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    id = static_cast<int32_t>(std::stol(digits));
    return true;
}

bool Present(const std::string& path) {
    return platform::PathExists(path) || platform::IsLink(path);
}

// Removes a file, a link or a directory tree; true when nothing is left.
bool RemoveEntry(const std::string& path) {
    return !Present(path) || platform::RemoveTree(path);
}

// Moves every entry of from into to (made when missing), replacing what is
// there; false at the first entry that stays behind.
bool MoveEntries(const std::string& from, const std::string& to) {
    const std::vector<std::string> names = platform::ListDirectory(from);
    if (!names.empty() && !platform::IsDirectory(to))
        MakeDirectoryPath(to);
    for (const std::string& name : names) {
        const std::string target = to + "\\" + name;
        if (!RemoveEntry(target) || !platform::RenamePath(from + "\\" + name, target))
            return false;
    }
    return true;
}

// The staged version goes in, the replaced entries go.
bool Finish(int32_t id, const std::string& addonDir) {
    const std::string stage = StagingDir();
    if (platform::IsDirectory(stage)) {
        if (!MoveEntries(stage, addonDir) || !platform::RemoveEmptyDirectory(stage))
            return false;
    }
    return RemoveEntry(TransactionDir(id, true));
}

// The set-aside entries go back, the stage goes.
bool RollBack(int32_t id, const std::string& addonDir) {
    const std::string transaction = TransactionDir(id, false);
    if (!RemoveEntry(StagingDir()))
        return false;
    if (!platform::IsDirectory(transaction))
        return true;
    return MoveEntries(transaction, addonDir) && platform::RemoveEmptyDirectory(transaction);
}

void RemoveRootWhenEmpty() {
    const std::string root = UpdateBackupRoot();
    if (!root.empty() && platform::IsDirectory(root) && platform::ListDirectory(root).empty())
        platform::RemoveEmptyDirectory(root);
}

}  // namespace

std::string UpdateBackupRoot() {
    const std::string dir = InterfaceDir();
    return dir.empty() ? std::string() : dir + "\\.tessel-update";
}

std::string StagingDir() {
    const std::string dir = InterfaceDir();
    return dir.empty() ? std::string() : dir + "\\.stage";
}

void RecoverInterruptedUpdates(const std::string& addonDir, const BusyInstalls& busy) {
    const std::string root = UpdateBackupRoot();
    if (root.empty())
        return;
    std::vector<int32_t> decided, undecided;
    bool anyBusy = false;
    for (const std::string& name : platform::ListDirectory(root)) {
        int32_t id = 0;
        bool isDecided = false;
        if (!ParseTransaction(name, id, isDecided)) {
            RemoveEntry(root + "\\" + name);  // nothing of a transaction
        } else if (busy(id)) {
            anyBusy = true;
        } else {
            (isDecided ? decided : undecided).push_back(id);
        }
    }
    // The stage belongs to the one transaction that may be open: a decided
    // one moves it in, an undecided one drops it.
    for (int32_t id : decided)
        Finish(id, addonDir);
    for (int32_t id : undecided)
        RollBack(id, addonDir);
    if (!anyBusy)
        RemoveEntry(StagingDir());
    RemoveRootWhenEmpty();
}

bool DiscardEntry(const std::string& path) {
    if (!Present(path))
        return true;
    const std::string root = UpdateBackupRoot();
    if (!root.empty()) {
        MakeDirectoryPath(root);
        // Not a transaction's name, so recovery takes it for leftovers.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string target = root + "\\discard-" + std::to_string(attempt);
            if (Present(target))
                continue;
            if (platform::RenamePath(path, target)) {
                const bool removed = platform::RemoveTree(target);
                RemoveRootWhenEmpty();
                return removed;
            }
            break;
        }
        RemoveRootWhenEmpty();
    }
    return platform::RemoveTree(path);
}

bool BeginInstall(int32_t id, const std::string& addonDir, const BusyInstalls& busy) {
    RecoverInterruptedUpdates(addonDir, busy);
    const std::string root = UpdateBackupRoot();
    if (root.empty() || Present(StagingDir()) ||
        (platform::IsDirectory(root) && !platform::ListDirectory(root).empty()))
        return false;
    MakeDirectoryPath(root);
    if (!platform::MakeDirectory(TransactionDir(id, false)))
        return false;
    if (!platform::MakeDirectory(StagingDir())) {
        platform::RemoveEmptyDirectory(TransactionDir(id, false));
        RemoveRootWhenEmpty();
        return false;
    }
    return true;
}

CommitResult CommitInstall(int32_t id, const std::string& addonDir,
                           const std::vector<std::string>& installed) {
    std::vector<std::string> replaced = platform::ListDirectory(StagingDir());
    replaced.insert(replaced.end(), installed.begin(), installed.end());
    std::sort(replaced.begin(), replaced.end());
    replaced.erase(std::unique(replaced.begin(), replaced.end()), replaced.end());
    const std::string transaction = TransactionDir(id, false);
    for (const std::string& name : replaced) {
        const std::string entry = addonDir + "\\" + name;
        if (!IsPlainFolderName(name) || !Present(entry))
            continue;
        if (!platform::RenamePath(entry, transaction + "\\" + name)) {
            AbortInstall(id, addonDir);
            return CommitResult::kRolledBack;
        }
    }
    if (!platform::RenamePath(transaction, TransactionDir(id, true))) {
        AbortInstall(id, addonDir);
        return CommitResult::kRolledBack;
    }
    const bool finished = Finish(id, addonDir);
    RemoveRootWhenEmpty();
    return finished ? CommitResult::kInstalled : CommitResult::kUnfinished;
}

bool AbortInstall(int32_t id, const std::string& addonDir) {
    const bool done = RollBack(id, addonDir);
    RemoveRootWhenEmpty();
    return done;
}

}  // namespace vt
