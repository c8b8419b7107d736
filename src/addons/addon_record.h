// The addon data model shared by the catalogue reader, the local scan, the
// install pipeline and the main window. All texts are in the local code page.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vt::addons {

// One addon. Records are plain values: copying copies every field.
struct AddonRecord {
    // The catalogue's addon number; -1 for a folder found on disk without a
    // version file (before it is merged), 0 for a managed folder not yet
    // matched, 20001 and up for folders the catalogue does not know.
    int32_t Id = 0;
    // Display name; for a sub-folder entry of the scan, the sub-folder's name.
    std::string Name;
    // Main folder directly under the game's addon directory.
    std::string Folder;
    // Full download address of the addon archive.
    std::string Url;
    // Decimal version; in LocalAddonList its leading integer is the update
    // marker (above 0: an update is offered).
    std::string Ver;
    // Further folders under the addon directory that belong to this addon.
    std::vector<std::string> SubFolders;
};

// The catalogue: one record per Id, ascending Id. When a catalogue file holds
// an Id twice, the first occurrence stays.
using Catalogue = std::map<int32_t, AddonRecord>;

// The installed addons, in scan order.
using LocalAddonList = std::vector<AddonRecord>;

// The state of an addon as the detail page is told it.
enum DetailState : int {
    kDetailCurrent = 0,          // installed and current
    kDetailNotInstalled = 1,     // not installed
    kDetailUpdateAvailable = 2,  // installed with an update available
};

// The leading decimal integer of text, as the C library's atoi reads it:
// leading white space and one sign allowed, reading stops at the first
// non-digit, no number gives 0; values beyond 32 bits are clamped.
int32_t LeadingInteger(std::string_view text);

}  // namespace vt::addons
