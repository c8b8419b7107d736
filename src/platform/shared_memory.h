// Named blocks of shared memory, as the upgrade module hands its record to the
// updater. On Windows a page-file-backed mapping that other processes open by
// name; on POSIX a stand-in that only this process can open by name (the
// native build has no updater to read it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vt::platform {

// One held block; releases its view and handle when destroyed. Move-only.
class SharedMemory {
  public:
    enum class Result {
        kCreated,         // a new block, zero-filled, of the size asked for
        kOpenedExisting,  // a block of that name existed; its contents are as they were
        kFailed,
    };

    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Opens the block called name when one exists, else creates it with size
    // bytes (read/write). Any block held before is released first.
    Result CreateOrOpen(const std::string& name, size_t size);
    // The whole block mapped read/write (the size asked for); null when none.
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    void Release();

  private:
    intptr_t handle_ = 0;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace vt::platform
