#include "archive/zip_source.h"

#include <algorithm>
#include <cstring>

namespace vt::archive {

namespace {
// Read-ahead of a file source: header reads and small members come from it,
// and it moves forward through the archive in blocks of this size.
constexpr size_t kCacheSize = 256 * 1024;
// The most Keep holds (a central directory of some 300,000 members).
constexpr size_t kMaxKept = 16 * 1024 * 1024;
}  // namespace

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

// Reads exactly size bytes of the file at position, seeking only when the
// file is not there already.
bool ZipSource::ReadFile(uint64_t position, uint8_t* buffer, size_t size) {
    if (filePosition_ != static_cast<int64_t>(position) &&
        !file()->Seek(static_cast<int64_t>(position))) {
        filePosition_ = -1;
        return false;
    }
    filePosition_ = static_cast<int64_t>(position);
    size_t done = 0;
    while (done < size) {
        const int64_t got = file()->Read(buffer + done, size - done);
        if (got <= 0) {
            filePosition_ = -1;
            return false;
        }
        done += static_cast<size_t>(got);
        filePosition_ += got;
    }
    return true;
}

// Makes the cache start at position and fill it as far as the file allows.
// Bytes already cached from position on are moved to the front instead of
// read again, so a forward walk never seeks back.
bool ZipSource::FillCache(uint64_t position) {
    cache_.resize(kCacheSize);
    const uint64_t cacheEnd = cacheStart_ + cacheLength_;
    size_t kept = 0;
    if (position >= cacheStart_ && position < cacheEnd &&
        filePosition_ == static_cast<int64_t>(cacheEnd)) {
        kept = static_cast<size_t>(cacheEnd - position);
        std::memmove(cache_.data(), cache_.data() + (position - cacheStart_), kept);
    }
    cacheStart_ = position;
    cacheLength_ = kept;
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(kCacheSize - kept, size_ - position - kept));
    if (!ReadFile(position + kept, cache_.data() + kept, want))
        return false;
    cacheLength_ += want;
    return true;
}

bool ZipSource::Keep(uint64_t position, size_t size) {
    kept_.clear();
    if (memory_ != nullptr || file() == nullptr || size > kMaxKept || position > size_ ||
        size > size_ - position) {
        return false;
    }
    std::vector<uint8_t> bytes(size);
    if (!owns_)
        filePosition_ = -1;
    if (!ReadFile(position, bytes.data(), size))
        return false;
    kept_ = std::move(bytes);
    keptStart_ = position;
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
    if (position >= keptStart_ && position - keptStart_ + size <= kept_.size()) {
        std::memcpy(buffer, kept_.data() + (position - keptStart_), size);
        return true;
    }
    // The owner of a borrowed file may move its position between our reads.
    if (!owns_)
        filePosition_ = -1;
    auto* bytes = static_cast<uint8_t*>(buffer);
    // What the cache holds of the range first.
    const uint64_t cacheEnd = cacheStart_ + cacheLength_;
    if (position >= cacheStart_ && position < cacheEnd) {
        const size_t cached = static_cast<size_t>(std::min<uint64_t>(size, cacheEnd - position));
        std::memcpy(bytes, cache_.data() + (position - cacheStart_), cached);
        position += cached;
        bytes += cached;
        size -= cached;
        if (size == 0)
            return true;
    }
    if (size < kCacheSize / 2) {
        if (!FillCache(position) || cacheLength_ < size) {
            hadError_ = true;
            return false;
        }
        std::memcpy(bytes, cache_.data(), size);
        return true;
    }
    // Large reads (member data) go straight to the caller's buffer.
    if (!ReadFile(position, bytes, size)) {
        hadError_ = true;
        return false;
    }
    return true;
}

}  // namespace vt::archive
