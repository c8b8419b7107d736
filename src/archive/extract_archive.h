// Unpacking and checking whole archives, as the addon pipeline and the
// upgrade module do it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/zip_result.h"

namespace vt {

struct ArchiveMemberResult {
    int index = 0;
    std::string name;  // local code page; empty when the member could not be described
    uint32_t attr = 0;
    uint32_t uncompressedSize = 0;
    ZipResult result = kZipOk;  // of GetZipItem when it failed, else of UnzipItem
};

struct ArchiveReport {
    ZipResult openResult = kZipOk;  // OpenZip's last zip result
    std::vector<ArchiveMemberResult> members;
    // Opened, and every member came out intact.
    bool Ok() const;
};

// Unpacks every member of the archive into targetDir (which must exist): the
// current directory is set to targetDir for the time of the extraction, and
// each member's read-only attribute is cleared before and after it is
// written. The archive file itself is left in place.
ArchiveReport ExtractArchive(const std::string& archivePath, const std::string& targetDir);

// Opens the archive and reads every member through its CRC check without
// writing anything; members that extraction would refuse for their names
// report kZipCannotCreate, as ExtractArchive would.
ArchiveReport VerifyZipArchive(const std::string& archivePath);

}  // namespace vt
