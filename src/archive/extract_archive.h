// Unpacking and checking whole archives, as the addon pipeline and the
// upgrade module do it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/zip_layout.h"
#include "archive/zip_result.h"

namespace vt::archive {

struct ArchiveMemberResult {
    int index = 0;
    std::string name;  // local code page; empty when the member could not be described
    uint32_t attr = 0;
    uint32_t uncompressedSize = 0;
    ZipResult result = kZipOk;  // of GetZipItem when it failed, else of UnzipItem
};

// The rules a whole archive is unpacked under, beyond the reader's own.
struct ArchiveRules {
    // Where the members finally live (without a trailing separator); a member
    // whose path there would pass kMaxMemberPath is refused. Empty: the
    // directory unpacked into (ExtractArchive), or no length rule (Verify).
    std::string finalDir;
    ArchiveLimits limits;
};

// The longest path of a member file, directory and separator included.
constexpr size_t kMaxMemberPath = 259;

struct ArchiveReport {
    // OpenZip's last zip result, or the whole archive's refusal
    // (CheckArchiveLayout: kZipOverlap, kZipTooLarge).
    ZipResult openResult = kZipOk;
    std::vector<ArchiveMemberResult> members;
    // Opened, and every member came out intact.
    bool Ok() const;
};

// Unpacks every member of the archive into targetDir (which must exist): the
// current directory is set to targetDir for the time of the extraction, and
// each member's read-only attribute is cleared before and after it is
// written. An archive that breaks the rules' limits is refused whole before
// anything is written. The archive file itself is left in place.
ArchiveReport ExtractArchive(const std::string& archivePath, const std::string& targetDir,
                             const ArchiveRules& rules = {});

// Opens the archive and reads every member through its CRC check without
// writing anything, under every rule ExtractArchive applies: the same
// whole-archive refusals, and kZipCannotCreate for members extraction would
// refuse for their names or (with rules.finalDir) their length.
ArchiveReport VerifyZipArchive(const std::string& archivePath, const ArchiveRules& rules = {});

}  // namespace vt::archive
