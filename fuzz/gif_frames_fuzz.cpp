// Cuts arbitrary bytes into GIF frames. AddressSanitizer reports any read
// past the input; the run aborts when the walk does not move forward, when
// counting and cutting disagree, or when a frame is not the file's header,
// bytes of the input and a trailer that cuts again into exactly itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/gif_frames.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

bool SameFrame(const vt::ui::GifFrame& a, const vt::ui::GifFrame& b) {
    return a.data == b.data && a.left == b.left && a.top == b.top && a.width == b.width &&
           a.height == b.height && a.delay == b.delay && a.disposal == b.disposal;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vt::ui;
    const GifHeader header = ReadGifHeader(data, size);
    Check(!header.complete || (header.isGif && header.firstBlock <= size));

    GifBlockReader reader(data, size);
    int blocks = 0;
    for (size_t before = reader.Offset(); reader.SkipGraphicBlock(); before = reader.Offset()) {
        Check(reader.Offset() > before && reader.Offset() <= size);
        ++blocks;
    }
    Check(blocks == CountGraphicBlocks(data, size));

    const std::vector<GifFrame> frames = CutGifFrames(data, size);
    Check(frames.size() == static_cast<size_t>(blocks));
    for (const GifFrame& frame : frames) {
        Check(frame.data.size() > header.firstBlock + 1);
        Check(frame.data.size() <= header.firstBlock + size + 1);
        Check(std::memcmp(frame.data.data(), data, header.firstBlock) == 0);
        Check(frame.data.back() == ';');
        Check(frame.delay >= -1 && frame.delay <= 0xFFFF && frame.disposal >= 0 &&
              frame.disposal <= 7);
        const std::vector<GifFrame> again = CutGifFrames(frame.data.data(), frame.data.size());
        Check(again.size() == 1 && SameFrame(again[0], frame));
    }
    return 0;
}
