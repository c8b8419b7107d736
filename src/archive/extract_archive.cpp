#include "archive/extract_archive.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "archive/zip_archive.h"
#include "archive/zip_paths.h"
#include "archive/zip_reader.h"
#include "platform/files.h"

namespace vt::archive {

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

// Extraction refuses these names, or (for a final directory) their length.
bool MemberAllowed(const std::string& name, const std::string& finalDir) {
    return IsSafeMemberName(name) &&
           (finalDir.empty() || finalDir.size() + 1 + name.size() <= kMaxMemberPath);
}

// Opens the archive by name, checks it whole and runs act on every member
// that GetZipItem can describe; the report holds act's result, or
// GetZipItem's.
ArchiveReport ForEachMember(const std::string& archivePath, const ArchiveLimits& limits,
                            const std::function<ZipResult(HZIP, const ZipEntry&)>& act) {
    ArchiveReport report;
    ZipHandle zip(OpenZip(archivePath.c_str(), 0, kZipSourceName));
    report.openResult = LastZipResult();
    if (!zip)
        return report;
    report.openResult = CheckArchiveLayout(zip.get(), limits);
    if (report.openResult != kZipOk)
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

// Reads member entry to its end through buffer, which grows so that a member
// the reader inflates whole comes out in one read.
ZipResult ReadThrough(HZIP zip, const ZipEntry& entry, std::vector<uint8_t>& buffer) {
    const size_t want = std::max<size_t>(
        static_cast<size_t>(std::min<uint64_t>(entry.uncompressedSize, kWholeMemberLimit)),
        64 * 1024);
    if (buffer.size() < want)
        buffer.resize(want);
    for (;;) {
        const ZipResult result = UnzipItem(zip, entry.index, buffer.data(),
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

ArchiveReport ExtractArchive(const std::string& archivePath, const std::string& targetDir,
                             const ArchiveRules& rules) {
    // The archive is opened after the directory change, so pin its location first.
    const std::string archive =
        IsAbsolute(archivePath) ? archivePath : platform::GetCurrentDir() + "\\" + archivePath;
    CurrentDirectoryScope scope(targetDir);
    if (!scope.entered()) {
        ArchiveReport report;
        report.openResult = kZipCannotCreate;
        return report;
    }
    const std::string finalDir = rules.finalDir.empty() ? targetDir : rules.finalDir;
    return ForEachMember(archive, rules.limits, [&finalDir](HZIP zip, const ZipEntry& entry) {
        const std::string name = entry.name;
        if (!MemberAllowed(name, finalDir))
            return kZipCannotCreate;
        // In a directory this extraction made, the member is new: nothing
        // there is read-only or a link yet.
        const bool fresh = zip->archive.directories.Made(DirectoryPart(name));
        // Only names that stay inside targetDir are touched at all: not
        // through a link either, whose target would lose its read-only bit.
        const bool safe = fresh || !CrossesLink("", name);
        if (safe && !fresh)
            platform::ClearReadOnly(name);
        const ZipResult result =
            UnzipItem(zip, entry.index, const_cast<char*>(name.c_str()), 0, kZipTargetName);
        // Only the member's own read-only bit can have come since.
        if (safe && (entry.attr & platform::kAttrReadOnly))
            platform::ClearReadOnly(name);
        return result;
    });
}

ArchiveReport VerifyZipArchive(const std::string& archivePath, const ArchiveRules& rules) {
    std::vector<uint8_t> buffer;
    return ForEachMember(archivePath, rules.limits, [&](HZIP zip, const ZipEntry& entry) {
        // Extraction refuses these, so the archive would not install whole.
        if (!MemberAllowed(entry.name, rules.finalDir))
            return kZipCannotCreate;
        return (entry.attr & platform::kAttrDirectory) ? kZipOk : ReadThrough(zip, entry, buffer);
    });
}

}  // namespace vt::archive
