// A seam for tests: makes this process's file operations fail on purpose, to
// show that every caller notices and loses nothing. Off unless a test arms it.
#pragma once

namespace vt::platform {

// The kinds of operation counted: File::Write; creating a file (File::Open in
// a writing mode) or a directory; renames and moves; deleting a file or a
// directory (each entry of RemoveTree counts once).
enum class FileOp { kWrite, kCreate, kRename, kDelete };

// From now on the n-th operation (1 = the next) of kind op fails. With halt,
// every file operation after it fails as well, as if the process had died
// there (reads still work, so the dying process notices nothing but errors).
void FailFileOperation(FileOp op, int n, bool halt = false);
// While set, every write and every creation fails, as on a full disk.
void SetDiskFull(bool full);
// Disarms everything and resets the counts.
void ClearFileFaults();
// Operations of kind op counted since the last ClearFileFaults.
int FileOperationCount(FileOp op);

// For the platform layer: counts one operation of kind op and says whether
// it must fail; a failure is recorded as a full disk (LastFileError).
bool InjectFileFault(FileOp op);

}  // namespace vt::platform
