// GetZipItem's description of one member.
#include <cstring>
#include <vector>

#include "archive/zip_archive.h"
#include "archive/zip_entry_info.h"

namespace vt::archive {

ZipResult DescribeEntry(ZipArchive& archive, int index, ZipEntry& entry) {
    ZipDirectory& directory = *archive.directory;
    if (!GoToEntry(directory, index))
        return kZipHeaderMismatch;
    ZipLocalHeader header;
    if (!CheckLocalHeader(directory, header))
        return kZipHeaderMismatch;
    std::vector<uint8_t> extra(header.extraLength);
    if (!directory.source.ReadAt(header.extraPosition, extra.data(), extra.size())) {
        return kZipExtraUnreadable;
    }
    const ZipCentralEntry& central = directory.current;
    // A longer name would be cut short and name a different file.
    if (central.name.size() >= kZipMaxName || central.name.find('\0') != std::string::npos) {
        return kZipBadArgument;
    }
    ZipEntry filled;
    filled.index = index;
    std::memcpy(filled.name, central.name.c_str(), central.name.size() + 1);
    filled.attr = ZipAttributes(central.externalAttributes);
    ZipTimes times;
    times.access = times.create = times.modify = DosDateTimeToFileTime(central.dosTime);
    ApplyExtendedTimestamp(extra.data(), extra.size(), times);
    filled.accessTime = times.access;
    filled.createTime = times.create;
    filled.modifyTime = times.modify;
    filled.compressedSize = central.compressedSize;
    filled.uncompressedSize = central.uncompressedSize;
    entry = filled;
    archive.cachedEntry = filled;
    archive.cachedIndex = index;
    return kZipOk;
}

}  // namespace vt::archive
