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
    // Opens the block called name only when it exists, mapping its first size
    // bytes: kOpenedExisting, or kFailed when there is none or it holds fewer
    // than size bytes. Any block held before is released first.
    Result OpenExisting(const std::string& name, size_t size);
    // True when a block called name exists at this moment.
    static bool Exists(const std::string& name);
    // The whole block mapped read/write (the size asked for); null when none.
    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    void Release();

  private:
    // The POSIX stand-in's one way in.
    Result Open(const std::string& name, size_t size, bool create);
    // Windows: keeps the mapping handle and maps size bytes of it; result
    // when that worked, else kFailed with nothing held.
    Result Hold(intptr_t handle, size_t size, Result result);

    intptr_t handle_ = 0;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace vt::platform
