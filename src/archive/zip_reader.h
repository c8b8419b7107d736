// The zip reader: opens an archive from a file handle, a file name or a
// memory block, describes its members and extracts them to a file handle, a
// new file or memory. Stored and deflated members of single-disk archives.
// Every operation sets the process-wide last zip result (zip_result.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/zip_result.h"
#include "platform/files.h"

namespace vt::archive {

enum ZipSourceType : int {
    kZipSourceHandle = 1,  // source: platform::File*, a disk file kept open until CloseZip
    kZipSourceName = 2,    // source: const char*, a file name (local code page)
    kZipSourceMemory = 3,  // source: the block of length bytes, kept alive until CloseZip
};

enum ZipTargetType : int {
    kZipTargetHandle = 1,  // target: platform::File*, written from its position
    kZipTargetName = 2,    // target: const char*, a relative file name, created or replaced
    kZipTargetMemory = 3,  // target: a buffer of length bytes
};

constexpr size_t kZipMaxName = 260;

struct ZipEntry {
    int index = 0;
    char name[kZipMaxName] = {};  // as stored, "/" separators included, NUL-terminated
    uint32_t attr = 0;            // Windows attribute bits
    platform::FileTime accessTime = 0;
    platform::FileTime createTime = 0;
    platform::FileTime modifyTime = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
};

struct ZipHandleRecord;
using HZIP = ZipHandleRecord*;

// Opens an archive; null with the last zip result set on failure. The
// current directory at this moment is the base for the member directories
// that file targets create.
HZIP OpenZip(const void* source, uint32_t length, int sourceType);
// index -1: entry->index is the member count. Otherwise fills the member's
// description. Member names of kZipMaxName bytes or more give kZipBadArgument.
ZipResult GetZipItem(HZIP zip, int index, ZipEntry* entry);
// Extracts member index. File-name targets must stay below the current
// directory (no absolute, drive or climbing names: kZipCannotCreate). A
// member whose data is damaged (CRC, inflate, truncation) gives
// kZipIncomplete. Memory targets return kZipMore while data remains and then
// 0; *delivered (optional) receives the byte count of each call.
ZipResult UnzipItem(HZIP zip, int index, void* target, uint32_t length, int targetType,
                    uint32_t* delivered = nullptr);
// Releases the handle and everything it holds.
ZipResult CloseZip(HZIP zip);

// Owns a handle from OpenZip.
struct ZipCloser {
    void operator()(HZIP zip) const { CloseZip(zip); }
};
using ZipHandle = std::unique_ptr<ZipHandleRecord, ZipCloser>;

}  // namespace vt::archive
