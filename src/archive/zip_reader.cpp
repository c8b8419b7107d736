// The public operations: handle checks, dispatch and the last zip result.
#include "archive/zip_reader.h"

#include <memory>

#include "archive/zip_archive.h"

namespace vt::archive {

namespace {

ZipResult Finish(ZipResult result) {
    SetLastZipResult(result);
    return result;
}

// The archive behind a handle, or null with the result for a bad handle.
ZipArchive* ArchiveOf(HZIP zip, ZipResult& result) {
    if (zip == nullptr) {
        result = kZipBadArgument;
        return nullptr;
    }
    if (zip->kind != kZipReaderKind) {
        result = kZipWrongKind;
        return nullptr;
    }
    if (!zip->archive.directory) {
        result = kZipBadArgument;
        return nullptr;
    }
    return &zip->archive;
}

void CloseMemoryMember(ZipArchive& archive) {
    archive.memoryIndex = -1;
}

ZipResult OpenSource(const void* source, uint32_t length, int sourceType, ZipSource& out) {
    switch (sourceType) {
        case kZipSourceHandle: {
            auto* file = const_cast<platform::File*>(static_cast<const platform::File*>(source));
            if (file == nullptr || !file->IsOpen())
                return kZipCannotDuplicate;
            if (file->Tell() < 0 || file->Size() < 0)
                return kZipNotSeekable;
            out = ZipSource::Borrow(*file);
            return kZipOk;
        }
        case kZipSourceName: {
            if (source == nullptr)
                return kZipCannotCreate;
            platform::File file;
            if (!file.Open(static_cast<const char*>(source), platform::File::Mode::kRead)) {
                return kZipCannotCreate;
            }
            out = ZipSource::Own(std::move(file));
            return kZipOk;
        }
        case kZipSourceMemory:
            if (source == nullptr && length > 0)
                return kZipBadArgument;
            out = ZipSource::Memory(source, length);
            return kZipOk;
        default:
            return kZipBadArgument;
    }
}

ZipResult UnzipToMemory(ZipArchive& archive, int index, void* target, uint32_t length,
                        uint32_t* delivered) {
    if (target == nullptr || length == 0)
        return kZipBadArgument;
    if (archive.memoryIndex != index) {
        CloseMemoryMember(archive);
        if (!GoToEntry(*archive.directory, index) || !archive.member.Open(*archive.directory)) {
            return kZipHeaderMismatch;
        }
        archive.memoryIndex = index;
    }
    const int64_t got = archive.member.Read(target, length);
    if (got > 0) {
        if (delivered != nullptr)
            *delivered = static_cast<uint32_t>(got);
        return kZipMore;
    }
    CloseMemoryMember(archive);
    if (got < 0)
        return kZipMemoryReadError;
    return archive.member.Complete() ? kZipOk : kZipIncomplete;
}

}  // namespace

HZIP OpenZip(const void* source, uint32_t length, int sourceType) {
    auto record = std::make_unique<ZipHandleRecord>();
    record->archive.baseDirectory = platform::GetCurrentDir() + "\\";
    ZipSource input;
    ZipResult result = OpenSource(source, length, sourceType, input);
    if (result != kZipOk) {
        Finish(result);
        return nullptr;
    }
    record->archive.directory.emplace();
    result = OpenDirectory(std::move(input), *record->archive.directory);
    if (result != kZipOk) {
        Finish(result);
        return nullptr;
    }
    Finish(kZipOk);
    return record.release();
}

ZipResult GetZipItem(HZIP zip, int index, ZipEntry* entry) {
    ZipResult result = kZipOk;
    ZipArchive* archive = ArchiveOf(zip, result);
    if (archive == nullptr)
        return Finish(result);
    if (entry == nullptr || index < -1 || index >= archive->directory->entryCount) {
        return Finish(kZipBadArgument);
    }
    CloseMemoryMember(*archive);
    if (index == -1) {
        *entry = ZipEntry{};
        entry->index = archive->directory->entryCount;
        return Finish(kZipOk);
    }
    if (index == archive->cachedIndex) {
        *entry = archive->cachedEntry;
        return Finish(kZipOk);
    }
    return Finish(DescribeEntry(*archive, index, *entry));
}

ZipResult UnzipItem(HZIP zip, int index, void* target, uint32_t length, int targetType,
                    uint32_t* delivered) {
    if (delivered != nullptr)
        *delivered = 0;
    ZipResult result = kZipOk;
    ZipArchive* archive = ArchiveOf(zip, result);
    if (archive == nullptr)
        return Finish(result);
    if (index < 0 || index >= archive->directory->entryCount)
        return Finish(kZipBadArgument);
    switch (targetType) {
        case kZipTargetMemory:
            return Finish(UnzipToMemory(*archive, index, target, length, delivered));
        case kZipTargetHandle:
        case kZipTargetName:
            CloseMemoryMember(*archive);
            return Finish(UnzipToFile(*archive, index, target, targetType));
        default:
            return Finish(kZipBadArgument);
    }
}

ZipResult CloseZip(HZIP zip) {
    if (zip == nullptr)
        return Finish(kZipBadArgument);
    if (zip->kind != kZipReaderKind)
        return Finish(kZipWrongKind);
    delete zip;
    return Finish(kZipOk);
}

}  // namespace vt::archive
