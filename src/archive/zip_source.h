// Where the bytes of an archive come from: a disk file (borrowed or owned) or
// a memory block. Reads are exact: a short read is a failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/files.h"

namespace vt::archive {

class ZipSource {
  public:
    ZipSource() = default;
    ZipSource(ZipSource&&) noexcept = default;
    ZipSource& operator=(ZipSource&&) noexcept = default;

    // Reads through a file the caller keeps open until the source is gone;
    // the archive may start at the file's current position.
    static ZipSource Borrow(platform::File& file);
    static ZipSource Own(platform::File file);
    // The block must outlive the source.
    static ZipSource Memory(const void* data, uint32_t length);

    // Total length of the file or block.
    uint64_t Size() const { return size_; }
    // Where the archive may start: the borrowed file's position at open, else 0.
    uint64_t Start() const { return start_; }
    // Exactly size bytes at an absolute position; false (and HadError for a
    // file) when they cannot all be read. A file is read forward in large
    // blocks: reads that go on where the last one ended need no seek.
    bool ReadAt(uint64_t position, void* buffer, size_t size);
    // Reads size bytes at position once and keeps them, so that later reads
    // there (the central directory's) cost no system call and leave the
    // forward reading of the members where it is. False (nothing kept) when
    // they cannot be read or are too many to keep.
    bool Keep(uint64_t position, size_t size);
    bool HadError() const { return hadError_; }

  private:
    bool FillCache(uint64_t position);
    bool ReadFile(uint64_t position, uint8_t* buffer, size_t size);

    platform::File* file() { return owns_ ? &owned_ : borrowed_; }

    platform::File owned_;
    platform::File* borrowed_ = nullptr;
    bool owns_ = false;
    const uint8_t* memory_ = nullptr;
    uint64_t size_ = 0;
    uint64_t start_ = 0;
    bool hadError_ = false;
    // Read-ahead for the many small header reads of a file source.
    std::vector<uint8_t> cache_;
    uint64_t cacheStart_ = 0;
    size_t cacheLength_ = 0;
    int64_t filePosition_ = -1;  // where the next file read starts, -1 unknown
    std::vector<uint8_t> kept_;  // the bytes Keep read
    uint64_t keptStart_ = 0;
};

// Little-endian fields.
inline uint16_t ReadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace vt::archive
