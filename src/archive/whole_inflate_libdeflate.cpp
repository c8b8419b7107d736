#include <libdeflate.h>

#include "archive/whole_inflate.h"

namespace vt::archive {

struct WholeInflater::State {
    libdeflate_decompressor* decoder = nullptr;
    ~State() { libdeflate_free_decompressor(decoder); }
};

WholeInflater::WholeInflater() = default;
WholeInflater::~WholeInflater() = default;

bool WholeInflater::Inflate(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    if (!state_) {
        auto state = std::make_unique<State>();
        state->decoder = libdeflate_alloc_decompressor();
        if (state->decoder == nullptr)
            return false;
        state_ = std::move(state);
    }
    // With a place for the produced count, a stream shorter than outSize is
    // no error to libdeflate; the count tells.
    size_t produced = 0;
    return libdeflate_deflate_decompress(state_->decoder, in, inSize, out, outSize, &produced) ==
               LIBDEFLATE_SUCCESS &&
           produced == outSize;
}

uint32_t ZipCrc32(uint32_t crc, const uint8_t* data, size_t size) {
    return libdeflate_crc32(crc, data, size);
}

}  // namespace vt::archive
