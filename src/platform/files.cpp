// File helpers built on the system-specific operations.
#include "platform/files.h"

#include "platform/file_names.h"

namespace vt::platform {

namespace {
constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kUnixEpochTicks = 116'444'736'000'000'000ULL;  // 1970-01-01 in FILETIME
thread_local FileError lastFileError;
}  // namespace

FileError LastFileError() {
    return lastFileError;
}

bool RecordFileError(int number, std::string message) {
    lastFileError = {number, std::move(message)};
    return false;
}

FileTime UnixTimeToFileTime(int64_t seconds) {
    return static_cast<FileTime>(seconds * static_cast<int64_t>(kTicksPerSecond) +
                                 static_cast<int64_t>(kUnixEpochTicks));
}

int64_t FileTimeToUnixTime(FileTime time) {
    return (static_cast<int64_t>(time) - static_cast<int64_t>(kUnixEpochTicks)) /
           static_cast<int64_t>(kTicksPerSecond);
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    File file;
    if (!file.Open(path, File::Mode::kRead))
        return false;
    const int64_t size = file.Size();
    contents.clear();
    if (size > 0)
        contents.reserve(static_cast<size_t>(size));
    char buffer[65536];
    for (;;) {
        const int64_t got = file.Read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        contents.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteWholeFile(const std::string& path, const std::string& contents) {
    File file;
    return file.Open(path, File::Mode::kWrite) && file.Write(contents.data(), contents.size());
}

std::vector<std::string> ListSubdirectories(const std::string& dir) {
    return ListEntries(dir, EntryKind::kDirectories);
}

std::vector<std::string> ListFiles(const std::string& dir) {
    return ListEntries(dir, EntryKind::kFiles);
}

std::vector<std::string> ListDirectory(const std::string& dir) {
    return ListEntries(dir, EntryKind::kAll);
}

bool MakeDirectoryPath(const std::string& path) {
    const size_t separator = LastPathSeparator(path);
    if (separator != std::string::npos && separator > 0) {
        const std::string parent = path.substr(0, separator);
        if (parent.back() != ':' && !PathExists(parent))
            MakeDirectoryPath(parent);
    }
    if (!PathExists(path))
        MakeDirectory(path);
    return true;
}

bool DeleteDirectoryTree(const std::string& path) {
    std::string target = path;
    if (!target.empty() && (target.back() == '\\' || target.back() == '/'))
        target.pop_back();
    if (target.empty() || !IsDirectory(target))
        return false;
    return RemoveTree(target);
}

bool IsReadOnly(const std::string& path) {
    const uint32_t attributes = GetAttributes(path);
    return attributes != kInvalidAttributes && (attributes & kAttrReadOnly) != 0;
}

bool ClearReadOnly(const std::string& path) {
    const uint32_t attributes = GetAttributes(path);
    if (attributes == kInvalidAttributes)
        return false;
    if ((attributes & kAttrReadOnly) == 0)
        return true;
    return SetAttributes(path, attributes & ~static_cast<uint32_t>(kAttrReadOnly));
}

File::~File() {
    Close();
}

File::File(File&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

bool File::IsOpen() const {
    return handle_ != -1;
}

}  // namespace vt::platform
