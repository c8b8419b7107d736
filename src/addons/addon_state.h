// The addon state rule: catalogue and installed versions compared as leading
// integers give the update marker of LocalAddonList and the DetailState.
#pragma once

#include <cstdint>
#include <string>

#include "addons/addon_record.h"

namespace vt::addons {

// The Ver of a LocalAddonList entry for a folder with installedVer matched
// with a catalogue record offering catalogueVer: "0" when installedVer is not
// empty and at least as high, else catalogueVer.
std::string UpdateMarker(const std::string& catalogueVer, const std::string& installedVer);

// An entry of LocalAddonList offers an update (leading integer of Ver > 0).
bool HasUpdate(const AddonRecord& entry);

// The first entry with id, or nullptr.
const AddonRecord* FindLocalAddon(const LocalAddonList& list, int32_t id);

// 1 when id is not installed, else 2 when its first entry offers an update,
// else 0.
DetailState DetailStateOf(const LocalAddonList& list, int32_t id);

// The label of a list row: Name, or Folder when Name is empty.
const std::string& RowLabel(const AddonRecord& record);

}  // namespace vt::addons
