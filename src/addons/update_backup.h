// Installing an archive as one transaction that a crash at any point leaves
// recoverable, for fresh installs and updates alike:
//   1. BeginInstall makes the transaction directory
//      GameDir + "Interface\\.tessel-update\\<Id>" and an empty staging
//      directory GameDir + "Interface\\.stage".
//   2. The archive is unpacked into the staging directory; nothing installed
//      has changed yet.
//   3. CommitInstall moves every entry being replaced (the addon's installed
//      folders, and whatever holds a name the archive brings) into the
//      transaction directory, then renames it to "<Id>.done": the one step
//      that decides. Then the staged entries move into the addon directory
//      and the replaced ones are deleted.
// Recovery (every scan, every install) rolls an undecided transaction back
// (its entries go back, the stage is dropped) and finishes a decided one (the
// staged entries move in, the replaced ones go); a transaction of an install
// still running in this process is left alone. The work directories are
// outside the addon directory, on the same volume, so the game and the scan
// never see them, and they are removed once empty.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vt::addons {

// The work directories beside addonDir (GameDir + "Interface\\Addons"), no
// trailing backslash, empty for an empty addonDir:
// GameDir + "Interface\\.tessel-update".
std::string UpdateBackupRoot(const std::string& addonDir);
// GameDir + "Interface\\.stage": exactly as long as the addon directory's
// path, so every member path that fits there fits here.
std::string StagingDir(const std::string& addonDir);

// True for the Ids whose install runs in this process right now.
using BusyInstalls = std::function<bool(int32_t)>;

// Recovers what earlier installs left, then starts the transaction of id
// with an empty staging directory. False (nothing changed) when a work
// directory cannot be made or an earlier transaction could not be recovered.
bool BeginInstall(int32_t id, const std::string& addonDir, const BusyInstalls& busy);

enum class CommitResult {
    kInstalled,   // the staged entries are in place, the replaced ones gone
    kRolledBack,  // an entry could not be set aside: everything is as before
    kUnfinished,  // decided, but an entry could not be moved in or deleted;
                  // the next recovery finishes it
};
// Puts the staged version in place of the installed folders (plain folder
// names under addonDir) and of whatever holds a staged name.
CommitResult CommitInstall(int32_t id, const std::string& addonDir,
                           const std::vector<std::string>& installed);
// Undoes an undecided transaction: the set-aside entries go back, the stage
// goes. False when something is left for the next recovery.
bool AbortInstall(int32_t id, const std::string& addonDir);

// Deletes a folder (or file) of the game's Interface directory (addonDir or
// an entry of it) so that a crash half way leaves nothing half deleted in
// sight: it is first renamed into the work directory beside addonDir, where
// the next recovery deletes whatever is left of it. Where it cannot be
// renamed it is deleted in place. True when it is gone.
bool DiscardEntry(const std::string& addonDir, const std::string& path);

// Recovers every transaction left by an install that is not running here,
// and deletes what a discard left behind.
void RecoverInterruptedUpdates(const std::string& addonDir, const BusyInstalls& busy);

}  // namespace vt::addons
