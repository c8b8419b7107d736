// The list refresh: catalogue, scan, list rows and the left panel's views.
#pragma once

#include "addons/addon_library.h"

namespace vt::addons {

// Posts UM_LIST_STATE (5, 1), refreshes the catalogue, scans the addon
// directory, refills the list control and posts the views: (2, 1) without a
// game directory; else (3, 1) for an empty list or (4, count), (6, 1) and
// (7, any update marker not 0); finally (1, 0). Runs one at a time.
void ReloadAll(AddonLibrary& library);

// ReloadAll on a worker of its own.
bool StartReloadAll(AddonLibrary& library);

}  // namespace vt::addons
