#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/manager_lock.h"
#include "platform/native_path_posix.h"

namespace vt::platform {

LockResult ManagerLock::TryOnce(const std::string& path) {
    const int fd = ::open(ToNativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return LockResult::kFailed;
    // flock belongs to this open file, so a second open conflicts even in
    // the same process, and the kernel drops it with the last descriptor.
    int status;
    do {
        status = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (status != 0 && errno == EINTR);
    if (status != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? LockResult::kBusy : LockResult::kFailed;
    }
    handle_ = fd;
    return LockResult::kAcquired;
}

void ManagerLock::Release() {
    if (handle_ != -1)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
}

}  // namespace vt::platform
