#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ftw.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/code_page.h"
#include "platform/file_faults.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/native_path_posix.h"

namespace vt::platform {

namespace {

// Characters no Windows name may hold; a POSIX name with one is escaped, so
// the core never mistakes it for a separator, a drive or an escaped form.
bool WindowsCannotHold(const std::string& utf8Name) {
    for (char c : utf8Name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\:*?\"<>|", c) != nullptr)
            return true;
    }
    return false;
}

bool PlainName(const std::string& utf8Name, std::string& local) {
    local = Utf8ToLocal(utf8Name);
    return !WindowsCannotHold(utf8Name) && LocalToUtf8(local) == utf8Name;
}

// The raw bytes of one local component: an escaped form decoded, any other
// text converted to UTF-8.
std::string NativeComponent(const std::string& part) {
    std::string bytes;
    const std::string_view digits = EscapedDigits(part);
    if (!digits.empty() && BytesOfHex(digits, bytes))
        return bytes;
    return LocalToUtf8(part);
}

// errno values in Windows numbering.
constexpr struct {
    int error;
    int number;
} kErrorNumbers[] = {
    {ENOENT, kErrorFileNotFound},
    {EBADF, 6},    // invalid handle
    {ENOTDIR, 3},  // path not found
    {EMFILE, 4},   // too many open files
    {EACCES, kErrorAccessDenied},
    {EPERM, kErrorAccessDenied},
    {EISDIR, kErrorAccessDenied},
    {EROFS, 19},  // write protected
    {ENOMEM, kErrorNotEnoughMemory},
    {EIO, 30},     // read fault
    {EBUSY, 32},   // sharing violation
    {EEXIST, 80},  // file exists
    {ENOSPC, kErrorDiskFull},
    {ENAMETOOLONG, 206},
};

int WindowsErrorNumber(int error) {
    for (const auto& entry : kErrorNumbers) {
        if (entry.error == error)
            return entry.number;
    }
    return 31;  // a device attached to the system is not functioning
}

}  // namespace

bool FileCallFailed() {
    const int error = errno;
    // The system's own message says what really happened.
    return RecordFileError(WindowsErrorNumber(error), std::generic_category().message(error));
}

std::string FileErrorMessage(int number) {
    for (const auto& entry : kErrorNumbers) {
        if (entry.number == number)
            return std::generic_category().message(entry.error);
    }
    return "Unknown error " + std::to_string(number);
}

std::string ToNativePath(const std::string& localPath) {
    if (localPath.find('?') == std::string::npos) {
        // Convert first: a GBK trail byte may be 0x5C, which is no separator.
        std::string path = LocalToUtf8(localPath);
        for (char& c : path) {
            if (c == '\\')
                c = '/';
        }
        return path;
    }
    std::string path;
    for (const std::string& part : SplitPath(localPath))
        path += part == "\\" || part == "/" ? std::string("/") : NativeComponent(part);
    return path;
}

std::string FromNativeName(const std::string& utf8Name) {
    std::string local;
    if (PlainName(utf8Name, local))
        return local;
    return EscapeName(HexOfBytes(utf8Name), !utf8Name.empty() && utf8Name.front() == '.');
}

std::string FromNativePath(const std::string& utf8Path) {
    std::string path;
    size_t start = 0;
    while (start <= utf8Path.size()) {
        size_t end = utf8Path.find('/', start);
        if (end == std::string::npos)
            end = utf8Path.size();
        if (end > start)
            path += FromNativeName(utf8Path.substr(start, end - start));
        if (end < utf8Path.size())
            path += '/';
        start = end + 1;
    }
    return path;
}

std::string FileNameFromUtf8(const std::string& utf8) {
    return FromNativeName(utf8);
}

std::string PathToUtf8(const std::string& local) {
    if (local.find('?') == std::string::npos)
        return LocalToUtf8(local);
    std::string text;
    for (const std::string& part : SplitPath(local))
        text += part == "\\" || part == "/" ? part : NativeComponent(part);
    return text;
}

namespace {

bool StatPath(const std::string& path, struct stat& info) {
    return ::stat(ToNativePath(path).c_str(), &info) == 0;
}

FileTime ToFileTime(const struct timespec& time) {
    return UnixTimeToFileTime(time.tv_sec) + static_cast<FileTime>(time.tv_nsec / 100);
}

struct timespec ToTimespec(FileTime time, bool keep) {
    struct timespec result {};
    if (keep) {
        result.tv_nsec = UTIME_OMIT;
        return result;
    }
    result.tv_sec = FileTimeToUnixTime(time);
    result.tv_nsec = static_cast<long>((time % 10'000'000) * 100);
    return result;
}

}  // namespace

std::vector<std::string> ListEntries(const std::string& dir, EntryKind kind) {
    struct Found {
        std::u16string key;
        std::string raw;
    };
    std::vector<Found> found;
    const std::string native = ToNativePath(dir);
    DIR* handle = ::opendir(native.c_str());
    if (handle == nullptr)
        return {};
    while (const dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info;
        if (::stat((native + "/" + name).c_str(), &info) != 0 &&
            ::lstat((native + "/" + name).c_str(), &info) != 0)
            continue;
        if (kind == EntryKind::kAll || S_ISDIR(info.st_mode) == (kind == EntryKind::kDirectories))
            found.push_back({Utf8ToUtf16(name), name});
    }
    ::closedir(handle);
    // NTFS order, so a disk lists the same on every system.
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        const int order = CompareFileNames(a.key, b.key);
        return order != 0 ? order < 0 : a.raw < b.raw;
    });
    std::vector<std::string> names;
    names.reserve(found.size());
    for (const Found& entry : found)
        names.push_back(FromNativeName(entry.raw));
    return names;
}

bool PathExists(const std::string& path) {
    struct stat info;
    return StatPath(path, info);
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return StatPath(path, info) && S_ISDIR(info.st_mode);
}

bool IsLink(const std::string& path) {
    std::string native = ToNativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    struct stat info;
    return ::lstat(native.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool RemoveFile(const std::string& path) {
    const std::string native = ToNativePath(path);
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    // Windows refuses to delete a read-only file; so does this layer.
    if ((info.st_mode & S_IWUSR) == 0)
        return false;
    return !InjectFileFault(FileOp::kDelete) && ::unlink(native.c_str()) == 0;
}

bool RenamePath(const std::string& from, const std::string& to, bool replace) {
    const std::string nativeTo = ToNativePath(to);
    struct stat info;
    if (!replace && ::lstat(nativeTo.c_str(), &info) == 0)
        return false;
    return !InjectFileFault(FileOp::kRename) &&
           ::rename(ToNativePath(from).c_str(), nativeTo.c_str()) == 0;
}

bool MakeDirectory(const std::string& path) {
    return !InjectFileFault(FileOp::kCreate) && ::mkdir(ToNativePath(path).c_str(), 0755) == 0;
}

bool RemoveEmptyDirectory(const std::string& path) {
    return !InjectFileFault(FileOp::kDelete) && ::rmdir(ToNativePath(path).c_str()) == 0;
}

bool RemoveTree(const std::string& path) {
    std::string native = ToNativePath(path);
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode))
        return !InjectFileFault(FileOp::kDelete) && ::unlink(native.c_str()) == 0;
    const auto removeOne = [](const char* entry, const struct stat*, int, struct FTW*) {
        return InjectFileFault(FileOp::kDelete) ? -1 : ::remove(entry);
    };
    return ::nftw(native.c_str(), removeOne, 32, FTW_DEPTH | FTW_PHYS) == 0;
}

uint32_t GetAttributes(const std::string& path) {
    struct stat info;
    if (!StatPath(path, info))
        return kInvalidAttributes;
    uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= kAttrDirectory;
    if ((info.st_mode & S_IWUSR) == 0)
        attributes |= kAttrReadOnly;
    if (attributes == 0)
        attributes = kAttrArchive;
    return attributes;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    const std::string native = ToNativePath(path);
    struct stat info;
    if (::stat(native.c_str(), &info) != 0)
        return false;
    mode_t mode = info.st_mode & 07777;
    if (attributes & kAttrReadOnly) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else {
        mode |= S_IWUSR;
    }
    return ::chmod(native.c_str(), mode) == 0;
}

int64_t FileSize(const std::string& path) {
    struct stat info;
    if (!StatPath(path, info) || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

FileTime GetModifiedTime(const std::string& path) {
    struct stat info;
    return StatPath(path, info) ? ToFileTime(info.st_mtim) : 0;
}

bool SetModifiedTime(const std::string& path, FileTime time) {
    const struct timespec times[2] = {ToTimespec(0, true), ToTimespec(time, false)};
    return ::utimensat(AT_FDCWD, ToNativePath(path).c_str(), times, 0) == 0;
}

std::string GetCurrentDir() {
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? FromNativePath(buffer) : std::string();
}

bool SetCurrentDir(const std::string& path) {
    return ::chdir(ToNativePath(path).c_str()) == 0;
}

bool File::Open(const std::string& path, Mode mode) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::kRead:
            flags |= O_RDONLY;
            break;
        case Mode::kWrite:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::kAppend:
            flags |= O_WRONLY | O_CREAT | O_APPEND;
            break;
        case Mode::kReadWrite:
            flags |= O_RDWR | O_CREAT;
            break;
    }
    if (mode != Mode::kRead && InjectFileFault(FileOp::kCreate))
        return false;
    const int fd = ::open(ToNativePath(path).c_str(), flags, 0644);
    if (fd < 0)
        return FileCallFailed();
    // Only reading opens a directory; the writing modes fail on one (EISDIR).
    struct stat info;
    if (mode == Mode::kRead && (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))) {
        if (S_ISDIR(info.st_mode))
            errno = EISDIR;  // as Windows, which refuses to open a directory as a file
        FileCallFailed();
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void File::Close() {
    if (handle_ != -1)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
}

int64_t File::Read(void* buffer, size_t size) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), buffer, size);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            FileCallFailed();
            return -1;
        }
    }
}

bool File::Write(const void* data, size_t size) {
    if (handle_ == -1 || InjectFileFault(FileOp::kWrite))
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return FileCallFailed();
        if (written == 0)
            return RecordFileError(kErrorDiskFull, FileErrorMessage(kErrorDiskFull));
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool File::Seek(int64_t offset) {
    return ::lseek(static_cast<int>(handle_), offset, SEEK_SET) == offset || FileCallFailed();
}

int64_t File::Tell() const {
    return handle_ == -1 ? -1 : ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
}

int64_t File::Size() const {
    struct stat info;
    if (::fstat(static_cast<int>(handle_), &info) != 0) {
        FileCallFailed();
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

bool File::Truncate(int64_t size) {
    return ::ftruncate(static_cast<int>(handle_), size) == 0 || FileCallFailed();
}

bool File::SetTimes(FileTime, FileTime accessed, FileTime modified) {
    // POSIX keeps no creation time.
    if (handle_ == -1)
        return false;
    const struct timespec times[2] = {ToTimespec(accessed, accessed == 0),
                                      ToTimespec(modified, modified == 0)};
    return ::futimens(static_cast<int>(handle_), times) == 0;
}

}  // namespace vt::platform
