// Result codes of the zip reader and the process-wide last zip result.
#pragma once

#include <cstdint>
#include <string>

namespace vt {

using ZipResult = uint32_t;

constexpr ZipResult kZipOk = 0;
constexpr ZipResult kZipCannotDuplicate = 0x100;      // the given file handle is unusable
constexpr ZipResult kZipCannotCreate = 0x200;         // a file cannot be opened or created
constexpr ZipResult kZipIncomplete = 0x400;           // member not extracted completely
constexpr ZipResult kZipMore = 0x600;                 // memory target filled, call again
constexpr ZipResult kZipHeaderMismatch = 0x700;       // local header disagrees / entry unreadable
constexpr ZipResult kZipExtraUnreadable = 0x800;      // local extra field cannot be read
constexpr ZipResult kZipOverlap = 0x900;              // whole archive: members share bytes
constexpr ZipResult kZipTooLarge = 0xA00;             // whole archive: beyond the size limits
constexpr ZipResult kZipBadArgument = 0x10000;        // bad type, index out of range, no handle
constexpr ZipResult kZipWrongKind = 0x80000;          // not a zip-reader handle
constexpr ZipResult kZipAlreadyOpen = 0x1000000;      // the archive object is already open
constexpr ZipResult kZipNotSeekable = 0x2000000;      // a handle source that is not a disk file
constexpr ZipResult kZipMemoryReadError = 0x5000000;  // memory extraction hit a read error
// Statuses of the archive walk, left in the last zip result by a failed OpenZip.
constexpr ZipResult kZipReadError = static_cast<ZipResult>(-1);
constexpr ZipResult kZipBadArchive = static_cast<ZipResult>(-103);

// The result of the last public zip operation in this process (any thread).
ZipResult LastZipResult();
void SetLastZipResult(ZipResult result);

// "0x700" style text with a short meaning, for logs and the command line.
std::string ZipResultText(ZipResult result);

}  // namespace vt
