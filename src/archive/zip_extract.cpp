// UnzipItem to a file: directories, refusal of names that leave the
// extraction directory, attributes and times.
#include <algorithm>
#include <vector>

#include "archive/zip_archive.h"
#include "archive/zip_paths.h"

namespace vt::archive {

namespace {

// The block of members too large to inflate whole; the others go out in one
// write.
constexpr size_t kOutputBufferSize = 1024 * 1024;
constexpr size_t kMaxPathLength = 259;

// Copies the open member into file through buffer; sets its times when
// everything arrived intact.
ZipResult CopyMember(ZipMemberReader& member, platform::File& file, const ZipEntry& entry,
                     std::vector<uint8_t>& buffer) {
    // No bigger than the member says it is: the reader stops there anyway.
    const size_t block = entry.uncompressedSize <= kWholeMemberLimit
                             ? std::max<size_t>(entry.uncompressedSize, 1)
                             : kOutputBufferSize;
    if (buffer.size() < block)
        buffer.resize(block);
    bool failed = false;
    for (;;) {
        const int64_t got = member.Read(buffer.data(), block);
        if (got < 0) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
        if (!file.Write(buffer.data(), static_cast<size_t>(got))) {
            failed = true;
            break;
        }
        if (static_cast<size_t>(got) < block)
            break;  // the member's end: a further read would give 0
    }
    if (failed || !member.Complete())
        return kZipIncomplete;
    file.SetTimes(entry.createTime, entry.accessTime, entry.modifyTime);
    return kZipOk;
}

constexpr uint32_t kMarkedAttributes =
    platform::kAttrReadOnly | platform::kAttrHidden | platform::kAttrSystem;

}  // namespace

ZipResult UnzipToFile(ZipArchive& archive, int index, void* target, int targetType) {
    ZipEntry entry;
    ZipResult result = kZipOk;
    if (index == archive.cachedIndex) {
        entry = archive.cachedEntry;
    } else {
        result = DescribeEntry(archive, index, entry);
        if (result != kZipOk)
            return result;
    }
    std::string name;
    if (targetType == kZipTargetName) {
        if (target == nullptr)
            return kZipCannotCreate;
        name = static_cast<const char*>(target);
        // Nothing is ever written outside the extraction directory.
        if (!IsSafeMemberName(name) ||
            archive.baseDirectory.size() + name.size() > kMaxPathLength) {
            return kZipCannotCreate;
        }
    } else if (target == nullptr) {
        return kZipBadArgument;
    }
    // Nor through a link that an earlier member or anyone else put there:
    // KnownDirectories checks each existing directory once, and a file in a
    // directory this extraction made cannot be one.
    if (entry.attr & platform::kAttrDirectory) {
        if (targetType == kZipTargetName && archive.directories.Make(archive.baseDirectory, name) ==
                                                KnownDirectories::kThroughLink) {
            return kZipCannotCreate;
        }
        return kZipOk;
    }
    ZipDirectory& directory = *archive.directory;
    if (!GoToEntry(directory, index) || !archive.member.Open(directory))
        return kZipHeaderMismatch;
    if (targetType == kZipTargetHandle) {
        return CopyMember(archive.member, *static_cast<platform::File*>(target), entry,
                          archive.writeBuffer);
    }
    const std::string directoryPart = DirectoryPart(name);
    if (!directoryPart.empty() && archive.directories.Make(archive.baseDirectory, directoryPart) ==
                                      KnownDirectories::kThroughLink) {
        return kZipCannotCreate;
    }
    if (!archive.directories.Made(directoryPart) &&
        platform::IsLink(archive.baseDirectory + name)) {
        return kZipCannotCreate;
    }
    platform::File file;
    if (!file.Open(name, platform::File::Mode::kWrite))
        return kZipCannotCreate;
    result = CopyMember(archive.member, file, entry, archive.writeBuffer);
    file.Close();
    // A new file is a plain archive file already; only the other bits need a call.
    if (entry.attr & kMarkedAttributes) {
        platform::SetAttributes(name, entry.attr & (kMarkedAttributes | platform::kAttrArchive));
    }
    return result;
}

}  // namespace vt::archive
