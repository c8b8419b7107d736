// The old folders of an addon being updated are set aside, not deleted, until
// the new version is unpacked: GameDir + "Interface\\.tessel-update\\<Id>\\"
// holds them meanwhile (outside the addon directory, on the same volume, so
// the game and the scan never see them). A process that dies in between
// leaves them there, and the next scan puts them back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vt {

// GameDir + "Interface\\.tessel-update" (no trailing backslash); empty while
// no game directory is set.
std::string UpdateBackupRoot();

// Moves addonDir\name for each name into the backup of id; a folder that
// cannot be moved is deleted instead, as an update always did. Names that are
// not plain folder names are skipped.
void SetAsideFolders(int32_t id, const std::string& addonDir,
                     const std::vector<std::string>& names);
// The update is in place: the backup of id goes.
void DiscardSetAside(int32_t id);
// The update failed: each set-aside folder replaces what the update left
// under its name, and the backup goes.
void RestoreSetAside(int32_t id, const std::string& addonDir);
// Restores every backup left by an interrupted update, except those for which
// busy(id) is true (an update still running in this process).
void RestoreInterruptedUpdates(const std::string& addonDir,
                               const std::function<bool(int32_t)>& busy);
// Drops those backups instead (the addons were deleted meanwhile).
void DiscardInterruptedUpdates(const std::function<bool(int32_t)>& busy);

}  // namespace vt
