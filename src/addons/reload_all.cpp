#include "addons/reload_all.h"

#include <mutex>

#include "addons/addon_state.h"
#include "addons/catalogue_refresh.h"
#include "addons/local_scan.h"

namespace vt::addons {

void ReloadAll(AddonLibrary& library) {
    std::lock_guard<std::mutex> serial(library.reloadMutex());
    AddonWindow& window = library.window();
    AddonListControl& list = library.list();

    window.PostListState(kViewLoading, 1);
    // Another copy working on the same directories: the list stays as it is.
    const ManagerScope manager(library);
    if (!manager.held()) {
        window.ShowAnotherManagerWorking();
        window.PostListState(kViewRedraw, 0);
        return;
    }
    // A stopping owner waits for no server.
    if (!library.TransfersCancelled())
        RefreshCatalogue(library);
    if (!ScanLocalAddons(library)) {
        window.PostListState(kViewNoGamePath, 1);
        return;
    }
    const std::shared_ptr<const LocalAddonList> local = library.localAddons();
    list.DeleteAllRows();
    bool anyMarker = false;
    for (const AddonRecord& entry : *local) {
        list.AddRow(entry.Id, RowLabel(entry), LeadingInteger(entry.Ver));
        anyMarker = anyMarker || LeadingInteger(entry.Ver) != 0;
    }
    const int rows = list.RowCount();
    if (rows == 0) {
        window.PostListState(kViewNoAddons, 1);
    } else {
        window.PostListState(kViewCount, rows);
        window.PostListState(kViewList, 1);
        window.PostListState(kViewUpdatesAvailable, anyMarker ? 1 : 0);
    }
    window.PostListState(kViewRedraw, 0);
}

bool StartReloadAll(AddonLibrary& library) {
    return library.StartWorker([&library] { ReloadAll(library); });
}

}  // namespace vt::addons
