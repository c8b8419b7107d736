#include "archive/zip_layout.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "archive/zip_archive.h"

namespace vt::archive {

namespace {

ZipResult Check(ZipArchive& archive, const ArchiveLimits& limits) {
    ZipDirectory& directory = *archive.directory;
    std::vector<std::pair<uint64_t, uint64_t>> ranges;  // [start, end) of header and data
    ranges.reserve(directory.entryCount);
    uint64_t total = 0;
    for (int index = 0; index < directory.entryCount; ++index) {
        ZipLocalHeader header;
        if (!GoToEntry(directory, index) || !CheckLocalHeader(directory, header))
            return kZipHeaderMismatch;
        const ZipCentralEntry& entry = directory.current;
        total += entry.uncompressedSize;
        if (total > limits.maxTotalSize ||
            entry.uncompressedSize >
                static_cast<uint64_t>(entry.compressedSize) * limits.maxRatio) {
            return kZipTooLarge;
        }
        ranges.emplace_back(directory.bytesBefore + entry.localHeaderOffset,
                            header.dataPosition + entry.compressedSize);
    }
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first < ranges[i - 1].second)
            return kZipOverlap;
    }
    return kZipOk;
}

}  // namespace

ZipResult CheckArchiveLayout(HZIP zip, const ArchiveLimits& limits) {
    if (zip == nullptr || zip->kind != kZipReaderKind || !zip->archive.directory) {
        SetLastZipResult(kZipBadArgument);
        return kZipBadArgument;
    }
    const ZipResult result = Check(zip->archive, limits);
    SetLastZipResult(result);
    return result;
}

}  // namespace vt::archive
