// The addon library's shared state, owned by the main window object: the
// catalogue, the installed addons, the download queue and the worker flag,
// with the window and list control the workers report to, and the
// application fields and server configuration it is lent by the program's
// application object. The operations (ReloadAll, RequestInstall, ...) are
// free functions over it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "addons/addon_record.h"
#include "addons/addon_window.h"
#include "archive/zip_layout.h"
#include "net/secure_exchange.h"
#include "platform/files.h"
#include "platform/manager_lock.h"

namespace vt::settings {
class CAppState;
struct ServerConfig;
}  // namespace vt::settings

namespace vt::net {
class HttpDownload;
}  // namespace vt::net

namespace vt::addons {

// Tuning of the transfers and the limits they keep; the defaults are the
// program's.
struct AddonOptions {
    int chunkPauseMs = 10;  // HttpDownload's pause after each chunk
    int connectTimeoutMs = 10000;
    int receiveTimeoutMs = 10000;
    int directoryWaitMs = 500;  // wait after creating the Download or addon directory
    // HttpDownload's bounds: slowest rate over each window, longest header.
    int minimumRate = 1024;  // bytes per second
    int rateWindowMs = 60000;
    int headerTimeoutMs = 30000;
    int64_t catalogueMaxBytes = 8 << 20;  // the catalogue file
    int64_t archiveMaxBytes = 256 << 20;  // one addon archive
    archive::ArchiveLimits unpackLimits;  // what one archive may unpack to
    // How long a manager waits while another one works on the same program
    // or game directory.
    unsigned managerWaitMs = 3000;
    // The short limit of what needs a quick answer from the catalogue
    // server: connecting and each wait of the stamp query and the usage ping,
    // and the response header of the catalogue download. A server that
    // accepts and never answers holds a refresh up this long, not minutes.
    int serverAnswerMs = 5000;
    // Use the catalogue file on disk only: the refresh asks no server.
    bool cacheOnly = false;
};

// Where the catalogue in memory came from, as the last RefreshCatalogue
// found: for front ends that tell the user whether they see the server's
// catalogue, a copy kept on disk, or none.
struct CatalogueStatus {
    enum class Source {
        kNone,    // no catalogue could be loaded
        kServer,  // the server sent it, or confirmed the file on disk current
        kCache,   // the file on disk, without the server's word on it
    };
    Source source = Source::kNone;
    bool refreshed = false;  // a refresh ran since the library was made
    bool asked = false;      // the server was asked (not so with cacheOnly)
    // Why the server's word is missing, when it is: the stamp query's
    // status (kOk when it answered), the catalogue download's result (none
    // when none ran) and the HTTP status of a refused answer (0: none).
    net::ExchangeStatus stampStatus = net::ExchangeStatus::kOk;
    std::optional<net::DownloadResult> downloadResult;
    int httpStatus = 0;
    bool malformed = false;           // the file on disk is not a well-formed catalogue
    platform::FileTime fileTime = 0;  // modification time of the file loaded
};

// Sets download's timeouts, pause and rate bounds from options.
void ApplyTransferOptions(const AddonOptions& options, net::HttpDownload& download);

// The lock files of the one-manager-at-a-time rule: programDir +
// "manager.lock", and gameDir + "Interface\\.tessel-lock" (empty for an
// empty gameDir: no game directory set).
std::string ProgramLockPath(const std::string& programDir);
std::string GameLockPath(const std::string& gameDir);

class AddonLibrary {
  public:
    // app and servers belong to the program's application object (made once
    // at start-up); window and list to the main window. All four must
    // outlive the library (and so every worker). The library reads the
    // program and game directories from app when an operation starts, and
    // sets the game fields when a scan re-reads the settings.
    AddonLibrary(settings::CAppState& app, const settings::ServerConfig& servers,
                 AddonWindow& window, AddonListControl& list, AddonOptions options = {});
    // Cancels the transfers (CancelTransfers), then waits for the workers it
    // started.
    ~AddonLibrary();
    AddonLibrary(const AddonLibrary&) = delete;
    AddonLibrary& operator=(const AddonLibrary&) = delete;

    settings::CAppState& app() { return app_; }
    const settings::ServerConfig& servers() const { return servers_; }
    AddonWindow& window() { return window_; }
    AddonListControl& list() { return list_; }
    const AddonOptions& options() const { return options_; }
    // Optional per-addon report of the install worker; set before installing.
    void SetInstallObserver(InstallObserver* observer) { observer_ = observer; }
    InstallObserver* installObserver() const { return observer_; }

    // Readers get a whole snapshot; writers build a new value and swap it in,
    // so nobody sees a half-built map or list.
    std::shared_ptr<const Catalogue> catalogue() const;
    void SetCatalogue(Catalogue catalogue);
    std::shared_ptr<const LocalAddonList> localAddons() const;
    void SetLocalAddons(LocalAddonList list);
    // Removes the first entry with id; false when there is none.
    bool RemoveLocalAddon(int32_t id);

    // The catalogue file as last loaded (size, time and the outcome), so an
    // unchanged file is not parsed again.
    struct LoadedFile {
        int64_t size = -1;
        platform::FileTime modified = 0;
        bool loaded = false;
        std::string stamp;
    };
    LoadedFile loadedCatalogueFile() const;
    void SetLoadedCatalogueFile(const LoadedFile& file);

    // How the last RefreshCatalogue went (catalogue_refresh.h).
    CatalogueStatus catalogueStatus() const;
    void SetCatalogueStatus(const CatalogueStatus& status);

    // DownloadQueue: appended by requests, taken from the end by the worker.
    void QueueInstall(int32_t id);
    bool TakeLastQueued(int32_t& id);
    bool QueueEmpty() const;
    std::vector<int32_t> QueuedIds() const;
    // The worker-running flag: TryBeginDraining sets it when clear.
    bool TryBeginDraining();
    void EndDraining();
    bool Draining() const;

    // Addons whose update is being applied by this process right now; their
    // set-aside old folders are not restored by a scan.
    void MarkUpdating(int32_t id, bool updating);
    bool IsUpdating(int32_t id) const;

    // One ReloadAll at a time.
    std::mutex& reloadMutex() { return reloadMutex_; }
    // Held by whatever changes the addon directory (scan, the steps of an
    // install, deletions), so that within the process they never interleave.
    std::mutex& addonDirMutex() { return addonDirMutex_; }

    // One manager at a time: the first holder in this process takes the lock
    // files of the program directory and of the current game directory
    // (waiting up to options().managerWaitMs for another process), later
    // holders in this process share it until the last one releases.
    // kBusy: another manager is working there.
    platform::LockResult HoldManager();
    void ReleaseManager();

    // Stops every transfer of this library: running downloads end as
    // cancelled with their partial files kept for a resume, later ones end
    // at once, and no more progress goes to the window. For the program's
    // exit and Ctrl-C; cannot be undone.
    void CancelTransfers();
    bool TransfersCancelled() const { return cancelled_; }
    // The flag the library's downloads watch (HttpDownload::stop).
    const std::atomic<bool>* cancelFlag() const { return &cancelled_; }

    // Starts a detached worker that the library counts; false when it could
    // not start.
    bool StartWorker(std::function<void()> work);
    int RunningWorkers() const;
    // Blocks until no counted worker runs.
    void WaitIdle();

  private:
    settings::CAppState& app_;
    const settings::ServerConfig& servers_;
    AddonWindow& window_;
    AddonListControl& list_;
    const AddonOptions options_;
    InstallObserver* observer_ = nullptr;

    mutable std::mutex stateMutex_;
    std::shared_ptr<const Catalogue> catalogue_;
    std::shared_ptr<const LocalAddonList> local_;
    LoadedFile loadedFile_;
    CatalogueStatus catalogueStatus_;
    std::vector<int32_t> queue_;
    bool draining_ = false;
    std::multiset<int32_t> updating_;

    std::mutex reloadMutex_;
    std::mutex addonDirMutex_;

    std::mutex managerMutex_;
    int managerHolders_ = 0;
    platform::ManagerLock programLock_;
    platform::ManagerLock gameLock_;
    std::atomic<bool> cancelled_{false};

    mutable std::mutex workersMutex_;
    std::condition_variable workersIdle_;
    int workers_ = 0;
};

// Holds the manager lock of a library for a scope.
class ManagerScope {
  public:
    explicit ManagerScope(AddonLibrary& library)
        : library_(library), result_(library.HoldManager()) {}
    ~ManagerScope() {
        if (result_ == platform::LockResult::kAcquired)
            library_.ReleaseManager();
    }
    ManagerScope(const ManagerScope&) = delete;
    ManagerScope& operator=(const ManagerScope&) = delete;
    bool held() const { return result_ == platform::LockResult::kAcquired; }
    platform::LockResult result() const { return result_; }

  private:
    AddonLibrary& library_;
    platform::LockResult result_;
};

}  // namespace vt::addons
