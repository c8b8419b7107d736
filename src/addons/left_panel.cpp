#include "addons/left_panel.h"

namespace vt::addons {

namespace {

// Every view but the list hides the list and the two batch buttons.
void ShowSideView(LeftPanelState& panel, bool& view, int value) {
    view = value != 0;
    if (view) {
        panel.listShown = false;
        panel.updateAllEnabled = false;
        panel.deleteAllEnabled = false;
        panel.count = 0;
    }
}

}  // namespace

void ApplyListState(LeftPanelState& panel, int code, int value) {
    switch (code) {
        case kViewRedraw:
            ++panel.redraws;
            break;
        case kViewNoGamePath:
            if (value)
                panel.loadingShown = panel.noAddonsShown = false;
            ShowSideView(panel, panel.noGamePathShown, value);
            break;
        case kViewNoAddons:
            if (value)
                panel.loadingShown = panel.noGamePathShown = false;
            ShowSideView(panel, panel.noAddonsShown, value);
            break;
        case kViewCount:
            panel.count = value;
            break;
        case kViewLoading:
            if (value)
                panel.noGamePathShown = panel.noAddonsShown = false;
            ShowSideView(panel, panel.loadingShown, value);
            break;
        case kViewList:
            if (value) {
                panel.loadingShown = panel.noGamePathShown = panel.noAddonsShown = false;
                panel.listShown = true;
                panel.deleteAllEnabled = true;
            } else {
                panel.listShown = false;
                panel.deleteAllEnabled = panel.updateAllEnabled = false;
                panel.count = 0;
            }
            ++panel.redraws;
            break;
        case kViewUpdatesAvailable:
            panel.updateAllEnabled = value != 0;
            break;
        case kViewListVisible:
            panel.listShown = value != 0;
            break;
        case kViewNotBusy:
            panel.refreshEnabled = value != 0;
            panel.notBusy = value;
            if (!value)
                panel.deleteAllEnabled = panel.updateAllEnabled = false;
            break;
        default:
            break;
    }
}

const char* ShownView(const LeftPanelState& panel) {
    if (panel.loadingShown)
        return "loading";
    if (panel.noGamePathShown)
        return "no-game-path";
    if (panel.noAddonsShown)
        return "no-addons";
    if (panel.listShown)
        return "list";
    return "none";
}

int ProgressPercent(const net::DownloadProgress& progress) {
    if (progress.totalSize <= 0 || progress.doneSize < 0)
        return -1;
    return static_cast<int>(progress.doneSize * 100 / progress.totalSize);
}

void HandleDownloadProgress(AddonListControl& list, int code,
                            const net::DownloadProgress& progress) {
    if (code == kProgressDownloading) {
        const int percent = ProgressPercent(progress);
        if (percent >= 0 && percent != 100 && list.FindKey(progress.user1) >= 0)
            list.SetProgress(progress.user1, percent);
    } else if (code == kProgressInstalled) {
        list.SetProgress(progress.user1, 100);
        list.SetUpgradable(progress.user1, 0);
    }
}

}  // namespace vt::addons
