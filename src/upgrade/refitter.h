// Keeping the updater beside the module present and current: its version
// file, its executable and its "ImageRes" folder, and the zip archive it is
// fetched in.
#pragma once

#include <optional>
#include <string>

#include "archive/extract_archive.h"
#include "net/http_download.h"
#include "upgrade/upgrade_settings.h"

namespace vt::upgrade {

// EnsureRefitter's results.
enum EnsureRefitterResult : int {
    kRefitterCurrent = 0,
    kRefitterFetched = 1,          // downloaded and unpacked
    kRefitterNoVersion = -1,       // the required version is empty
    kRefitterNoUrl = -2,           // a fetch is needed but the URL is empty
    kRefitterDownloadFailed = -3,  // the download did not end in 0 or 1
};

// What EnsureRefitter found and did, for front ends that report it.
struct RefitterReport {
    int installedVersion = 0;  // from the version file, 2 when absent
    int requiredVersion = 0;
    bool exePresent = false;
    bool imagesPresent = false;                         // "ImageRes" exists and is a directory
    std::optional<net::DownloadResult> downloadResult;  // when a fetch was made
    bool unpacked = false;           // the archive passed its check and was unpacked
    archive::ArchiveReport archive;  // its check (members and results)
};

// The updater archive's name: moduleDir + refitterExeName + "tmp".
std::string RefitterArchivePath(const UpgradeSettings& settings);

// Fetches and unpacks the updater from url into moduleDir when the version
// file reports less than requiredVersion or the executable or "ImageRes" is
// missing. The partial file of an earlier fetch is deleted first, so nothing
// is resumed.
EnsureRefitterResult EnsureRefitter(const UpgradeSettings& settings,
                                    const std::string& requiredVersion, const std::string& url,
                                    const UpgradeCheckLimits& limits,
                                    RefitterReport* report = nullptr);

// Unpacks the archive at path into its own directory and deletes it.
// Read-only files are overwritten. An archive that fails its check (does not
// open, a damaged member, or a member name that would leave the directory)
// is not unpacked at all, so nothing on disk is replaced by half an updater.
// report (when given) receives the check and whether unpacking ran.
void UnpackArchive(const std::string& path, RefitterReport* report = nullptr);

}  // namespace vt::upgrade
