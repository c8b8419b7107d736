#include "platform/manager_lock.h"

#include "platform/system.h"

namespace vt::platform {

namespace {
constexpr unsigned kRetryPauseMs = 50;
}  // namespace

ManagerLock::~ManagerLock() {
    Release();
}

ManagerLock::ManagerLock(ManagerLock&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

ManagerLock& ManagerLock::operator=(ManagerLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

LockResult ManagerLock::Acquire(const std::string& path, unsigned waitMs) {
    Release();
    const uint64_t start = TickCountMs();
    for (;;) {
        const LockResult result = TryOnce(path);
        if (result != LockResult::kBusy || TickCountMs() - start >= waitMs)
            return result;
        SleepMs(kRetryPauseMs);
    }
}

}  // namespace vt::platform
