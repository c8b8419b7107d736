#include "addons/update_backup.h"

#include <algorithm>

#include "addons/addon_paths.h"
#include "platform/file_names.h"
#include "platform/files.h"

namespace vt::addons {

namespace {

constexpr char kDecidedSuffix[] = ".done";

// GameDir + "Interface", the addon directory's parent.
std::string InterfaceDir(const std::string& addonDir) {
    const size_t separator = platform::LastPathSeparator(addonDir);
    return separator == std::string::npos ? std::string() : addonDir.substr(0, separator);
}

std::string TransactionDir(const std::string& addonDir, int32_t id, bool decided) {
    return UpdateBackupRoot(addonDir) + "\\" + std::to_string(id) + (decided ? kDecidedSuffix : "");
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
        platform::MakeDirectoryPath(to);
    for (const std::string& name : names) {
        const std::string target = to + "\\" + name;
        if (!RemoveEntry(target) || !platform::RenamePath(from + "\\" + name, target))
            return false;
    }
    return true;
}

// The staged version goes in, the replaced entries go.
bool Finish(int32_t id, const std::string& addonDir) {
    const std::string stage = StagingDir(addonDir);
    if (platform::IsDirectory(stage)) {
        if (!MoveEntries(stage, addonDir) || !platform::RemoveEmptyDirectory(stage))
            return false;
    }
    return RemoveEntry(TransactionDir(addonDir, id, true));
}

// The set-aside entries go back, the stage goes.
bool RollBack(int32_t id, const std::string& addonDir) {
    const std::string transaction = TransactionDir(addonDir, id, false);
    if (!RemoveEntry(StagingDir(addonDir)))
        return false;
    if (!platform::IsDirectory(transaction))
        return true;
    return MoveEntries(transaction, addonDir) && platform::RemoveEmptyDirectory(transaction);
}

void RemoveRootWhenEmpty(const std::string& addonDir) {
    const std::string root = UpdateBackupRoot(addonDir);
    if (!root.empty() && platform::IsDirectory(root) && platform::ListDirectory(root).empty())
        platform::RemoveEmptyDirectory(root);
}

}  // namespace

std::string UpdateBackupRoot(const std::string& addonDir) {
    const std::string dir = InterfaceDir(addonDir);
    return dir.empty() ? std::string() : dir + "\\.tessel-update";
}

std::string StagingDir(const std::string& addonDir) {
    const std::string dir = InterfaceDir(addonDir);
    return dir.empty() ? std::string() : dir + "\\.stage";
}

void RecoverInterruptedUpdates(const std::string& addonDir, const BusyInstalls& busy) {
    const std::string root = UpdateBackupRoot(addonDir);
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
        RemoveEntry(StagingDir(addonDir));
    RemoveRootWhenEmpty(addonDir);
}

bool DiscardEntry(const std::string& addonDir, const std::string& path) {
    if (!Present(path))
        return true;
    const std::string root = UpdateBackupRoot(addonDir);
    if (!root.empty()) {
        platform::MakeDirectoryPath(root);
        // Not a transaction's name, so recovery takes it for leftovers.
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string target = root + "\\discard-" + std::to_string(attempt);
            if (Present(target))
                continue;
            if (platform::RenamePath(path, target)) {
                const bool removed = platform::RemoveTree(target);
                RemoveRootWhenEmpty(addonDir);
                return removed;
            }
            break;
        }
        RemoveRootWhenEmpty(addonDir);
    }
    return platform::RemoveTree(path);
}

bool BeginInstall(int32_t id, const std::string& addonDir, const BusyInstalls& busy) {
    RecoverInterruptedUpdates(addonDir, busy);
    const std::string root = UpdateBackupRoot(addonDir);
    if (root.empty() || Present(StagingDir(addonDir)) ||
        (platform::IsDirectory(root) && !platform::ListDirectory(root).empty()))
        return false;
    platform::MakeDirectoryPath(root);
    const std::string transaction = TransactionDir(addonDir, id, false);
    if (!platform::MakeDirectory(transaction))
        return false;
    if (!platform::MakeDirectory(StagingDir(addonDir))) {
        platform::RemoveEmptyDirectory(transaction);
        RemoveRootWhenEmpty(addonDir);
        return false;
    }
    return true;
}

CommitResult CommitInstall(int32_t id, const std::string& addonDir,
                           const std::vector<std::string>& installed) {
    std::vector<std::string> replaced = platform::ListDirectory(StagingDir(addonDir));
    replaced.insert(replaced.end(), installed.begin(), installed.end());
    std::sort(replaced.begin(), replaced.end());
    replaced.erase(std::unique(replaced.begin(), replaced.end()), replaced.end());
    const std::string transaction = TransactionDir(addonDir, id, false);
    for (const std::string& name : replaced) {
        const std::string entry = addonDir + "\\" + name;
        if (!IsPlainFolderName(name) || !Present(entry))
            continue;
        if (!platform::RenamePath(entry, transaction + "\\" + name)) {
            AbortInstall(id, addonDir);
            return CommitResult::kRolledBack;
        }
    }
    if (!platform::RenamePath(transaction, TransactionDir(addonDir, id, true))) {
        AbortInstall(id, addonDir);
        return CommitResult::kRolledBack;
    }
    const bool finished = Finish(id, addonDir);
    RemoveRootWhenEmpty(addonDir);
    return finished ? CommitResult::kInstalled : CommitResult::kUnfinished;
}

bool AbortInstall(int32_t id, const std::string& addonDir) {
    const bool done = RollBack(id, addonDir);
    RemoveRootWhenEmpty(addonDir);
    return done;
}

}  // namespace vt::addons
