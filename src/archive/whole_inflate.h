// Inflating a member's whole raw deflate stream in one call, when both of its
// sizes are known, and the zip format's CRC-32. Built on libdeflate where the
// build has it (about twice zlib's speed for both jobs), on zlib otherwise;
// the results are the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vt::archive {

class WholeInflater {
  public:
    WholeInflater();
    ~WholeInflater();
    WholeInflater(const WholeInflater&) = delete;
    WholeInflater& operator=(const WholeInflater&) = delete;

    // True when in starts with one complete raw deflate stream that gives
    // exactly outSize bytes, now in out. False for corrupt data, a stream that
    // ends early or one that goes on past outSize.
    bool Inflate(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

  private:
    struct State;  // the library's decoder, made on first use
    std::unique_ptr<State> state_;
};

// The CRC-32 of size bytes after crc (0 to start), as zip members carry it.
uint32_t ZipCrc32(uint32_t crc, const uint8_t* data, size_t size);

}  // namespace vt::archive
