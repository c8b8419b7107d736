#include <zlib.h>

#include <algorithm>
#include <limits>

#include "archive/whole_inflate.h"

namespace vt::archive {

struct WholeInflater::State {
    z_stream stream{};
    ~State() { inflateEnd(&stream); }
};

WholeInflater::WholeInflater() = default;
WholeInflater::~WholeInflater() = default;

bool WholeInflater::Inflate(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    constexpr size_t kMaxCall = std::numeric_limits<uInt>::max();
    if (inSize > kMaxCall || outSize > kMaxCall)
        return false;
    if (!state_) {
        auto state = std::make_unique<State>();
        if (inflateInit2(&state->stream, -MAX_WBITS) != Z_OK)
            return false;
        state_ = std::move(state);
    } else if (inflateReset(&state_->stream) != Z_OK) {
        return false;
    }
    z_stream& stream = state_->stream;
    stream.next_in = const_cast<uint8_t*>(in);
    stream.avail_in = static_cast<uInt>(inSize);
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(outSize);
    // The stream must end exactly where the output does: more would not fit.
    return inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.avail_out == 0;
}

uint32_t ZipCrc32(uint32_t crc, const uint8_t* data, size_t size) {
    while (size > 0) {
        const size_t part = std::min<size_t>(size, std::numeric_limits<uInt>::max());
        crc = static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(part)));
        data += part;
        size -= part;
    }
    return crc;
}

}  // namespace vt::archive
