#include "ui/gif_frames.h"

#include <cstring>
#include <utility>

namespace vt::ui {

namespace {

constexpr size_t kHeaderSize = 13;  // "GIF", version, screen size, packed byte, background, aspect
constexpr size_t kNone = SIZE_MAX;  // no such block, or a block that runs past the data
constexpr uint8_t kTrailer = 0x3B;

enum class BlockKind { kApplication, kComment, kControl, kPlainText, kImage, kTrailer, kUnknown };

int ReadU16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}

// Bytes of the colour table announced by a packed byte (screen or image descriptor).
size_t ColourTableSize(uint8_t packed) {
    return (packed & 0x80) != 0 ? size_t{3} << ((packed & 7) + 1) : 0;
}

BlockKind KindAt(const uint8_t* data, size_t size, size_t at) {
    if (at >= size)
        return BlockKind::kUnknown;
    switch (data[at]) {
        case 0x2C:
            return BlockKind::kImage;
        case kTrailer:
            return BlockKind::kTrailer;
        case 0x21:
            if (size - at < 2)
                return BlockKind::kUnknown;
            switch (data[at + 1]) {
                case 0x01:
                    return BlockKind::kPlainText;
                case 0xF9:
                    return BlockKind::kControl;
                case 0xFE:
                    return BlockKind::kComment;
                case 0xFF:
                    return BlockKind::kApplication;
            }
            return BlockKind::kUnknown;
    }
    return BlockKind::kUnknown;
}

// The offset just past the zero size byte that ends the sub-block chain
// starting at at, or kNone when the chain runs past the data. Every sub-block
// moves on by at least two bytes, so the walk ends within size.
size_t ChainEnd(const uint8_t* data, size_t size, size_t at) {
    while (at < size) {
        const size_t length = data[at];
        // Image data comes in full sub-blocks; stepping by the constant lets
        // the processor run ahead on the predicted branch instead of waiting
        // for each size byte to arrive before it can load the next.
        if (length == 255) {
            at += 256;
            continue;
        }
        if (length == 0)
            return at + 1;
        at += length + 1;
    }
    return kNone;
}

// The end of the block at at, or kNone when it runs past the data. An
// extension's own first size byte (11 for an application extension, 4 for a
// control extension, 12 for plain text) opens its chain, so its length is
// read from the data as a decoder reads it.
size_t BlockEnd(const uint8_t* data, size_t size, size_t at, BlockKind kind) {
    switch (kind) {
        case BlockKind::kApplication:
        case BlockKind::kComment:
        case BlockKind::kControl:
        case BlockKind::kPlainText:
            return ChainEnd(data, size, at + 2);
        case BlockKind::kImage: {
            // ',', left, top, width, height and packed byte, then the local
            // colour table and the LZW code size; a chain starting past the
            // data fails in ChainEnd.
            if (size - at < 10)
                return kNone;
            const size_t table = ColourTableSize(data[at + 9]);
            return ChainEnd(data, size, at + 10 + table + 1);
        }
        case BlockKind::kTrailer:
        case BlockKind::kUnknown:
            break;
    }
    return kNone;
}

}  // namespace

GifHeader ReadGifHeader(const uint8_t* data, size_t size) {
    GifHeader header;
    if (size < 3 || std::memcmp(data, "GIF", 3) != 0)
        return header;
    header.isGif = true;
    if (size < kHeaderSize)
        return header;
    header.width = ReadU16(data + 6);
    header.height = ReadU16(data + 8);
    header.colourTableSize = ColourTableSize(data[10]);
    header.firstBlock = kHeaderSize + header.colourTableSize;
    header.complete = header.firstBlock <= size;
    return header;
}

// Where one graphic block lies: the frame's bytes are [start, end).
struct GifBlockReader::GraphicBlock {
    size_t start = 0;        // its control extension, or the graphic itself
    size_t control = kNone;  // the last control extension before the graphic
    size_t graphic = 0;      // the image descriptor or plain-text extension
    bool isImage = false;
    size_t end = 0;
};

GifBlockReader::GifBlockReader(const uint8_t* data, size_t size)
    : data_(data), size_(size), header_(ReadGifHeader(data, size)), offset_(header_.firstBlock) {}

bool GifBlockReader::FindGraphicBlock(GraphicBlock& block) const {
    if (!header_.complete)
        return false;
    // Each pass moves on by a whole block of at least three bytes, so the walk
    // ends within the data however many extensions stand in a row. A second
    // control extension before the graphic replaces the first, as decoders
    // apply the last one; application and comment extensions after it stay in
    // the frame's bytes, where the decoder passes over them.
    for (size_t at = offset_;;) {
        const BlockKind kind = KindAt(data_, size_, at);
        if (kind == BlockKind::kTrailer || kind == BlockKind::kUnknown)
            return false;
        const size_t end = BlockEnd(data_, size_, at, kind);
        if (end == kNone)
            return false;
        if (kind == BlockKind::kImage || kind == BlockKind::kPlainText) {
            block.start = block.control != kNone ? block.control : at;
            block.graphic = at;
            block.isImage = kind == BlockKind::kImage;
            block.end = end;
            return true;
        }
        if (kind == BlockKind::kControl)
            block.control = at;
        at = end;
    }
}

bool GifBlockReader::SkipGraphicBlock() {
    GraphicBlock block;
    if (!FindGraphicBlock(block))
        return false;
    offset_ = block.end;
    return true;
}

bool GifBlockReader::NextFrameData(GifFrame& frame) {
    GraphicBlock block;
    if (!FindGraphicBlock(block))
        return false;
    GifFrame next;
    next.data.reserve(header_.firstBlock + (block.end - block.start) + 1);
    next.data.insert(next.data.end(), data_, data_ + header_.firstBlock);
    next.data.insert(next.data.end(), data_ + block.start, data_ + block.end);
    next.data.push_back(kTrailer);
    if (block.isImage) {
        const uint8_t* descriptor = data_ + block.graphic;
        next.left = ReadU16(descriptor + 1);
        next.top = ReadU16(descriptor + 3);
        next.width = ReadU16(descriptor + 5);
        next.height = ReadU16(descriptor + 7);
    }
    // A control extension's fields lie in its first sub-block; one too short
    // to hold them leaves the frame untimed, as if it had none.
    if (block.control != kNone && data_[block.control + 2] >= 4) {
        const uint8_t* control = data_ + block.control;
        next.disposal = (control[3] >> 2) & 7;
        next.delay = ReadU16(control + 4);
    }
    frame = std::move(next);
    offset_ = block.end;
    return true;
}

int CountGraphicBlocks(const uint8_t* data, size_t size) {
    GifBlockReader reader(data, size);
    int count = 0;
    while (reader.SkipGraphicBlock())
        ++count;
    return count;
}

std::vector<GifFrame> CutGifFrames(const uint8_t* data, size_t size) {
    // No counting pass first: the walk costs about as much as copying the
    // frames, while growing the list only moves a few hundred small records.
    std::vector<GifFrame> frames;
    GifBlockReader reader(data, size);
    GifFrame frame;
    while (reader.NextFrameData(frame))
        frames.push_back(std::move(frame));
    return frames;
}

int FrameWaitMs(int delay) {
    return delay >= 5 ? delay * 10 : 100;
}

}  // namespace vt::ui
