// The object behind a zip handle.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/zip_directory.h"
#include "archive/zip_member.h"
#include "archive/zip_paths.h"
#include "archive/zip_reader.h"

namespace vt::archive {

struct ZipArchive {
    std::optional<ZipDirectory> directory;
    int memoryIndex = -1;  // member open for memory extraction
    ZipMemberReader member;
    int cachedIndex = -1;
    ZipEntry cachedEntry;
    std::string baseDirectory;  // current directory at open + "\\"
    // The directories below baseDirectory that file targets made or found to
    // be real directories (not links), so that each is made or checked once.
    KnownDirectories directories;
    std::vector<uint8_t> writeBuffer;  // the output block of file targets
};

constexpr int kZipReaderKind = 1;

struct ZipHandleRecord {
    int kind = kZipReaderKind;
    ZipArchive archive;
};

// Fills entry for member index (>= 0) of an open archive.
ZipResult DescribeEntry(ZipArchive& archive, int index, ZipEntry& entry);
// UnzipItem for the file-handle and file-name targets (index in range, no
// memory member open).
ZipResult UnzipToFile(ZipArchive& archive, int index, void* target, int targetType);

}  // namespace vt::archive
