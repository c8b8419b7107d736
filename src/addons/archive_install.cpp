#include "addons/archive_install.h"

#include "addons/addon_paths.h"
#include "addons/addon_state.h"
#include "addons/catalogue_refresh.h"
#include "addons/update_backup.h"
#include "archive/extract_archive.h"
#include "net/http_download.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"

namespace vt::addons {

namespace {

// Marks id as being installed by this process for the life of the scope, so
// that a scan leaves its transaction alone.
class UpdatingScope {
  public:
    UpdatingScope(AddonLibrary& library, int32_t id) : library_(library), id_(id) {
        library_.MarkUpdating(id_, true);
    }
    ~UpdatingScope() { library_.MarkUpdating(id_, false); }
    UpdatingScope(const UpdatingScope&) = delete;
    UpdatingScope& operator=(const UpdatingScope&) = delete;

  private:
    AddonLibrary& library_;
    int32_t id_;
};

}  // namespace

net::DownloadResult DownloadArchive(AddonLibrary& library, int32_t id, const std::string& url,
                                    std::string& archivePath) {
    const std::string programDir = library.app().ProgramDir();
    archivePath = ArchivePath(programDir, id);
    const std::string dir = DownloadDir(programDir);
    if (!platform::IsDirectory(dir))
        platform::MakeDirectoryPath(dir.substr(0, dir.size() - 1));
    // An old complete archive would pass the up-to-date check; its partial
    // ".down" file is what a resume needs.
    if (platform::PathExists(archivePath) && !platform::RemoveFile(archivePath))
        return net::kRenameFailed;  // the old archive keeps the name

    net::HttpDownload download;
    ApplyTransferOptions(library.options(), download);
    download.maxSize = library.options().archiveMaxBytes;
    download.stop = library.cancelFlag();
    AddonWindow& window = library.window();
    download.SetNotify(
        [&library, &window](const net::DownloadProgress& progress) {
            // Once the owner is stopping, its window may not answer any more.
            if (!library.TransfersCancelled())
                window.SendDownloadProgress(kProgressDownloading, progress);
        },
        id, -1, -1, true);
    const net::DownloadResult result = download.Download(url, archivePath, false);
    if (result == net::kDownloaded || result == net::kAlreadyCurrent)
        return result;
    const int httpStatus = StatusOfHeader(download.headerText());
    if (httpStatus != 0 && library.installObserver() != nullptr)
        library.installObserver()->OnDownloadAnswered(id, httpStatus);
    return result;
}

InstallOutcome InstallArchive(AddonLibrary& library, int32_t id, const std::string& archivePath,
                              bool isUpdate) {
    const std::string addonDir = AddonDir(library.app().GameDir());
    archive::ArchiveRules rules;
    rules.finalDir = addonDir;
    rules.limits = library.options().unpackLimits;
    if (addonDir.empty() || !archive::VerifyZipArchive(archivePath, rules).Ok()) {
        platform::RemoveFile(archivePath);
        return addonDir.empty() ? InstallOutcome::kExtractFailed : InstallOutcome::kBrokenArchive;
    }
    if (!platform::IsDirectory(addonDir)) {
        platform::MakeDirectoryPath(addonDir);
        platform::SleepMs(static_cast<unsigned>(library.options().directoryWaitMs));
    }

    std::vector<std::string> installed;
    const std::shared_ptr<const LocalAddonList> local = library.localAddons();
    if (const AddonRecord* entry = isUpdate ? FindLocalAddon(*local, id) : nullptr) {
        installed.push_back(entry->Folder);
        installed.insert(installed.end(), entry->SubFolders.begin(), entry->SubFolders.end());
    }
    UpdatingScope updating(library, id);
    const BusyInstalls busy = [&library, id](int32_t other) {
        return other != id && library.IsUpdating(other);
    };
    {
        std::lock_guard<std::mutex> lock(library.addonDirMutex());
        if (!BeginInstall(id, addonDir, busy)) {
            platform::RemoveFile(archivePath);
            return InstallOutcome::kExtractFailed;
        }
    }
    // Unpacked beside the addon directory: nothing installed changes until
    // the whole new version is on disk.
    const bool intact = archive::ExtractArchive(archivePath, StagingDir(addonDir), rules).Ok();
    platform::RemoveFile(archivePath);
    std::lock_guard<std::mutex> lock(library.addonDirMutex());
    if (!intact) {
        AbortInstall(id, addonDir);
        return InstallOutcome::kExtractFailed;
    }
    return CommitInstall(id, addonDir, installed) == CommitResult::kInstalled
               ? InstallOutcome::kInstalled
               : InstallOutcome::kExtractFailed;
}

}  // namespace vt::addons
