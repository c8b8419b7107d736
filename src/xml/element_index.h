// The element index of a document: one record per element, in segments of
// 65,536 records so that a large document needs no single huge block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vt::xml {

// Flags in ElementRecord::levelFlags above the 16-bit nesting level.
enum ElementFlag : uint32_t {
    kLevelMask = 0xFFFF,
    kFlagFirstChild = 0x80000,    // first child of its parent
    kFlagUnended = 0x100000,      // closed implicitly, treated as empty
    kFlagMarkupError = 0x200000,  // contains a markup error
    kFlagIllFormed = 0x800000,    // record 0 only: the document is not well-formed
};

constexpr uint32_t kStartTagLengthMask = 0x3FFFFF;  // low 22 bits of tagLengths
constexpr uint32_t kEndTagLengthMax = 0x3FF;        // high 10 bits

struct ElementRecord {
    uint32_t start;       // offset of the element's '<'
    uint32_t length;      // from '<' of the start tag to the end of the end tag
    uint32_t tagLengths;  // start-tag length (low 22 bits), end-tag length (high 10)
    uint32_t levelFlags;  // nesting level (low 16 bits) and ElementFlag bits
    uint32_t parent;
    uint32_t firstChild;  // 0 if none
    uint32_t next;        // next sibling, 0 for the last child
    uint32_t previous;    // previous sibling; the first child's holds the last child

    uint32_t StartTagLength() const { return tagLengths & kStartTagLengthMask; }
    uint32_t EndTagLength() const { return tagLengths >> 22; }
    void SetTagLengths(size_t startTag, size_t endTag) {
        tagLengths =
            static_cast<uint32_t>(startTag < kStartTagLengthMask ? startTag : kStartTagLengthMask) |
            static_cast<uint32_t>(endTag < kEndTagLengthMax ? endTag : kEndTagLengthMax) << 22;
    }
};

class ElementIndex {
  public:
    static constexpr uint32_t kSegmentBits = 16;
    static constexpr uint32_t kSegmentSize = 1u << kSegmentBits;

    // Discards all records and reserves room for `expected` of them.
    void Reset(size_t expected);
    // Frees everything.
    void Clear();

    // Appends a zeroed record and gives its index.
    uint32_t Append();
    uint32_t Size() const { return size_; }
    ElementRecord& operator[](uint32_t i) {
        return segments_[i >> kSegmentBits][i & (kSegmentSize - 1)];
    }
    const ElementRecord& operator[](uint32_t i) const {
        return segments_[i >> kSegmentBits][i & (kSegmentSize - 1)];
    }
    // Bytes held by the segments.
    size_t AllocatedBytes() const { return capacity_ * sizeof(ElementRecord); }

  private:
    void Grow();

    std::vector<std::unique_ptr<ElementRecord[]>> segments_;
    uint32_t lastSegmentSize_ = 0;  // records allocated in the last segment
    size_t capacity_ = 0;
    uint32_t size_ = 0;
};

}  // namespace vt::xml
