// The archive structure: the end record, the central-directory walk and the
// local header check.
#pragma once

#include <cstdint>
#include <string>

#include "archive/zip_result.h"
#include "archive/zip_source.h"

namespace vt::archive {

// One central-directory entry as stored. name is in the local code page
// (names flagged as UTF-8 are converted) and may exceed the reader's limit.
struct ZipCentralEntry {
    uint16_t versionMadeBy = 0;
    uint16_t versionNeeded = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t dosTime = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint16_t startDisk = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
    std::string name;
};

// An open archive and its walk position.
struct ZipDirectory {
    ZipSource source;
    uint16_t entryCount = 0;
    uint16_t commentLength = 0;
    uint64_t bytesBefore = 0;  // bytes in front of the archive
    uint32_t centralOffset = 0;
    int currentIndex = 0;
    uint32_t currentOffset = 0;
    bool currentValid = false;
    ZipCentralEntry current;
};

// Finds the end record, computes bytesBefore and reads the first entry.
// kZipOk, kZipBadArchive or kZipReadError.
ZipResult OpenDirectory(ZipSource source, ZipDirectory& directory);

// Moves the walk to entry index (0 <= index < entryCount); false when an
// entry on the way cannot be read.
bool GoToEntry(ZipDirectory& directory, int index);

// Where a member's local extra field and data lie, from its local header.
struct ZipLocalHeader {
    uint64_t extraPosition = 0;
    uint16_t extraLength = 0;
    uint64_t dataPosition = 0;
};

// Checks the current entry's local header against the central directory:
// same method (stored or deflated), same name length, and the same CRC and
// sizes unless a data descriptor follows the data.
bool CheckLocalHeader(ZipDirectory& directory, ZipLocalHeader& header);

}  // namespace vt::archive
