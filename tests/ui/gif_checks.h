// Small helpers of the GIF tests: exact-size input buffers (so the sanitizer
// build sees any read past the end), the walk's frame ends, the committed
// GIFs, and a frame's place and timing in one comparable value.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/system.h"
#include "support/temp_dir.h"
#include "ui/gif_frames.h"

namespace vt::test {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

inline std::vector<ui::GifFrame> Cut(const Bytes& data) {
    return ui::CutGifFrames(data.data(), data.size());
}

inline int Count(const Bytes& data) {
    return ui::CountGraphicBlocks(data.data(), data.size());
}

// The parse position after each graphic block that SkipGraphicBlock passes.
inline std::vector<size_t> FrameEnds(const Bytes& data) {
    ui::GifBlockReader reader(data.data(), data.size());
    std::vector<size_t> ends;
    while (reader.SkipGraphicBlock())
        ends.push_back(reader.Offset());
    return ends;
}

// {left, top, width, height, delay, disposal}.
inline std::vector<int> Described(const ui::GifFrame& frame) {
    return {frame.left, frame.top, frame.width, frame.height, frame.delay, frame.disposal};
}

// A file of tests/ui/data.
inline std::string DataFile(const std::string& name) {
    const std::string source = platform::GetEnv("TESSEL_SOURCE_DIR");
    EXPECT_FALSE(source.empty()) << "TESSEL_SOURCE_DIR is not set";
    const std::string bytes = ReadTestFile(source + "\\tests\\ui\\data\\" + name);
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

}  // namespace vt::test
