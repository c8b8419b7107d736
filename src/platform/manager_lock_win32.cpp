#include <windows.h>

#include "platform/manager_lock.h"
#include "platform/wide_path_win32.h"

namespace vt::platform {

LockResult ManagerLock::TryOnce(const std::string& path) {
    HANDLE file = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LockResult::kFailed;
    // A byte range lock belongs to this handle: a second handle conflicts
    // even in the same process, and the system drops it when the process ends.
    OVERLAPPED at{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockResult::kBusy
                                                                          : LockResult::kFailed;
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    return LockResult::kAcquired;
}

void ManagerLock::Release() {
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

}  // namespace vt::platform
