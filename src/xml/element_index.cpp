#include "xml/element_index.h"

#include <algorithm>
#include <cstring>

namespace vt::xml {

void ElementIndex::Clear() {
    segments_.clear();
    lastSegmentSize_ = 0;
    capacity_ = 0;
    size_ = 0;
}

void ElementIndex::Reset(size_t expected) {
    size_ = 0;
    if (capacity_ >= expected && capacity_ <= expected * 2 + kSegmentSize) {
        return;  // the blocks of the previous parse fit
    }
    Clear();
    while (capacity_ < expected) {
        const uint32_t n =
            static_cast<uint32_t>(std::min<size_t>(expected - capacity_, kSegmentSize));
        segments_.emplace_back(new ElementRecord[n]);
        lastSegmentSize_ = n;
        capacity_ += n;
    }
}

void ElementIndex::Grow() {
    if (!segments_.empty() && lastSegmentSize_ < kSegmentSize) {
        // Widen the last segment; records keep their indexes.
        const uint32_t n =
            std::min<uint32_t>(std::max<uint32_t>(lastSegmentSize_ * 2, 64), kSegmentSize);
        std::unique_ptr<ElementRecord[]> wider(new ElementRecord[n]);
        std::memcpy(wider.get(), segments_.back().get(), lastSegmentSize_ * sizeof(ElementRecord));
        segments_.back() = std::move(wider);
        capacity_ += n - lastSegmentSize_;
        lastSegmentSize_ = n;
        return;
    }
    segments_.emplace_back(new ElementRecord[kSegmentSize]);
    lastSegmentSize_ = kSegmentSize;
    capacity_ += kSegmentSize;
}

uint32_t ElementIndex::Append() {
    if (size_ == capacity_) {
        Grow();
    }
    (*this)[size_] = ElementRecord{};
    return size_++;
}

}  // namespace vt::xml
