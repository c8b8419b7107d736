// Reading one member's data: stored bytes or raw inflate, with its CRC-32.
// Deflated members up to kWholeMemberLimit are inflated in one call, the rest
// as a stream through a fixed buffer.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/whole_inflate.h"
#include "archive/zip_directory.h"

namespace vt::archive {

// The largest deflated member inflated whole, by either of its sizes.
constexpr uint64_t kWholeMemberLimit = 32 * 1024 * 1024;

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
    int64_t ReadWhole(uint8_t* out, size_t size);
    bool InflateWhole(uint8_t* out);

    ZipSource* source_ = nullptr;
    std::vector<uint8_t> input_;
    size_t inputPos_ = 0;
    size_t inputLength_ = 0;
    z_stream stream_{};
    bool inflating_ = false;  // stream_ initialised
    WholeInflater wholeInflater_;
    bool whole_ = false;             // this member is inflated in one call
    std::vector<uint8_t> inflated_;  // a whole member, for reads smaller than it
    size_t inflatedPos_ = 0;
    bool ended_ = false;   // the stream reported its end or an error
    bool failed_ = false;  // inflate error or source read failure
    uint16_t method_ = 0;
    uint32_t expectedCrc_ = 0;
    uint32_t crc_ = 0;
    uint64_t compressedLeft_ = 0;
    uint64_t uncompressedLeft_ = 0;
    uint64_t position_ = 0;
};

}  // namespace vt::archive
