// The lock that lets one addon manager at a time act on a directory: the
// program, its command-line front end and any other copy take it before they
// touch a program directory or a game's addons. The system releases it when
// the holding process ends, however it ends.
#pragma once

#include <cstdint>
#include <string>

namespace vt::platform {

enum class LockResult {
    kAcquired,  // this object holds the lock
    kBusy,      // another manager held it for the whole wait
    kFailed,    // the lock file cannot be created or opened
};

// One lock file, held through an open handle (flock on POSIX, LockFileEx on
// Windows). Two objects conflict even inside one process. Move-only.
class ManagerLock {
  public:
    ManagerLock() = default;
    ~ManagerLock();
    ManagerLock(ManagerLock&& other) noexcept;
    ManagerLock& operator=(ManagerLock&& other) noexcept;
    ManagerLock(const ManagerLock&) = delete;
    ManagerLock& operator=(const ManagerLock&) = delete;

    // Takes the lock of the file at path (created empty when missing, and left
    // in place), trying again until waitMs have passed while another holder
    // keeps it. 0 tries once.
    LockResult Acquire(const std::string& path, unsigned waitMs);
    void Release();
    bool Held() const { return handle_ != -1; }

  private:
    // One attempt; kBusy when another holder has it.
    LockResult TryOnce(const std::string& path);
    intptr_t handle_ = -1;
};

}  // namespace vt::platform
