#include "archive/zip_directory.h"

#include <algorithm>
#include <vector>

#include "platform/code_page.h"

namespace vt::archive {

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8Name = 0x0800;

// Offset of the end record relative to the source's start, 0 when none:
// the last 64 KiB are scanned backwards in 1 KiB blocks overlapping by 4.
uint64_t FindEndRecord(ZipSource& source) {
    constexpr uint64_t kBlock = 1024;
    const uint64_t size = source.Size() - source.Start();
    const uint64_t maxBack = std::min<uint64_t>(size, 0xFFFF);
    uint8_t buffer[kBlock + 4];
    uint64_t back = 4;
    while (back < maxBack) {
        back = back + kBlock > maxBack ? maxBack : back + kBlock;
        const uint64_t readPos = size - back;
        const size_t readSize = static_cast<size_t>(std::min<uint64_t>(kBlock + 4, size - readPos));
        if (!source.ReadAt(source.Start() + readPos, buffer, readSize))
            return 0;
        for (size_t i = readSize - 3; i-- > 0;) {
            if (ReadLe32(buffer + i) == kEndSignature)
                return readPos + i;
        }
    }
    return 0;
}

bool ReadEntryAt(ZipDirectory& directory, ZipResult* status) {
    ZipCentralEntry& entry = directory.current;
    uint8_t header[kCentralHeaderSize];
    const uint64_t position = directory.bytesBefore + directory.currentOffset;
    *status = kZipReadError;
    if (!directory.source.ReadAt(position, header, sizeof header))
        return false;
    *status = kZipBadArchive;
    if (ReadLe32(header) != kCentralSignature)
        return false;
    entry.versionMadeBy = ReadLe16(header + 4);
    entry.versionNeeded = ReadLe16(header + 6);
    entry.flags = ReadLe16(header + 8);
    entry.method = ReadLe16(header + 10);
    entry.dosTime = ReadLe32(header + 12);
    entry.crc = ReadLe32(header + 16);
    entry.compressedSize = ReadLe32(header + 20);
    entry.uncompressedSize = ReadLe32(header + 24);
    entry.nameLength = ReadLe16(header + 28);
    entry.extraLength = ReadLe16(header + 30);
    entry.commentLength = ReadLe16(header + 32);
    entry.startDisk = ReadLe16(header + 34);
    entry.internalAttributes = ReadLe16(header + 36);
    entry.externalAttributes = ReadLe32(header + 38);
    entry.localHeaderOffset = ReadLe32(header + 42);
    entry.name.resize(entry.nameLength);
    *status = kZipReadError;
    if (!directory.source.ReadAt(position + kCentralHeaderSize, entry.name.data(),
                                 entry.nameLength)) {
        return false;
    }
    // Windows tools store names in the system code page; others flag UTF-8.
    if (entry.flags & kFlagUtf8Name)
        entry.name = platform::Utf8ToLocal(entry.name);
    *status = kZipOk;
    return true;
}

bool ReadCurrentEntry(ZipDirectory& directory, ZipResult* status) {
    directory.currentValid = ReadEntryAt(directory, status);
    return directory.currentValid;
}

ZipResult GoToFirstEntry(ZipDirectory& directory) {
    directory.currentOffset = directory.centralOffset;
    directory.currentIndex = 0;
    ZipResult status;
    ReadCurrentEntry(directory, &status);
    return status;
}

bool GoToNextEntry(ZipDirectory& directory) {
    if (!directory.currentValid)
        return false;
    if (directory.currentIndex + 1 >= directory.entryCount)
        return false;
    const ZipCentralEntry& entry = directory.current;
    directory.currentOffset += static_cast<uint32_t>(kCentralHeaderSize) + entry.nameLength +
                               entry.extraLength + entry.commentLength;
    ++directory.currentIndex;
    ZipResult status;
    return ReadCurrentEntry(directory, &status);
}

}  // namespace

ZipResult OpenDirectory(ZipSource source, ZipDirectory& directory) {
    directory.source = std::move(source);
    ZipSource& input = directory.source;
    const uint64_t endOffset = FindEndRecord(input);
    if (endOffset == 0)
        return kZipReadError;
    const uint64_t endPosition = input.Start() + endOffset;
    uint8_t record[kEndRecordSize];
    if (!input.ReadAt(endPosition, record, sizeof record))
        return kZipReadError;
    const uint16_t thisDisk = ReadLe16(record + 4);
    const uint16_t centralDisk = ReadLe16(record + 6);
    const uint16_t entriesHere = ReadLe16(record + 8);
    const uint16_t entriesTotal = ReadLe16(record + 10);
    const uint32_t centralSize = ReadLe32(record + 12);
    const uint32_t centralOffset = ReadLe32(record + 16);
    directory.commentLength = ReadLe16(record + 20);
    if (thisDisk != 0 || centralDisk != 0 || entriesHere != entriesTotal)
        return kZipBadArchive;
    if (endPosition < static_cast<uint64_t>(centralOffset) + centralSize)
        return kZipBadArchive;
    directory.entryCount = entriesTotal;
    directory.centralOffset = centralOffset;
    directory.bytesBefore = endPosition - centralOffset - centralSize;
    // The walk reads the central directory again and again between the
    // members' reads: one read of it spares a seek and a read per member.
    input.Keep(directory.bytesBefore + centralOffset, centralSize);
    return GoToFirstEntry(directory);
}

bool GoToEntry(ZipDirectory& directory, int index) {
    if (index < 0 || index >= directory.entryCount)
        return false;
    if (index < directory.currentIndex) {
        ZipResult status = GoToFirstEntry(directory);
        if (status != kZipOk)
            return false;
    }
    while (directory.currentIndex < index) {
        if (!GoToNextEntry(directory))
            return false;
    }
    return directory.currentValid;
}

bool CheckLocalHeader(ZipDirectory& directory, ZipLocalHeader& header) {
    const ZipCentralEntry& entry = directory.current;
    uint8_t local[kLocalHeaderSize];
    const uint64_t position = directory.bytesBefore + entry.localHeaderOffset;
    if (!directory.source.ReadAt(position, local, sizeof local))
        return false;
    if (ReadLe32(local) != kLocalSignature)
        return false;
    const uint16_t method = ReadLe16(local + 8);
    if (method != entry.method || (method != 0 && method != 8))
        return false;
    if (!(ReadLe16(local + 6) & kFlagDataDescriptor)) {
        if (ReadLe32(local + 14) != entry.crc || ReadLe32(local + 18) != entry.compressedSize ||
            ReadLe32(local + 22) != entry.uncompressedSize) {
            return false;
        }
    }
    if (ReadLe16(local + 26) != entry.nameLength)
        return false;
    header.extraLength = ReadLe16(local + 28);
    header.extraPosition = position + kLocalHeaderSize + entry.nameLength;
    header.dataPosition = header.extraPosition + header.extraLength;
    return true;
}

}  // namespace vt::archive
