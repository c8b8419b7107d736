// Cutting an animated GIF into one small GIF per frame, as the animated image
// control plays it: the header, the walk over the file's blocks, each frame's
// place, delay and disposal, and the wait after each frame. Portable: the
// control hands each frame's memory block to the platform's picture loader.
//
// Every read is checked against the data's size: a GIF whose blocks lie about
// their sizes gives fewer frames or none, never a read past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vt::ui {

// The fixed part of a GIF: signature, logical screen and global colour table.
struct GifHeader {
    bool isGif = false;     // the data starts with "GIF", whatever the version bytes
    bool complete = false;  // the 13 header bytes and the global colour table lie in the data
    int width = 0;          // logical screen, in pixels
    int height = 0;
    size_t colourTableSize = 0;  // bytes of the global colour table, 0 when there is none
    size_t firstBlock = 0;       // offset of the first block: 13 + colourTableSize
};

// Reads the header of data[0, size). Never fails: see isGif and complete.
GifHeader ReadGifHeader(const uint8_t* data, size_t size);

// One frame cut out of an animated GIF.
struct GifFrame {
    // A GIF of its own: the file's header and global colour table, the frame's
    // bytes (from its graphic control extension, or its image descriptor when
    // it has none, to the end of its image data, extensions between the two
    // included), then the trailer. Of several control extensions before one
    // image the last counts, as for decoders, and the frame starts there.
    std::vector<uint8_t> data;
    int left = 0;  // place within the logical screen (image descriptor); zero for plain text
    int top = 0;
    int width = 0;
    int height = 0;
    int delay = -1;    // hundredths of a second; -1 without a graphic control extension
    int disposal = 0;  // 0 to 7 from the graphic control extension; 0 without one
};

// Walks the blocks of a GIF held by the caller (the data must outlive the
// reader; it is never written). A graphic block is an image descriptor or a
// plain-text extension, optionally preceded by a graphic control extension;
// application and comment extensions may stand before and between them.
class GifBlockReader {
  public:
    GifBlockReader(const uint8_t* data, size_t size);

    const GifHeader& Header() const { return header_; }
    // The parse position: the start of the next block to read.
    size_t Offset() const { return offset_; }
    // Back to the first block.
    void Rewind() { offset_ = header_.firstBlock; }

    // Passes one graphic block. False, with the position unchanged, when the
    // next one is missing, unrecognised or runs past the end of the data.
    bool SkipGraphicBlock();
    // Cuts the next graphic block out as a frame (one allocation) and passes
    // it. False, with frame and position unchanged, where SkipGraphicBlock
    // fails.
    bool NextFrameData(GifFrame& frame);

  private:
    struct GraphicBlock;
    bool FindGraphicBlock(GraphicBlock& block) const;

    const uint8_t* data_;
    size_t size_;
    GifHeader header_;
    size_t offset_;
};

// The number of graphic blocks from the first block on, up to the first that
// cannot be passed; 0 for data that is not a complete GIF header.
int CountGraphicBlocks(const uint8_t* data, size_t size);
// Every frame that can be cut out, in file order; empty for data that is not
// a complete GIF header.
std::vector<GifFrame> CutGifFrames(const uint8_t* data, size_t size);

// Milliseconds to show a frame: delay x 10 for delays of 5 or more, else 100
// (so a frame without a delay, -1, is shown 100 ms too).
int FrameWaitMs(int delay);

}  // namespace vt::ui
