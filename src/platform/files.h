// File-system access for the portable core. Paths are strings in the local
// code page and may use "\\" or "/" as separators; the POSIX side converts
// them to UTF-8 names, so the core writes Windows-style paths everywhere.
// Names the code page cannot spell travel in the escaped form of
// file_names.h. Every operation that changes the disk reports whether it
// succeeded, and passes through the test seam of file_faults.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vt::platform {

// File attribute bits, with their Windows values.
enum FileAttribute : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
};
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Times as Windows FILETIME values: 100-nanosecond ticks since 1601-01-01 UTC.
using FileTime = uint64_t;
FileTime UnixTimeToFileTime(int64_t seconds);
int64_t FileTimeToUnixTime(FileTime time);

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
// True when path itself is a symbolic link (or, on Windows, another reparse
// point such as a junction); the link is not followed.
bool IsLink(const std::string& path);
// Names (not paths) of the direct sub-directories of dir; "." and ".." are
// left out. Empty when dir cannot be read. Every listing comes in one order on
// every system, the order NTFS keeps (CompareFileNames of file_names.h).
std::vector<std::string> ListSubdirectories(const std::string& dir);
// Names of the regular files directly in dir.
std::vector<std::string> ListFiles(const std::string& dir);
// Names of every entry directly in dir, files and directories.
std::vector<std::string> ListDirectory(const std::string& dir);
bool RemoveFile(const std::string& path);
// Renames or moves a file or directory; replaces an existing file at to when
// replace is set.
bool RenamePath(const std::string& from, const std::string& to, bool replace = false);
// Creates one directory; true when it was created.
bool MakeDirectory(const std::string& path);
// Deletes a directory and everything below it without asking (links are
// removed, not followed); false when anything could not be deleted.
bool RemoveTree(const std::string& path);
// Removes a directory only when it is empty.
bool RemoveEmptyDirectory(const std::string& path);
// Windows attribute bits, or kInvalidAttributes when the path does not exist.
uint32_t GetAttributes(const std::string& path);
// Sets the read-only, hidden, system and archive bits (POSIX keeps only
// read-only, as the absence of write permission).
bool SetAttributes(const std::string& path, uint32_t attributes);
bool IsReadOnly(const std::string& path);
bool ClearReadOnly(const std::string& path);
// Size in bytes, or -1 when the file does not exist.
int64_t FileSize(const std::string& path);
// Last-write time, 0 when unknown.
FileTime GetModifiedTime(const std::string& path);
bool SetModifiedTime(const std::string& path, FileTime time);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);

// Why a File operation failed, as the system says it: the error number in
// Windows numbering on every system (POSIX errno values are translated, as
// the socket layer does) and the first line of the system's message for the
// error, in the local code page.
struct FileError {
    int number = 0;  // 0: none
    std::string message;
};
// Error numbers the core names.
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorNotEnoughMemory = 8;
constexpr int kErrorDiskFull = 112;
// The error of this thread's last failed File operation (opening, reading,
// writing, positioning, sizing); number 0 while none failed.
FileError LastFileError();
// The system's message for an error number, its first line.
std::string FileErrorMessage(int number);

// An open file; closes itself. Move-only. A failed operation leaves its
// reason in LastFileError.
class File {
  public:
    enum class Mode {
        kRead,       // existing file, read only
        kWrite,      // create or truncate, write only
        kAppend,     // create or open, write at the end
        kReadWrite,  // create or open, read and write from the start
    };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const;
    // Bytes read, 0 at the end, -1 on error.
    int64_t Read(void* buffer, size_t size);
    // True when all bytes were written.
    bool Write(const void* data, size_t size);
    bool Seek(int64_t offset);
    int64_t Tell() const;
    int64_t Size() const;
    bool Truncate(int64_t size);
    // Sets creation, access and modification times; a zero value keeps that time.
    bool SetTimes(FileTime created, FileTime accessed, FileTime modified);

  private:
    intptr_t handle_ = -1;
};

// Creates path and any missing parents (stopping at a drive such as "C:").
// Always true, as callers find out from the file operations that follow.
bool MakeDirectoryPath(const std::string& path);
// Drops one trailing separator, then deletes the directory and everything in
// it silently (RemoveTree); false when it is no directory or anything stays.
bool DeleteDirectoryTree(const std::string& path);

// For the platform implementations: the names of the entries of dir of one
// kind, in the order of CompareFileNames.
enum class EntryKind { kDirectories, kFiles, kAll };
std::vector<std::string> ListEntries(const std::string& dir, EntryKind kind);
// For the platform implementations: record why a file call failed as this
// thread's LastFileError, and give false. FileCallFailed takes the system's
// error of the call that just failed (errno, GetLastError).
bool RecordFileError(int number, std::string message);
bool FileCallFailed();

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents);
// Writes a whole file, replacing it.
bool WriteWholeFile(const std::string& path, const std::string& contents);

}  // namespace vt::platform
