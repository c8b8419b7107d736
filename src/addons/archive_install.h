// Fetching and unpacking one addon archive.
#pragma once

#include <cstdint>
#include <string>

#include "addons/addon_library.h"
#include "net/http_download.h"

namespace vt::addons {

// Downloads url, the catalogue record's archive of id, to archivePath:
// ProgramDir + "Download\\%d.zip". An old archive of that name is deleted
// first but its ".down" partial file kept, so an interrupted transfer
// resumes. Progress goes to the window as UM_DOWNLOAD_PROGRESS (2) records
// keyed by id. kDownloaded and kAlreadyCurrent mean the archive is there.
net::DownloadResult DownloadArchive(AddonLibrary& library, int32_t id, const std::string& url,
                                    std::string& archivePath);

// Installs the downloaded archive into GameDir + "Interface\\Addons". The
// archive is checked first under every rule of the unpacking (it opens, is no
// zip bomb, every member passes its CRC check and fits the addon directory);
// a broken one is deleted and changes nothing installed. The archive is then
// unpacked beside the addon directory and put in place of the installed
// folders and sub-folders of id as one transaction (update_backup.h): a
// failure or a crash at any point leaves the old state or the whole new
// version, never a mix. The archive is deleted in every case.
InstallOutcome InstallArchive(AddonLibrary& library, int32_t id, const std::string& archivePath,
                              bool isUpdate);

}  // namespace vt::addons
