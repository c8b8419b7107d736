// Update-all and the deletions of the main window's left panel, once the user
// has confirmed them.
#pragma once

#include <cstdint>

#include "addons/addon_library.h"

namespace vt::addons {

// String-table entries of the confirmations and refusals around these.
constexpr int kStringConfirmUpdateAll = 121;  // "确定升级所有插件?"
constexpr int kStringConfirmDeleteAll = 124;  // "确定删除所有插件?"
constexpr int kStringConfirmDelete = 187;     // "确定要删除该插件?"
constexpr int kStringDeleteWhileBusy = 193;   // "插件下载中，请稍后进行删除操作!\n"

// Posts UM_INSTALL_ADDON (Id, 0) for every installed addon with an update, in
// list order; the number posted.
int UpdateAll(AddonLibrary& library);

// Deletes the folder and sub-folders of the first installed entry with id and
// removes the entry; false (nothing deleted) when there is none or another
// manager works on the directories (the window is told).
bool DeleteAddon(AddonLibrary& library, int32_t id);

// Settles interrupted installs, empties the addon directory (creating it when
// missing), and starts ReloadAll. False when something could not be deleted,
// or nothing was because another manager works there (the window is told).
bool DeleteAllAddons(AddonLibrary& library);

}  // namespace vt::addons
