#include "archive/zip_source.h"

#include <algorithm>
#include <cstring>

namespace vt::archive {

namespace {
constexpr size_t kCacheSize = 64 * 1024;
}

ZipSource ZipSource::Borrow(platform::File& file) {
    ZipSource source;
    source.borrowed_ = &file;
    const int64_t size = file.Size();
    const int64_t position = file.Tell();
    source.size_ = size > 0 ? static_cast<uint64_t>(size) : 0;
    source.start_ = position > 0 ? std::min(static_cast<uint64_t>(position), source.size_) : 0;
    source.filePosition_ = position;
    return source;
}

ZipSource ZipSource::Own(platform::File file) {
    ZipSource source;
    source.owned_ = std::move(file);
    source.owns_ = true;
    const int64_t size = source.owned_.Size();
    source.size_ = size > 0 ? static_cast<uint64_t>(size) : 0;
    source.filePosition_ = source.owned_.Tell();
    return source;
}

ZipSource ZipSource::Memory(const void* data, uint32_t length) {
    ZipSource source;
    source.memory_ = static_cast<const uint8_t*>(data);
    source.size_ = data != nullptr ? length : 0;
    return source;
}

bool ZipSource::FillCache(uint64_t position) {
    cache_.resize(kCacheSize);
    cacheLength_ = 0;
    cacheStart_ = position;
    if (filePosition_ != static_cast<int64_t>(position) &&
        !file()->Seek(static_cast<int64_t>(position))) {
        filePosition_ = -1;
        return false;
    }
    filePosition_ = static_cast<int64_t>(position);
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kCacheSize, size_ - position));
    while (cacheLength_ < want) {
        const int64_t got = file()->Read(cache_.data() + cacheLength_, want - cacheLength_);
        if (got <= 0) {
            filePosition_ = -1;
            return got == 0;
        }
        cacheLength_ += static_cast<size_t>(got);
        filePosition_ += got;
    }
    return true;
}

bool ZipSource::ReadAt(uint64_t position, void* buffer, size_t size) {
    if (size == 0)
        return position <= size_;
    if (position > size_ || size > size_ - position) {
        hadError_ = hadError_ || memory_ == nullptr;
        return false;
    }
    if (memory_ != nullptr) {
        std::memcpy(buffer, memory_ + position, size);
        return true;
    }
    if (file() == nullptr)
        return false;
    // The owner of a borrowed file may move its position between our reads.
    if (!owns_)
        filePosition_ = -1;
    if (position >= cacheStart_ && position + size <= cacheStart_ + cacheLength_) {
        std::memcpy(buffer, cache_.data() + (position - cacheStart_), size);
        return true;
    }
    if (size < kCacheSize / 2) {
        if (!FillCache(position) || cacheLength_ < size) {
            hadError_ = true;
            return false;
        }
        std::memcpy(buffer, cache_.data(), size);
        return true;
    }
    // Large reads (member data) go straight to the caller's buffer.
    if (filePosition_ != static_cast<int64_t>(position) &&
        !file()->Seek(static_cast<int64_t>(position))) {
        filePosition_ = -1;
        hadError_ = true;
        return false;
    }
    filePosition_ = static_cast<int64_t>(position);
    size_t done = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (done < size) {
        const int64_t got = file()->Read(bytes + done, size - done);
        if (got <= 0) {
            filePosition_ = -1;
            hadError_ = true;
            return false;
        }
        done += static_cast<size_t>(got);
        filePosition_ += got;
    }
    return true;
}

}  // namespace vt::archive
