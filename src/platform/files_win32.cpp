#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_faults.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/wide_path_win32.h"

namespace vt::platform {

namespace {

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// A File call without an open file: -1 would be the process's own handle.
bool NoFileOpen() {
    SetLastError(ERROR_INVALID_HANDLE);
    return FileCallFailed();
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

std::wstring WithoutTrailingSeparator(std::wstring path) {
    if (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

std::wstring Widen(const std::string& local) {
    if (local.empty())
        return std::wstring();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, local.data(), static_cast<int>(local.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, local.data(), static_cast<int>(local.size()), wide.data(),
                            size);
    }
    return wide;
}

// The local text of a name, when the code page spells it exactly.
bool Narrow(const std::wstring& wide, std::string& local) {
    local.clear();
    if (wide.empty())
        return true;
    BOOL usedDefault = FALSE;
    const int size =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    local.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        local.data(), size, nullptr, &usedDefault);
    return !usedDefault && Widen(local) == wide;
}

struct WideEntry {
    std::wstring name;
    bool isDirectory;
};

// Every entry of dir but "." and "..", in NTFS order whatever the file
// system (wine on a POSIX disk lists in another).
std::vector<WideEntry> WideEntries(const std::wstring& dir) {
    std::vector<WideEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((WithoutTrailingSeparator(dir) + L"\\*").c_str(),
                                   FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(entries.begin(), entries.end(), [](const WideEntry& a, const WideEntry& b) {
        const std::u16string_view x(reinterpret_cast<const char16_t*>(a.name.data()),
                                    a.name.size());
        const std::u16string_view y(reinterpret_cast<const char16_t*>(b.name.data()),
                                    b.name.size());
        const int order = CompareFileNames(x, y);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return entries;
}

bool RemoveWideTree(const std::wstring& root) {
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(root.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (InjectFileFault(FileOp::kDelete))
        return false;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return DeleteFileW(root.c_str()) != 0;
    // A junction or directory link goes by itself; what it points at stays.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveDirectoryW(root.c_str()) != 0;
    bool ok = true;
    for (const WideEntry& entry : WideEntries(root)) {
        if (!RemoveWideTree(root + L"\\" + entry.name)) {
            ok = false;
            break;
        }
    }
    return ok && RemoveDirectoryW(root.c_str()) != 0;
}

// Paths of MAX_PATH characters or more (a set-aside folder's members lie
// deeper than they did in the addon directory) work only in the "\\?\"
// form, which takes an absolute path with backslashes and nothing left to
// normalise.
std::wstring LongPathForm(const std::wstring& path) {
    constexpr size_t kShortEnough = 240;  // CreateDirectory stops at 248
    const bool drive = path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') &&
                     (path[1] == L'\\' || path[1] == L'/') && path[2] != L'?' && path[2] != L'.';
    if (path.size() < kShortEnough || (!drive && !unc))
        return path;
    std::vector<std::wstring> parts;
    std::wstring part;
    const auto flush = [&] {
        if (part == L"..") {
            if (parts.size() > 1)
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        part.clear();
    };
    for (size_t i = unc ? 2 : 0; i < path.size(); ++i) {
        if (path[i] == L'\\' || path[i] == L'/') {
            flush();
        } else {
            part += path[i];
        }
    }
    flush();
    std::wstring full = unc ? L"\\\\?\\UNC" : L"\\\\?";
    for (const std::wstring& each : parts)
        full += L"\\" + each;
    return full;
}

}  // namespace

std::vector<std::string> ListEntries(const std::string& dir, EntryKind kind) {
    std::vector<std::string> names;
    for (const WideEntry& entry : WideEntries(ToWidePath(dir))) {
        if (kind == EntryKind::kAll || entry.isDirectory == (kind == EntryKind::kDirectories))
            names.push_back(FromWideName(entry.name));
    }
    return names;
}

bool FileCallFailed() {
    const DWORD error = GetLastError();
    return RecordFileError(static_cast<int>(error), FileErrorMessage(static_cast<int>(error)));
}

std::string FileErrorMessage(int number) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(number), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    message = message.substr(0, message.find_first_of("\r\n"));
    return message.empty() ? "Unknown error " + std::to_string(number) : message;
}

std::wstring ToWidePath(const std::string& localPath) {
    if (localPath.find('?') == std::string::npos)
        return LongPathForm(Widen(localPath));
    std::wstring path;
    for (const std::string& part : SplitPath(localPath)) {
        std::u16string units;
        const std::string_view digits = EscapedDigits(part);
        if (!digits.empty() && UnitsOfHex(digits, units)) {
            path.append(reinterpret_cast<const wchar_t*>(units.data()), units.size());
        } else {
            path += Widen(part);
        }
    }
    return LongPathForm(path);
}

std::string FromWideName(const std::wstring& name) {
    std::string local;
    if (Narrow(name, local))
        return local;
    const std::u16string_view units(reinterpret_cast<const char16_t*>(name.data()), name.size());
    return EscapeName(HexOfUnits(units), !name.empty() && name.front() == L'.');
}

std::string FromWidePath(const std::wstring& path) {
    std::string local;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos)
            end = path.size();
        if (end > start)
            local += FromWideName(path.substr(start, end - start));
        if (end < path.size())
            local += static_cast<char>(path[end]);
        start = end + 1;
    }
    return local;
}

std::string FileNameFromUtf8(const std::string& utf8) {
    const std::u16string units = Utf8ToUtf16(utf8);
    return FromWideName(std::wstring(units.begin(), units.end()));
}

std::string PathToUtf8(const std::string& local) {
    if (local.find('?') == std::string::npos)
        return LocalToUtf8(local);
    std::string text;
    for (const std::string& part : SplitPath(local)) {
        std::u16string units;
        const std::string_view digits = EscapedDigits(part);
        text +=
            !digits.empty() && UnitsOfHex(digits, units) ? Utf16ToUtf8(units) : LocalToUtf8(part);
    }
    return text;
}

bool PathExists(const std::string& path) {
    return GetAttributes(path) != kInvalidAttributes;
}

bool IsDirectory(const std::string& path) {
    const uint32_t attributes = GetAttributes(path);
    return attributes != kInvalidAttributes && (attributes & kAttrDirectory) != 0;
}

bool IsLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WithoutTrailingSeparator(ToWidePath(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RemoveFile(const std::string& path) {
    return !InjectFileFault(FileOp::kDelete) && DeleteFileW(ToWidePath(path).c_str()) != 0;
}

bool RenamePath(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_COPY_ALLOWED;
    if (replace)
        flags |= MOVEFILE_REPLACE_EXISTING;
    return !InjectFileFault(FileOp::kRename) &&
           MoveFileExW(ToWidePath(from).c_str(), ToWidePath(to).c_str(), flags) != 0;
}

bool MakeDirectory(const std::string& path) {
    return !InjectFileFault(FileOp::kCreate) &&
           CreateDirectoryW(ToWidePath(path).c_str(), nullptr) != 0;
}

bool RemoveTree(const std::string& path) {
    return RemoveWideTree(WithoutTrailingSeparator(ToWidePath(path)));
}

bool RemoveEmptyDirectory(const std::string& path) {
    return !InjectFileFault(FileOp::kDelete) &&
           RemoveDirectoryW(WithoutTrailingSeparator(ToWidePath(path)).c_str()) != 0;
}

uint32_t GetAttributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WithoutTrailingSeparator(ToWidePath(path)).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? kInvalidAttributes : attributes;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    const DWORD kept = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return SetFileAttributesW(ToWidePath(path).c_str(), kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept) !=
           0;
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToWidePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

FileTime GetModifiedTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToWidePath(path).c_str(), GetFileExInfoStandard, &data))
        return 0;
    return FromFiletime(data.ftLastWriteTime);
}

bool SetModifiedTime(const std::string& path, FileTime time) {
    HANDLE handle = CreateFileW(ToWidePath(path).c_str(), FILE_WRITE_ATTRIBUTES,
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
    wchar_t buffer[MAX_PATH * 2];
    const DWORD size = GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    return size > 0 && size < MAX_PATH * 2 ? FromWidePath(std::wstring(buffer, size))
                                           : std::string();
}

bool SetCurrentDir(const std::string& path) {
    return SetCurrentDirectoryW(ToWidePath(path).c_str()) != 0;
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
    if (mode != Mode::kRead && InjectFileFault(FileOp::kCreate))
        return false;
    const std::wstring wide = ToWidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), access | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && mode == Mode::kRead) {
        // Read-only files refuse the attribute-writing right.
        handle = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                             disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return FileCallFailed();
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
    if (handle_ == -1) {
        NoFileOpen();
        return -1;
    }
    DWORD got = 0;
    const DWORD wanted = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)) {
        FileCallFailed();
        return -1;
    }
    return got;
}

bool File::Write(const void* data, size_t size) {
    if (handle_ == -1 || InjectFileFault(FileOp::kWrite))
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!WriteFile(AsHandle(handle_), bytes, chunk, &written, nullptr))
            return FileCallFailed();
        if (written == 0)
            return RecordFileError(kErrorDiskFull, FileErrorMessage(kErrorDiskFull));
        bytes += written;
        size -= written;
    }
    return true;
}

bool File::Seek(int64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    if (handle_ == -1)
        return NoFileOpen();
    return SetFilePointerEx(AsHandle(handle_), distance, nullptr, FILE_BEGIN) || FileCallFailed();
}

int64_t File::Tell() const {
    LARGE_INTEGER zero{}, position{};
    if (handle_ == -1 || !SetFilePointerEx(AsHandle(handle_), zero, &position, FILE_CURRENT)) {
        return -1;
    }
    return position.QuadPart;
}

int64_t File::Size() const {
    if (handle_ == -1) {
        NoFileOpen();
        return -1;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(AsHandle(handle_), &size)) {
        FileCallFailed();
        return -1;
    }
    return size.QuadPart;
}

bool File::Truncate(int64_t size) {
    const int64_t position = Tell();
    if (!Seek(size))
        return false;
    if (!SetEndOfFile(AsHandle(handle_)))
        return FileCallFailed();
    return Seek(position < size ? position : size);
}

bool File::SetTimes(FileTime created, FileTime accessed, FileTime modified) {
    const FILETIME c = ToFiletime(created), a = ToFiletime(accessed), m = ToFiletime(modified);
    return handle_ != -1 && SetFileTime(AsHandle(handle_), created ? &c : nullptr,
                                        accessed ? &a : nullptr, modified ? &m : nullptr) != 0;
}

}  // namespace vt::platform
