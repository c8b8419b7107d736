// The main window as the addon library sees it: the messages the workers post
// or send to it, the list control's operations, and the few dialogs of the
// install request. The Windows shell implements both interfaces on its main
// window and list control; the command-line front end implements them
// headless.
#pragma once

#include <cstdint>
#include <string>

#include "net/http_download.h"

namespace vt::addons {

// Messages of the main window (WM_USER + 2013 and up).
enum MainWindowMessage : unsigned {
    UM_ACTIVATE_INSTANCE = 3037,
    UM_UPGRADE_EXIT = 3038,
    UM_UPGRADE_RESULT = 3039,
    UM_SHOW_ADDON_DETAIL = 3040,
    UM_INSTALL_ADDON = 3041,
    UM_DOWNLOAD_PROGRESS = 3042,
    UM_LIST_STATE = 3043,
    UM_SWITCH_TAB = 3045,
    UM_OPEN_SIMULATOR = 3046,
};

// First parameters of UM_DOWNLOAD_PROGRESS.
constexpr int kProgressDownloading = 2;
constexpr int kProgressInstalled = 3044;

// View codes of UM_LIST_STATE.
enum ListStateCode : int {
    kViewRedraw = 1,
    kViewNoGamePath = 2,
    kViewNoAddons = 3,
    kViewCount = 4,
    kViewLoading = 5,
    kViewList = 6,
    kViewUpdatesAvailable = 7,
    kViewListVisible = 8,
    kViewNotBusy = 9,
};

// String-table entries the library asks the window to show.
constexpr int kStringAlreadyAdded = 192;  // "您已添加了该插件，无需重新下载。"
constexpr int kStringAnotherManager = 196;  // "另一个插件管理器正在处理插件，请稍后再试。"

// Window messages and dialogs. Post* may be called from any thread and must
// not block; SendDownloadProgress blocks the caller until the window has
// handled the record (which lives only for the call). The dialog operations
// are called on the user-interface thread only.
class AddonWindow {
  public:
    virtual ~AddonWindow() = default;
    // Posted UM_LIST_STATE (code, value).
    virtual void PostListState(int code, int value) = 0;
    // Posted UM_INSTALL_ADDON (id, closePopup).
    virtual void PostInstallAddon(int32_t id, int closePopup) = 0;
    // Sent UM_DOWNLOAD_PROGRESS (code, &progress).
    virtual void SendDownloadProgress(int code, const net::DownloadProgress& progress) = 0;
    // ShowMessage with a string-table entry under the title "提示".
    virtual void ShowMessage(int stringId) = 0;
    // The game-path dialog; true when the user confirmed a path.
    virtual bool RunGamePathDialog() = 0;
    // Asks the popup web window to close.
    virtual void ClosePopupWindow() = 0;
    // Tells the user that another addon manager (a second copy of the
    // program, or its command-line front end) works on the same program or
    // game directory, so an action did not run. Called from any thread; must
    // not block.
    virtual void ShowAnotherManagerWorking() = 0;
};

// The installed-addons list control, keyed by addon Id. May be called from
// any thread; the implementation brings every call to the control's thread.
class AddonListControl {
  public:
    virtual ~AddonListControl() = default;
    virtual void DeleteAllRows() = 0;
    // Appends a row (key, label, update value); its index.
    virtual int AddRow(int32_t key, const std::string& label, int upgradable) = 0;
    virtual int InsertRow(int index, int32_t key, const std::string& label, int upgradable) = 0;
    // Index of the first row with key, or -1.
    virtual int FindKey(int32_t key) = 0;
    virtual int RowCount() = 0;
    // False when no row has key.
    virtual bool SetProgress(int32_t key, int percent) = 0;
    virtual bool SetUpgradable(int32_t key, int upgradable) = 0;
    virtual void DeleteRow(int index) = 0;
};

// Why one queued addon did or did not get installed; for front ends that
// report each addon (the window reads only the progress messages).
enum class InstallOutcome {
    kInstalled,
    kNotInCatalogue,  // the Id is not in the catalogue at download time
    kDownloadFailed,  // the DownloadResult says why
    kBrokenArchive,   // downloaded, but it does not open or a member fails its check
    kExtractFailed,   // the new version could not be unpacked or put in place
    kManagerBusy,     // another manager works on the same directories
};

class InstallObserver {
  public:
    virtual ~InstallObserver() = default;
    // Called on the install worker once per InstallOne; download is the
    // download's result (kDownloaded where none ran).
    virtual void OnInstallFinished(int32_t id, InstallOutcome outcome,
                                   net::DownloadResult download) = 0;
    // Called on the install worker before OnInstallFinished when the
    // archive's download failed after the server answered with httpStatus
    // (404 and the like), so that a front end can say what it answered.
    virtual void OnDownloadAnswered(int32_t id, int httpStatus) {
        (void)id;
        (void)httpStatus;
    }
};

}  // namespace vt::addons
