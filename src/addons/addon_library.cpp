#include "addons/addon_library.h"

#include <algorithm>
#include <utility>

#include "net/http_download.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/server_config.h"

namespace vt::addons {

namespace {

// The transfer tuning that servers.ini may set for its servers.
AddonOptions WithServerTuning(AddonOptions options, const settings::ServerConfig& servers) {
    if (servers.chunkPauseMs >= 0)
        options.chunkPauseMs = servers.chunkPauseMs;
    return options;
}

}  // namespace

AddonLibrary::AddonLibrary(settings::CAppState& app, const settings::ServerConfig& servers,
                           AddonWindow& window, AddonListControl& list, AddonOptions options)
    : app_(app),
      servers_(servers),
      window_(window),
      list_(list),
      options_(WithServerTuning(options, servers)),
      catalogue_(std::make_shared<const Catalogue>()),
      local_(std::make_shared<const LocalAddonList>()) {}

void ApplyTransferOptions(const AddonOptions& options, net::HttpDownload& download) {
    download.chunkPauseMs = options.chunkPauseMs;
    download.connectTimeout = options.connectTimeoutMs;
    download.receiveTimeout = options.receiveTimeoutMs;
    download.minimumRate = options.minimumRate;
    download.rateWindowMs = options.rateWindowMs;
    download.headerTimeout = options.headerTimeoutMs;
}

std::string ProgramLockPath(const std::string& programDir) {
    return programDir + "manager.lock";
}

std::string GameLockPath(const std::string& gameDir) {
    return gameDir.empty() ? std::string() : gameDir + "Interface\\.tessel-lock";
}

AddonLibrary::~AddonLibrary() {
    // A worker may be waiting on a transfer or on the window; neither may
    // keep the owner (the user-interface thread) waiting here.
    CancelTransfers();
    WaitIdle();
}

platform::LockResult AddonLibrary::HoldManager() {
    std::lock_guard<std::mutex> lock(managerMutex_);
    if (managerHolders_ > 0) {
        ++managerHolders_;
        return platform::LockResult::kAcquired;
    }
    const unsigned wait = options_.managerWaitMs;
    platform::LockResult result = programLock_.Acquire(ProgramLockPath(app_.ProgramDir()), wait);
    if (result != platform::LockResult::kAcquired)
        return result;
    // A game directory that is not there holds nothing to guard; its
    // "Interface" is made so the lock has a place.
    const std::string gameDir = app_.GameDir();
    if (!gameDir.empty() && platform::IsDirectory(gameDir)) {
        platform::MakeDirectoryPath(gameDir + "Interface");
        result = gameLock_.Acquire(GameLockPath(gameDir), wait);
        if (result != platform::LockResult::kAcquired) {
            programLock_.Release();
            return result;
        }
    }
    managerHolders_ = 1;
    return platform::LockResult::kAcquired;
}

void AddonLibrary::ReleaseManager() {
    std::lock_guard<std::mutex> lock(managerMutex_);
    if (managerHolders_ > 0 && --managerHolders_ == 0) {
        gameLock_.Release();
        programLock_.Release();
    }
}

void AddonLibrary::CancelTransfers() {
    cancelled_ = true;
}

std::shared_ptr<const Catalogue> AddonLibrary::catalogue() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return catalogue_;
}

void AddonLibrary::SetCatalogue(Catalogue catalogue) {
    auto fresh = std::make_shared<const Catalogue>(std::move(catalogue));
    std::lock_guard<std::mutex> lock(stateMutex_);
    catalogue_ = std::move(fresh);
}

std::shared_ptr<const LocalAddonList> AddonLibrary::localAddons() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return local_;
}

void AddonLibrary::SetLocalAddons(LocalAddonList list) {
    auto fresh = std::make_shared<const LocalAddonList>(std::move(list));
    std::lock_guard<std::mutex> lock(stateMutex_);
    local_ = std::move(fresh);
}

bool AddonLibrary::RemoveLocalAddon(int32_t id) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    auto found = std::find_if(local_->begin(), local_->end(),
                              [id](const AddonRecord& record) { return record.Id == id; });
    if (found == local_->end())
        return false;
    LocalAddonList copy(local_->begin(), found);
    copy.insert(copy.end(), found + 1, local_->end());
    local_ = std::make_shared<const LocalAddonList>(std::move(copy));
    return true;
}

AddonLibrary::LoadedFile AddonLibrary::loadedCatalogueFile() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return loadedFile_;
}

void AddonLibrary::SetLoadedCatalogueFile(const LoadedFile& file) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    loadedFile_ = file;
}

CatalogueStatus AddonLibrary::catalogueStatus() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return catalogueStatus_;
}

void AddonLibrary::SetCatalogueStatus(const CatalogueStatus& status) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    catalogueStatus_ = status;
}

void AddonLibrary::QueueInstall(int32_t id) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    queue_.push_back(id);
}

bool AddonLibrary::TakeLastQueued(int32_t& id) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (queue_.empty())
        return false;
    id = queue_.back();
    queue_.pop_back();
    return true;
}

bool AddonLibrary::QueueEmpty() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return queue_.empty();
}

std::vector<int32_t> AddonLibrary::QueuedIds() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return queue_;
}

bool AddonLibrary::TryBeginDraining() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (draining_)
        return false;
    draining_ = true;
    return true;
}

void AddonLibrary::EndDraining() {
    std::lock_guard<std::mutex> lock(stateMutex_);
    draining_ = false;
}

bool AddonLibrary::Draining() const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return draining_;
}

void AddonLibrary::MarkUpdating(int32_t id, bool updating) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    if (updating) {
        updating_.insert(id);
    } else if (auto found = updating_.find(id); found != updating_.end()) {
        updating_.erase(found);
    }
}

bool AddonLibrary::IsUpdating(int32_t id) const {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return updating_.count(id) != 0;
}

bool AddonLibrary::StartWorker(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(workersMutex_);
        ++workers_;
    }
    const bool started = platform::StartThread([this, work = std::move(work)] {
        work();
        std::lock_guard<std::mutex> lock(workersMutex_);
        if (--workers_ == 0)
            workersIdle_.notify_all();
    });
    if (!started) {
        std::lock_guard<std::mutex> lock(workersMutex_);
        if (--workers_ == 0)
            workersIdle_.notify_all();
    }
    return started;
}

int AddonLibrary::RunningWorkers() const {
    std::lock_guard<std::mutex> lock(workersMutex_);
    return workers_;
}

void AddonLibrary::WaitIdle() {
    std::unique_lock<std::mutex> lock(workersMutex_);
    workersIdle_.wait(lock, [this] { return workers_ == 0; });
}

}  // namespace vt::addons
