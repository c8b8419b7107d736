// Reading one member's data: stored bytes or raw inflate, with its CRC-32.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/zip_directory.h"

namespace vt::archive {

class ZipMemberReader {
  public:
    ZipMemberReader() = default;
    ~ZipMemberReader();
    ZipMemberReader(const ZipMemberReader&) = delete;
    ZipMemberReader& operator=(const ZipMemberReader&) = delete;

    // Starts the directory's current entry, after its local header check.
    // False when the header does not agree or inflate cannot start.
    bool Open(ZipDirectory& directory);
    // Delivers up to size bytes; 0 at the end of the data (or after an inflate
    // error or early end of the stream), -1 when the source cannot be read.
    int64_t Read(void* buffer, size_t size);
    // All declared bytes delivered, no inflate error and the CRC-32 agrees.
    bool Complete() const;

  private:
    ZipSource* source_ = nullptr;
    std::vector<uint8_t> input_;
    size_t inputPos_ = 0;
    size_t inputLength_ = 0;
    z_stream stream_{};
    bool inflating_ = false;  // stream_ initialised
    bool ended_ = false;      // the stream reported its end or an error
    bool failed_ = false;     // inflate error or source read failure
    uint16_t method_ = 0;
    uint32_t expectedCrc_ = 0;
    uint32_t crc_ = 0;
    uint64_t compressedLeft_ = 0;
    uint64_t uncompressedLeft_ = 0;
    uint64_t position_ = 0;
};

}  // namespace vt::archive
