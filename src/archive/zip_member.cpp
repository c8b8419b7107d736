#include "archive/zip_member.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vt::archive {

namespace {
// Large enough that a big member's data is read in few calls.
constexpr size_t kInputBufferSize = 256 * 1024;
}  // namespace

ZipMemberReader::~ZipMemberReader() {
    if (inflating_)
        inflateEnd(&stream_);
}

bool ZipMemberReader::Open(ZipDirectory& directory) {
    ZipLocalHeader header;
    if (!CheckLocalHeader(directory, header))
        return false;
    const ZipCentralEntry& entry = directory.current;
    method_ = entry.method;
    if (method_ == 8) {
        if (inflating_) {
            if (inflateReset(&stream_) != Z_OK)
                return false;
        } else {
            stream_ = z_stream{};
            if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK)
                return false;
            inflating_ = true;
        }
    }
    input_.resize(kInputBufferSize);
    source_ = &directory.source;
    inputPos_ = inputLength_ = 0;
    ended_ = failed_ = false;
    expectedCrc_ = entry.crc;
    crc_ = static_cast<uint32_t>(crc32(0, nullptr, 0));
    compressedLeft_ = entry.compressedSize;
    uncompressedLeft_ = entry.uncompressedSize;
    position_ = header.dataPosition;
    return true;
}

int64_t ZipMemberReader::Read(void* buffer, size_t size) {
    if (source_ == nullptr)
        return -1;
    size = static_cast<size_t>(std::min<uint64_t>(size, uncompressedLeft_));
    size = std::min<size_t>(size, std::numeric_limits<uInt>::max());
    auto* out = static_cast<uint8_t*>(buffer);
    size_t delivered = 0;
    while (delivered < size && !ended_) {
        if (inputPos_ == inputLength_ && compressedLeft_ > 0) {
            const size_t chunk =
                static_cast<size_t>(std::min<uint64_t>(compressedLeft_, input_.size()));
            if (!source_->ReadAt(position_, input_.data(), chunk)) {
                failed_ = ended_ = true;
                return -1;
            }
            position_ += chunk;
            compressedLeft_ -= chunk;
            inputPos_ = 0;
            inputLength_ = chunk;
        }
        size_t produced = 0;
        if (method_ == 8) {
            stream_.next_in = input_.data() + inputPos_;
            stream_.avail_in = static_cast<uInt>(inputLength_ - inputPos_);
            stream_.next_out = out + delivered;
            stream_.avail_out = static_cast<uInt>(size - delivered);
            const int status = inflate(&stream_, Z_SYNC_FLUSH);
            inputPos_ = inputLength_ - stream_.avail_in;
            produced = size - delivered - stream_.avail_out;
            if (status != Z_OK) {
                // Stream end, corrupt data, or no input left to make progress with.
                ended_ = true;
                failed_ = status != Z_STREAM_END;
            }
        } else {
            produced = std::min(size - delivered, inputLength_ - inputPos_);
            if (produced == 0) {
                ended_ = true;
                break;
            }
            std::memcpy(out + delivered, input_.data() + inputPos_, produced);
            inputPos_ += produced;
        }
        crc_ = static_cast<uint32_t>(crc32(crc_, out + delivered, static_cast<uInt>(produced)));
        delivered += produced;
        uncompressedLeft_ -= produced;
    }
    return static_cast<int64_t>(delivered);
}

bool ZipMemberReader::Complete() const {
    return source_ != nullptr && !failed_ && uncompressedLeft_ == 0 && crc_ == expectedCrc_;
}

}  // namespace vt::archive
