#include <windows.h>

#include "platform/files.h"

namespace vt::platform {

namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

FileTime FromFiletime(const FILETIME& time) {
    return (static_cast<FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFiletime(FileTime time) {
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFF);
    result.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return result;
}

std::string WithoutTrailingSeparator(std::string path) {
    // A trailing GBK trail byte 0x5C cannot end a directory name in practice;
    // FindFirstFile needs the plain name.
    if (path.size() > 1 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// Calls visit(name, isDirectory) for every entry of dir but "." and "..".
template <typename Visit>
void ForEachEntry(const std::string& dir, Visit visit) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((WithoutTrailingSeparator(dir) + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        visit(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

}  // namespace

bool PathExists(const std::string& path) {
    return GetAttributes(path) != kInvalidAttributes;
}

bool IsDirectory(const std::string& path) {
    const uint32_t attributes = GetAttributes(path);
    return attributes != kInvalidAttributes && (attributes & kAttrDirectory) != 0;
}

std::vector<std::string> ListSubdirectories(const std::string& dir) {
    std::vector<std::string> names;
    ForEachEntry(dir, [&](const std::string& name, bool isDirectory) {
        if (isDirectory)
            names.push_back(name);
    });
    return names;
}

std::vector<std::string> ListFiles(const std::string& dir) {
    std::vector<std::string> names;
    ForEachEntry(dir, [&](const std::string& name, bool isDirectory) {
        if (!isDirectory)
            names.push_back(name);
    });
    return names;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool RenamePath(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_COPY_ALLOWED;
    if (replace)
        flags |= MOVEFILE_REPLACE_EXISTING;
    return MoveFileExA(from.c_str(), to.c_str(), flags) != 0;
}

bool MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
}

bool RemoveTree(const std::string& path) {
    const std::string root = WithoutTrailingSeparator(path);
    const DWORD attributes = GetFileAttributesA(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesA(root.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return DeleteFileA(root.c_str()) != 0;
    bool ok = true;
    ForEachEntry(root,
                 [&](const std::string& name, bool) { ok = RemoveTree(root + "\\" + name) && ok; });
    return RemoveDirectoryA(root.c_str()) != 0 && ok;
}

uint32_t GetAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(WithoutTrailingSeparator(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? kInvalidAttributes : attributes;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    const DWORD kept = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return SetFileAttributesA(path.c_str(), kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept) != 0;
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FileTime GetModifiedTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return FromFiletime(data.ftLastWriteTime);
}

bool SetModifiedTime(const std::string& path, FileTime time) {
    HANDLE handle = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const FILETIME modified = ToFiletime(time);
    const bool ok = SetFileTime(handle, nullptr, nullptr, &modified) != 0;
    CloseHandle(handle);
    return ok;
}

std::string GetCurrentDir() {
    char buffer[MAX_PATH * 2];
    const DWORD size = GetCurrentDirectoryA(sizeof buffer, buffer);
    return size > 0 && size < sizeof buffer ? std::string(buffer, size) : std::string();
}

bool SetCurrentDir(const std::string& path) {
    return SetCurrentDirectoryA(path.c_str()) != 0;
}

bool File::Open(const std::string& path, Mode mode) {
    Close();
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
        case Mode::kRead:
            break;
        case Mode::kWrite:
            access = GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
            break;
        case Mode::kAppend:
            access = GENERIC_WRITE;
            disposition = OPEN_ALWAYS;
            break;
        case Mode::kReadWrite:
            access = GENERIC_READ | GENERIC_WRITE;
            disposition = OPEN_ALWAYS;
            break;
    }
    HANDLE handle = CreateFileA(path.c_str(), access | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && mode == Mode::kRead) {
        // Read-only files refuse the attribute-writing right.
        handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                             disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    handle_ = reinterpret_cast<intptr_t>(handle);
    if (mode == Mode::kAppend)
        SetFilePointer(handle, 0, nullptr, FILE_END);
    return true;
}

void File::Close() {
    if (handle_ != -1)
        CloseHandle(AsHandle(handle_));
    handle_ = -1;
}

int64_t File::Read(void* buffer, size_t size) {
    DWORD got = 0;
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (handle_ == -1 || !ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr))
        return -1;
    return got;
}

bool File::Write(const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (handle_ == -1 || !WriteFile(AsHandle(handle_), bytes, chunk, &written, nullptr) ||
            written == 0) {
            return false;
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool File::Seek(int64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return handle_ != -1 && SetFilePointerEx(AsHandle(handle_), distance, nullptr, FILE_BEGIN);
}

int64_t File::Tell() const {
    LARGE_INTEGER zero{}, position{};
    if (handle_ == -1 || !SetFilePointerEx(AsHandle(handle_), zero, &position, FILE_CURRENT)) {
        return -1;
    }
    return position.QuadPart;
}

int64_t File::Size() const {
    LARGE_INTEGER size{};
    return handle_ != -1 && GetFileSizeEx(AsHandle(handle_), &size) ? size.QuadPart : -1;
}

bool File::Truncate(int64_t size) {
    const int64_t position = Tell();
    if (!Seek(size) || !SetEndOfFile(AsHandle(handle_)))
        return false;
    return Seek(position < size ? position : size);
}

bool File::SetTimes(FileTime created, FileTime accessed, FileTime modified) {
    const FILETIME c = ToFiletime(created), a = ToFiletime(accessed), m = ToFiletime(modified);
    return handle_ != -1 && SetFileTime(AsHandle(handle_), created ? &c : nullptr,
                                        accessed ? &a : nullptr, modified ? &m : nullptr) != 0;
}

}  // namespace vt::platform
