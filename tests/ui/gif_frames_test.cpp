// Cutting GIFs into frames: the header, the block walk, the frame memory
// blocks and their timing, on built GIFs, on a committed ImageMagick GIF and
// on damaged and lying copies of it. Inputs are copied into buffers of their
// exact size, so the sanitizer build reports any read past the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/gif_builder.h"
#include "ui/gif_checks.h"

namespace vt::ui {
namespace {

using namespace std::string_literals;
using test::Bytes;
using test::Count;
using test::Cut;
using test::DataFile;
using test::Described;
using test::FrameEnds;
using test::GifBuilder;
using test::ToBytes;
using Place = std::vector<int>;

// The file's header and table, the bytes [from, to) and a trailer.
Bytes FrameBlock(const std::string& gif, size_t headerSize, size_t from, size_t to) {
    return ToBytes(gif.substr(0, headerSize) + gif.substr(from, to - from) + ";");
}

TEST(GifHeader, SignatureScreenAndColourTable) {
    const std::string gif = GifBuilder(300, 2, 16).Image(0, 0, 1, 1).Finish();
    const GifHeader header = ReadGifHeader(ToBytes(gif).data(), gif.size());
    EXPECT_TRUE(header.isGif);
    EXPECT_TRUE(header.complete);
    EXPECT_EQ(header.width, 300);
    EXPECT_EQ(header.height, 2);
    EXPECT_EQ(header.colourTableSize, 48u);
    EXPECT_EQ(header.firstBlock, 61u);

    const std::string bare = GifBuilder(7, 9, 0).Image(0, 0, 1, 1).Finish();
    const GifHeader noTable = ReadGifHeader(ToBytes(bare).data(), bare.size());
    EXPECT_TRUE(noTable.complete);
    EXPECT_EQ(noTable.colourTableSize, 0u);
    EXPECT_EQ(noTable.firstBlock, 13u);
    EXPECT_EQ(Count(ToBytes(bare)), 1);
}

TEST(GifHeader, AnyVersionIsAGifAndOtherDataIsNot) {
    for (const char* version : {"87a", "89a", "XYZ", "\0\0\0"}) {
        const Bytes gif = ToBytes(GifBuilder(4, 4, 2, std::string(version, 3))
                                      .Control(10, 0)
                                      .Image(0, 0, 4, 4)
                                      .Control(10, 0)
                                      .Image(0, 0, 2, 2)
                                      .Finish());
        EXPECT_TRUE(ReadGifHeader(gif.data(), gif.size()).isGif);
        EXPECT_EQ(Cut(gif).size(), 2u) << version;
    }
    const Bytes png = ToBytes(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    EXPECT_FALSE(ReadGifHeader(png.data(), png.size()).isGif);
    EXPECT_EQ(Count(png), 0);
    EXPECT_TRUE(Cut(png).empty());
    const Bytes lowerCase = ToBytes(GifBuilder(4, 4).Image(0, 0, 1, 1).Finish());
    Bytes gif = lowerCase;
    gif[0] = 'g';
    EXPECT_FALSE(ReadGifHeader(gif.data(), gif.size()).isGif);
    EXPECT_FALSE(ReadGifHeader(nullptr, 0).isGif);
    EXPECT_EQ(CountGraphicBlocks(nullptr, 0), 0);
}

TEST(GifHeader, ShortHeaderIsAGifWithoutBlocks) {
    const Bytes gif = ToBytes(GifBuilder(4, 4, 256).Image(0, 0, 1, 1).Finish());
    for (size_t size : {3, 12, 13, 13 + 767}) {
        const Bytes prefix(gif.begin(), gif.begin() + static_cast<long>(size));
        const GifHeader header = ReadGifHeader(prefix.data(), prefix.size());
        EXPECT_TRUE(header.isGif) << size;
        EXPECT_FALSE(header.complete) << size;
        EXPECT_EQ(Count(prefix), 0) << size;
        EXPECT_TRUE(Cut(prefix).empty()) << size;
    }
}

TEST(GifFrames, EachFrameIsTheHeaderItsBytesAndATrailer) {
    GifBuilder builder(20, 10, 8);
    const size_t header = builder.Bytes().size();
    builder.Loop(0).Comment("before the first frame stays out");
    const size_t first = builder.Bytes().size();
    builder.Control(20, 2).Comment("between control and image").Loop(3).Image(1, 2, 10, 5, 4);
    const size_t second = builder.Bytes().size();
    builder.Image(5, 6, 3, 4);  // no control extension
    const size_t third = builder.Bytes().size();
    builder.Comment("x").Control(3, 3).Image(0, 0, 20, 10);
    const size_t end = builder.Bytes().size();
    const std::string gif = builder.Finish();

    const std::vector<GifFrame> frames = Cut(ToBytes(gif));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].data, FrameBlock(gif, header, first, second));
    EXPECT_EQ(frames[1].data, FrameBlock(gif, header, second, third));
    EXPECT_EQ(frames[2].data, FrameBlock(gif, header, third + 5, end));  // after the comment

    EXPECT_EQ(Described(frames[0]), (Place{1, 2, 10, 5, 20, 2}));
    EXPECT_EQ(Described(frames[1]), (Place{5, 6, 3, 4, -1, 0}));
    EXPECT_EQ(Described(frames[2]), (Place{0, 0, 20, 10, 3, 3}));
}

TEST(GifFrames, PlainTextIsAFrameWithoutAPlace) {
    const Bytes gif = ToBytes(
        GifBuilder(8, 8).Control(7, 1).PlainText("hello").Control(9, 0).Image(1, 1, 2, 2).Finish());
    const std::vector<GifFrame> frames = Cut(gif);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Described(frames[0]), (Place{0, 0, 0, 0, 7, 1}));
    EXPECT_EQ(Described(frames[1]), (Place{1, 1, 2, 2, 9, 0}));
}

TEST(GifFrames, LastControlExtensionGovernsAndAShortOneCarriesNoTiming) {
    GifBuilder builder(8, 8);
    const size_t header = builder.Bytes().size();
    builder.Control(50, 1);
    const size_t second = builder.Bytes().size();
    builder.Control(30, 2).Image(0, 0, 8, 8);
    const size_t end = builder.Bytes().size();
    builder.Raw("\x21\xF9\x02\x1C\x05\0"s).Image(0, 0, 1, 1);
    builder.Raw("\x21\xF9\0"s).Image(0, 0, 1, 1);
    const std::string gif = builder.Finish();

    const std::vector<GifFrame> frames = Cut(ToBytes(gif));
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(Described(frames[0]), (Place{0, 0, 8, 8, 30, 2}));
    EXPECT_EQ(frames[0].data, FrameBlock(gif, header, second, end));
    EXPECT_EQ(Described(frames[1]), (Place{0, 0, 1, 1, -1, 0}));
    EXPECT_EQ(Described(frames[2]), (Place{0, 0, 1, 1, -1, 0}));
}

TEST(GifFrames, SkipCountAndCutAgreeAndFailureKeepsThePosition) {
    const Bytes gif = ToBytes(GifBuilder(16, 16, 4)
                                  .Loop(0)
                                  .Control(5, 0)
                                  .Image(0, 0, 16, 16)
                                  .Comment("c")
                                  .Control(6, 0)
                                  .Image(0, 0, 8, 8)
                                  .Image(8, 8, 8, 8)
                                  .Finish());
    const std::vector<size_t> ends = FrameEnds(gif);
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends.back(), gif.size() - 1);  // stopped before the trailer
    GifBlockReader reader(gif.data(), gif.size());
    while (reader.SkipGraphicBlock()) {
    }
    EXPECT_EQ(reader.Offset(), gif.size() - 1);
    EXPECT_FALSE(reader.SkipGraphicBlock());
    EXPECT_EQ(reader.Offset(), gif.size() - 1);
    EXPECT_EQ(Count(gif), 3);

    reader.Rewind();
    EXPECT_EQ(reader.Offset(), reader.Header().firstBlock);
    GifFrame frame;
    for (size_t end : ends) {
        ASSERT_TRUE(reader.NextFrameData(frame));
        EXPECT_EQ(reader.Offset(), end);
    }
    const GifFrame last = frame;
    EXPECT_FALSE(reader.NextFrameData(frame));
    EXPECT_EQ(frame.data, last.data);
}

TEST(GifFrames, WaitIsTenTimesTheDelayFromFiveOn) {
    EXPECT_EQ(FrameWaitMs(-1), 100);
    EXPECT_EQ(FrameWaitMs(0), 100);
    EXPECT_EQ(FrameWaitMs(3), 100);
    EXPECT_EQ(FrameWaitMs(4), 100);
    EXPECT_EQ(FrameWaitMs(5), 50);
    EXPECT_EQ(FrameWaitMs(20), 200);
    EXPECT_EQ(FrameWaitMs(65535), 655350);
}

TEST(GifFrames, CommittedImageMagickAnimation) {
    const Bytes gif = ToBytes(DataFile("two_frames.gif"));
    const std::vector<GifFrame> frames = Cut(gif);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Described(frames[0]), (Place{0, 0, 8, 6, 20, 2}));
    EXPECT_EQ(Described(frames[1]), (Place{2, 1, 4, 3, 3, 3}));
    EXPECT_EQ(FrameWaitMs(frames[0].delay), 200);
    EXPECT_EQ(FrameWaitMs(frames[1].delay), 100);
    // ImageMagick writes its looping extension between the first frame's
    // control extension and image: it travels with the frame.
    const std::string first(frames[0].data.begin(), frames[0].data.end());
    EXPECT_NE(first.find("NETSCAPE2.0"), std::string::npos);
}

// Every prefix gives exactly the frames that end within it, byte for byte.
void CheckEveryPrefix(const Bytes& gif) {
    const std::vector<GifFrame> whole = Cut(gif);
    const std::vector<size_t> ends = FrameEnds(gif);
    ASSERT_EQ(ends.size(), whole.size());
    for (size_t size = 0; size <= gif.size(); ++size) {
        const Bytes prefix(gif.begin(), gif.begin() + static_cast<long>(size));
        const std::vector<GifFrame> frames = Cut(prefix);
        size_t expected = 0;
        while (expected < ends.size() && ends[expected] <= size)
            ++expected;
        ASSERT_EQ(frames.size(), expected) << "prefix of " << size << " bytes";
        for (size_t i = 0; i < frames.size(); ++i)
            EXPECT_EQ(frames[i].data, whole[i].data) << size << " frame " << i;
    }
}

TEST(GifHostile, TruncatedAtEveryOffset) {
    CheckEveryPrefix(ToBytes(DataFile("two_frames.gif")));
    CheckEveryPrefix(ToBytes(GifBuilder(9, 9, 4)
                                 .Loop(0)
                                 .Control(8, 2)
                                 .Comment(std::string(600, 'c'))
                                 .Image(0, 0, 9, 9, 16)
                                 .Control(8, 3)
                                 .PlainText("text")
                                 .Image(1, 1, 3, 3)
                                 .Finish()));
}

TEST(GifHostile, CommittedLyingFiles) {
    const struct {
        const char* name;
        int frames;
    } cases[] = {
        {"subblock_past_end.gif", 1},     {"extension_past_end.gif", 0},
        {"global_table_past_end.gif", 0}, {"local_table_past_end.gif", 1},
        {"endless_extensions.gif", 1},    {"trailer_in_middle.gif", 1},
        {"unknown_block.gif", 1},
    };
    for (const auto& c : cases) {
        const Bytes gif = ToBytes(DataFile(c.name));
        EXPECT_TRUE(ReadGifHeader(gif.data(), gif.size()).isGif) << c.name;
        EXPECT_EQ(Count(gif), c.frames) << c.name;
        EXPECT_EQ(static_cast<int>(Cut(gif).size()), c.frames) << c.name;
    }
}

TEST(GifHostile, SizesThatRunPastTheEnd) {
    const std::string head = GifBuilder(4, 4).Control(10, 0).Image(0, 0, 4, 4).Bytes();
    const auto frames = [](const std::string& gif) { return Cut(ToBytes(gif)).size(); };
    // A sub-block size reaching one byte too far, a chain without its end.
    EXPECT_EQ(frames(head + "\x21\xFE\x03"s + "ab"), 1u);
    EXPECT_EQ(frames(head + "\x21\xFE\x02"s + "ab"), 1u);
    EXPECT_EQ(frames(head + "\x21\xFE\x02"s + "ab\0,\0\0\0\0\x01\0\x01\0\0\x02\0"s), 2u);
    // Introducers and descriptors cut short.
    EXPECT_EQ(frames(head + "\x21"s), 1u);
    EXPECT_EQ(frames(head + "\x21\xF9"s), 1u);
    EXPECT_EQ(frames(head + ",\0\0\0\0\x04\0\x04"s), 1u);
    EXPECT_EQ(frames(head + ",\0\0\0\0\x04\0\x04\0\0"s), 1u);
    // A local table one byte longer than what follows, and one that fits.
    const std::string descriptor = ",\0\0\0\0\x01\0\x01\0\x80"s;
    EXPECT_EQ(frames(head + descriptor + "rgbRG"s), 1u);
    EXPECT_EQ(frames(head + descriptor + "rgbRGB\x02\0"s), 2u);
    // Extensions up to the end, then one image; an unknown extension label.
    std::string chain = head;
    for (int i = 0; i < 20000; ++i)
        chain += "\x21\xFF\x01z\0"s;
    EXPECT_EQ(frames(chain), 1u);
    EXPECT_EQ(frames(chain + ",\0\0\0\0\x01\0\x01\0\0\x02\x01z\0"s), 2u);
    EXPECT_EQ(frames(head + "\x21\x02\0"s + head.substr(13 + 12)), 1u);
}

}  // namespace
}  // namespace vt::ui
