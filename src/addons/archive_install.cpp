#include "addons/archive_install.h"

#include "addons/addon_paths.h"
#include "addons/addon_state.h"
#include "addons/update_backup.h"
#include "archive/extract_archive.h"
#include "net/http_download.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/directory_helpers.h"

namespace vt {

bool DownloadArchive(AddonLibrary& library, int32_t id, std::string& archivePath, int& result) {
    const std::shared_ptr<const Catalogue> catalogue = library.catalogue();
    const auto record = catalogue->find(id);
    if (record == catalogue->end()) {
        result = -1;
        return false;
    }
    archivePath = ArchivePath(id);
    const std::string dir = DownloadDir();
    if (!platform::IsDirectory(dir))
        MakeDirectoryPath(dir.substr(0, dir.size() - 1));
    // An old complete archive would pass the up-to-date check; its partial
    // ".down" file is what a resume needs.
    platform::RemoveFile(archivePath);

    HttpDownload download;
    download.chunkPauseMs = library.options().chunkPauseMs;
    download.connectTimeout = library.options().connectTimeoutMs;
    download.receiveTimeout = library.options().receiveTimeoutMs;
    AddonWindow& window = library.window();
    download.SetNotify(
        [&window](const DownloadProgress& progress) {
            window.SendDownloadProgress(kProgressDownloading, progress);
        },
        id, -1, -1, true);
    result = download.Download(record->second.Url, archivePath, false);
    return result == kDownloaded || result == kAlreadyCurrent;
}

InstallOutcome InstallArchive(AddonLibrary& library, int32_t id, const std::string& archivePath,
                              bool isUpdate) {
    if (!VerifyZipArchive(archivePath).Ok()) {
        platform::RemoveFile(archivePath);
        return InstallOutcome::kBrokenArchive;
    }
    const std::string addonDir = AddonDir();
    if (addonDir.empty()) {
        platform::RemoveFile(archivePath);
        return InstallOutcome::kExtractFailed;
    }
    if (!platform::IsDirectory(addonDir)) {
        MakeDirectoryPath(addonDir);
        platform::SleepMs(static_cast<unsigned>(library.options().directoryWaitMs));
    }

    const std::shared_ptr<const LocalAddonList> local = library.localAddons();
    const AddonRecord* installed = isUpdate ? FindLocalAddon(*local, id) : nullptr;
    if (installed != nullptr) {
        std::vector<std::string> folders{installed->Folder};
        folders.insert(folders.end(), installed->SubFolders.begin(), installed->SubFolders.end());
        library.MarkUpdating(id, true);
        SetAsideFolders(id, addonDir, folders);
    }
    // Unpacked straight from the Download directory: the archive never
    // lands among the addon folders, and no cross-volume move is needed.
    const bool intact = ExtractArchive(archivePath, addonDir).Ok();
    platform::RemoveFile(archivePath);
    if (installed != nullptr) {
        if (intact) {
            DiscardSetAside(id);
        } else {
            RestoreSetAside(id, addonDir);
        }
        library.MarkUpdating(id, false);
    }
    return intact ? InstallOutcome::kInstalled : InstallOutcome::kExtractFailed;
}

}  // namespace vt
