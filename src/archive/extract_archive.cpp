#include "archive/extract_archive.h"

#include <functional>
#include <vector>

#include "archive/zip_paths.h"
#include "archive/zip_reader.h"
#include "platform/files.h"

namespace vt {

namespace {

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
           (path.size() > 1 && path[1] == ':');
}

// Switches the process's current directory and restores it when destroyed.
class CurrentDirectoryScope {
  public:
    explicit CurrentDirectoryScope(const std::string& dir)
        : saved_(platform::GetCurrentDir()), entered_(platform::SetCurrentDir(dir)) {}
    ~CurrentDirectoryScope() {
        if (entered_)
            platform::SetCurrentDir(saved_);
    }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;
    bool entered() const { return entered_; }

  private:
    std::string saved_;
    bool entered_;
};

// Opens the archive by name and runs act on every member that GetZipItem
// can describe; the report holds act's result, or GetZipItem's.
ArchiveReport ForEachMember(const std::string& archivePath,
                            const std::function<ZipResult(HZIP, const ZipEntry&)>& act) {
    ArchiveReport report;
    ZipHandle zip(OpenZip(archivePath.c_str(), 0, kZipSourceName));
    report.openResult = LastZipResult();
    if (!zip)
        return report;
    ZipEntry entry;
    GetZipItem(zip.get(), -1, &entry);
    const int count = entry.index;
    report.members.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        ArchiveMemberResult member;
        member.index = index;
        member.result = GetZipItem(zip.get(), index, &entry);
        if (member.result == kZipOk) {
            member.name = entry.name;
            member.attr = entry.attr;
            member.uncompressedSize = entry.uncompressedSize;
            member.result = act(zip.get(), entry);
        }
        report.members.push_back(std::move(member));
    }
    return report;
}

ZipResult ReadThrough(HZIP zip, int index) {
    std::vector<uint8_t> buffer(64 * 1024);
    for (;;) {
        const ZipResult result = UnzipItem(zip, index, buffer.data(),
                                           static_cast<uint32_t>(buffer.size()), kZipTargetMemory);
        if (result != kZipMore)
            return result;
    }
}

}  // namespace

bool ArchiveReport::Ok() const {
    if (openResult != kZipOk)
        return false;
    for (const ArchiveMemberResult& member : members) {
        if (member.result != kZipOk)
            return false;
    }
    return true;
}

ArchiveReport ExtractArchive(const std::string& archivePath, const std::string& targetDir) {
    // The archive is opened after the directory change, so pin its location first.
    const std::string archive =
        IsAbsolute(archivePath) ? archivePath : platform::GetCurrentDir() + "\\" + archivePath;
    CurrentDirectoryScope scope(targetDir);
    if (!scope.entered()) {
        ArchiveReport report;
        report.openResult = kZipCannotCreate;
        return report;
    }
    return ForEachMember(archive, [](HZIP zip, const ZipEntry& entry) {
        const std::string name = entry.name;
        // Only names that stay inside targetDir are touched at all.
        const bool safe = IsSafeMemberName(name);
        if (safe)
            platform::ClearReadOnly(name);
        const ZipResult result =
            UnzipItem(zip, entry.index, const_cast<char*>(name.c_str()), 0, kZipTargetName);
        if (safe)
            platform::ClearReadOnly(name);
        return result;
    });
}

ArchiveReport VerifyZipArchive(const std::string& archivePath) {
    return ForEachMember(archivePath, [](HZIP zip, const ZipEntry& entry) {
        // Extraction refuses these names, so the archive would not install whole.
        if (!IsSafeMemberName(entry.name))
            return kZipCannotCreate;
        return (entry.attr & platform::kAttrDirectory) ? kZipOk : ReadThrough(zip, entry.index);
    });
}

}  // namespace vt
