// What the main window's left panel shows, driven by UM_LIST_STATE and
// UM_DOWNLOAD_PROGRESS: the window draws from it, front ends without a
// window report from it.
#pragma once

#include "addons/addon_window.h"

namespace vt::addons {

struct LeftPanelState {
    bool loadingShown = false;
    bool noGamePathShown = false;
    bool noAddonsShown = false;
    bool listShown = false;
    int count = 0;
    bool updateAllEnabled = false;
    bool deleteAllEnabled = false;
    bool refreshEnabled = true;
    int notBusy = 1;  // the value of the last code 9; deletions are refused at 0
    int redraws = 0;  // code 1 messages seen
};

// The handler of UM_LIST_STATE (code, value).
void ApplyListState(LeftPanelState& panel, int code, int value);

// The name of the view shown: "loading", "no-game-path", "no-addons", "list",
// or "none" before the first view message.
const char* ShownView(const LeftPanelState& panel);

// The handler of UM_DOWNLOAD_PROGRESS: for kProgressDownloading the row keyed
// by user1 shows the whole percentage of doneSize / totalSize unless it is 100
// (a finished download waits for the install); a record without a total
// changes nothing. For kProgressInstalled the row shows 100 and loses its
// update badge.
void HandleDownloadProgress(AddonListControl& list, int code,
                            const net::DownloadProgress& progress);
// The percentage HandleDownloadProgress shows, or -1 when none can be computed.
int ProgressPercent(const net::DownloadProgress& progress);

}  // namespace vt::addons
