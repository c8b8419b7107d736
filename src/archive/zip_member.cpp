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
    whole_ = method_ == 8 && entry.uncompressedSize <= kWholeMemberLimit &&
             entry.compressedSize <= kWholeMemberLimit;
    inflated_.clear();
    inflatedPos_ = 0;
    if (method_ == 8 && !whole_) {
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
    if (input_.size() < kInputBufferSize)
        input_.resize(kInputBufferSize);
    source_ = &directory.source;
    inputPos_ = inputLength_ = 0;
    ended_ = failed_ = false;
    expectedCrc_ = entry.crc;
    crc_ = 0;
    compressedLeft_ = entry.compressedSize;
    uncompressedLeft_ = entry.uncompressedSize;
    position_ = header.dataPosition;
    return true;
}

// Reads the member's compressed bytes whole and inflates them into out,
// which holds uncompressedLeft_ bytes.
bool ZipMemberReader::InflateWhole(uint8_t* out) {
    const auto compressed = static_cast<size_t>(compressedLeft_);
    if (input_.size() < compressed)
        input_.resize(compressed);
    if (!source_->ReadAt(position_, input_.data(), compressed)) {
        failed_ = ended_ = true;
        return false;
    }
    compressedLeft_ = 0;
    const auto size = static_cast<size_t>(uncompressedLeft_);
    if (!wholeInflater_.Inflate(input_.data(), compressed, out, size)) {
        failed_ = ended_ = true;
        return true;
    }
    crc_ = ZipCrc32(crc_, out, size);
    return true;
}

int64_t ZipMemberReader::ReadWhole(uint8_t* out, size_t size) {
    if (failed_)
        return 0;
    if (inflated_.empty()) {
        // A caller that takes the whole member at once gets it in place.
        const bool inPlace = size >= uncompressedLeft_;
        if (!inPlace)
            inflated_.resize(static_cast<size_t>(uncompressedLeft_));
        if (!InflateWhole(inPlace ? out : inflated_.data()))
            return -1;
        if (failed_)
            return 0;
        if (inPlace) {
            const auto delivered = static_cast<int64_t>(uncompressedLeft_);
            uncompressedLeft_ = 0;
            return delivered;
        }
    }
    const size_t part = std::min(size, inflated_.size() - inflatedPos_);
    std::memcpy(out, inflated_.data() + inflatedPos_, part);
    inflatedPos_ += part;
    uncompressedLeft_ -= part;
    return static_cast<int64_t>(part);
}

int64_t ZipMemberReader::Read(void* buffer, size_t size) {
    if (source_ == nullptr)
        return -1;
    size = static_cast<size_t>(std::min<uint64_t>(size, uncompressedLeft_));
    auto* out = static_cast<uint8_t*>(buffer);
    if (whole_)
        return size == 0 ? 0 : ReadWhole(out, size);
    size = std::min<size_t>(size, std::numeric_limits<uInt>::max());
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
        crc_ = ZipCrc32(crc_, out + delivered, produced);
        delivered += produced;
        uncompressedLeft_ -= produced;
    }
    return static_cast<int64_t>(delivered);
}

bool ZipMemberReader::Complete() const {
    return source_ != nullptr && !failed_ && uncompressedLeft_ == 0 && crc_ == expectedCrc_;
}

}  // namespace vt::archive
