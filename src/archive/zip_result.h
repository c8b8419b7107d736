// Result codes of the zip reader and the process-wide last zip result.
#pragma once

#include <cstdint>
#include <string>

namespace vt::archive {

// What a zip operation came to; the numbers are the reader's own.
enum ZipResult : uint32_t {
    kZipOk = 0,
    kZipCannotDuplicate = 0x100,      // the given file handle is unusable
    kZipCannotCreate = 0x200,         // a file cannot be opened or created
    kZipIncomplete = 0x400,           // member not extracted completely
    kZipMore = 0x600,                 // memory target filled, call again
    kZipHeaderMismatch = 0x700,       // local header disagrees / entry unreadable
    kZipExtraUnreadable = 0x800,      // local extra field cannot be read
    kZipOverlap = 0x900,              // whole archive: members share bytes
    kZipTooLarge = 0xA00,             // whole archive: beyond the size limits
    kZipBadArgument = 0x10000,        // bad type, index out of range, no handle
    kZipWrongKind = 0x80000,          // not a zip-reader handle
    kZipAlreadyOpen = 0x1000000,      // the archive object is already open
    kZipNotSeekable = 0x2000000,      // a handle source that is not a disk file
    kZipMemoryReadError = 0x5000000,  // memory extraction hit a read error
    // Statuses of the archive walk, left in the last zip result by a failed
    // OpenZip.
    kZipReadError = 0xFFFFFFFFu,   // -1
    kZipBadArchive = 0xFFFFFF99u,  // -103
};

// The result of the last public zip operation in this process (any thread).
ZipResult LastZipResult();
void SetLastZipResult(ZipResult result);

// "0x700" style text with a short meaning, for logs and the command line.
std::string ZipResultText(ZipResult result);

}  // namespace vt::archive
