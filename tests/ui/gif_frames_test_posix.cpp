// GIFs made now by ImageMagick, cut into frames, and each frame checked by
// ImageMagick as a GIF of its own: its size and place, and its pixels against
// the same frame decoded from the whole file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
using test::Described;
using test::ReadTestFile;
using test::ToBytes;
using Place = std::vector<int>;

std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string Quoted(const std::string& path) {
    return "'" + Native(path) + "'";
}

bool HaveImageMagick() {
    return std::system("command -v convert >/dev/null && command -v identify >/dev/null") == 0;
}

class ImageMagickGif : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveImageMagick())
            GTEST_SKIP() << "ImageMagick (convert, identify) is not installed";
    }

    // Runs convert with arguments and an output file in the temporary
    // directory; the output's bytes.
    Bytes Convert(const std::string& arguments, const std::string& name) {
        const std::string command = "convert " + arguments + " " + Quoted(dir_ / name);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ToBytes(ReadTestFile(dir_ / name));
    }

    // ImageMagick's "width height left top" of each frame of a file.
    std::vector<std::string> Identify(const std::string& path) {
        const std::string out = dir_ / "identify.txt";
        const std::string command =
            "identify -format '%w %h %X %Y\\n' " + Quoted(path) + " >" + Quoted(out);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        std::vector<std::string> lines;
        std::string text = ReadTestFile(out);
        for (size_t at; (at = text.find('\n')) != std::string::npos; text.erase(0, at + 1))
            lines.push_back(text.substr(0, at));
        return lines;
    }

    // The pixels of frame index of a file, as ImageMagick decodes them.
    std::string Pixels(const std::string& path, int index) {
        const std::string out = dir_ / "pixels.rgba";
        const std::string command = "convert " + Quoted(path + "[" + std::to_string(index) + "]") +
                                    " -depth 8 rgba:" + Quoted(out);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadTestFile(out);
    }

    // Cuts gif and checks every frame against ImageMagick's reading of the
    // whole file; the frames.
    std::vector<GifFrame> CutAndCheck(const Bytes& gif) {
        const std::string whole = dir_ / "whole.gif";
        test::WriteTestFile(whole, std::string(gif.begin(), gif.end()));
        const std::vector<std::string> expected = Identify(whole);
        const std::vector<GifFrame> frames = Cut(gif);
        EXPECT_EQ(frames.size(), expected.size());
        EXPECT_EQ(Count(gif), static_cast<int>(expected.size()));
        for (size_t i = 0; i < frames.size() && i < expected.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const GifFrame& frame = frames[i];
            const std::string path = dir_ / ("frame" + std::to_string(i) + ".gif");
            test::WriteTestFile(path, std::string(frame.data.begin(), frame.data.end()));
            const std::vector<std::string> alone = Identify(path);
            EXPECT_EQ(alone.size(), 1u);
            if (alone.size() != 1)
                continue;
            const std::string place = std::to_string(frame.width) + " " +
                                      std::to_string(frame.height) + " +" +
                                      std::to_string(frame.left) + " +" + std::to_string(frame.top);
            EXPECT_EQ(alone[0], place);
            EXPECT_EQ(alone[0], expected[i]);
            EXPECT_EQ(Pixels(path, 0), Pixels(whole, static_cast<int>(i)));
        }
        return frames;
    }

    test::TempDir dir_;
};

// The packed byte of a frame's image descriptor: the first block after the
// header that is not an extension.
uint8_t DescriptorPacked(const GifFrame& frame, size_t firstBlock) {
    size_t at = firstBlock;
    while (frame.data.at(at) == 0x21) {
        for (at += 2; frame.data.at(at) != 0; at += frame.data[at] + 1) {
        }
        ++at;
    }
    return frame.data.at(at + 9);
}

const char kAnimation[] =
    "-comment 'made for tests' "
    "-delay 20 -dispose Background -size 16x12 xc:red "
    "-delay 3 -dispose Previous -size 8x6 -page +4+3 xc:blue "
    "-delay 7 -dispose None -page +0+0 -size 16x12 gradient:red-yellow -loop 0";

TEST_F(ImageMagickGif, DisposalDelaysLocalTablesAndExtensions) {
    const Bytes gif = Convert(kAnimation, "animation.gif");
    const std::vector<GifFrame> frames = CutAndCheck(gif);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(Described(frames[0]), (Place{0, 0, 16, 12, 20, 2}));
    EXPECT_EQ(Described(frames[1]), (Place{4, 3, 8, 6, 3, 3}));
    EXPECT_EQ(Described(frames[2]), (Place{0, 0, 16, 12, 7, 1}));
    EXPECT_EQ(FrameWaitMs(frames[0].delay), 200);
    EXPECT_EQ(FrameWaitMs(frames[1].delay), 100);

    // ImageMagick writes the comment, and the looping extension for the
    // first frame, between the control extension and the image.
    const size_t firstBlock = ReadGifHeader(gif.data(), gif.size()).firstBlock;
    const std::string first(frames[0].data.begin(), frames[0].data.end());
    EXPECT_NE(first.find("NETSCAPE2.0"), std::string::npos);
    EXPECT_NE(first.find("made for tests"), std::string::npos);
    EXPECT_EQ(DescriptorPacked(frames[0], firstBlock) & 0x80, 0);
    EXPECT_NE(DescriptorPacked(frames[1], firstBlock) & 0x80, 0);  // local colour table
}

TEST_F(ImageMagickGif, ExtensionsSplicedBeforeTheImageTravelWithTheFrame) {
    Bytes gif = Convert("-delay 20 -size 6x6 xc:red -delay 30 -size 6x6 xc:lime", "plain.gif");
    const std::vector<size_t> ends = test::FrameEnds(gif);
    ASSERT_EQ(ends.size(), 2u);
    // The second frame starts with its control extension (8 bytes).
    const size_t control = ends[0];
    ASSERT_EQ(gif.at(control), 0x21);
    ASSERT_EQ(gif.at(control + 1), 0xF9);
    const std::string spliced =
        "\x21\xFE\x05splic\0"s + "\x21\xFF\x0BTESSELDATA1\x02zz\x03\x01\x02\x03\0"s;
    gif.insert(gif.begin() + static_cast<long>(control + 8), spliced.begin(), spliced.end());
    const std::vector<GifFrame> frames = CutAndCheck(gif);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Described(frames[1]), (Place{0, 0, 6, 6, 30, 0}));
    const std::string second(frames[1].data.begin(), frames[1].data.end());
    EXPECT_NE(second.find("TESSELDATA1"), std::string::npos);
}

TEST_F(ImageMagickGif, OneFrameAndNotAGif) {
    const Bytes one = Convert("-size 5x4 xc:green", "one.gif");
    EXPECT_EQ(Count(one), 1);
    const std::vector<GifFrame> frames = CutAndCheck(one);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(Described(frames[0]), (Place{0, 0, 5, 4, 0, 0}));  // a control extension all the same
    EXPECT_EQ(FrameWaitMs(frames[0].delay), 100);

    const Bytes png = Convert("-size 5x4 xc:green", "green.png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_FALSE(ReadGifHeader(png.data(), png.size()).isGif);
    EXPECT_EQ(Count(png), 0);
    EXPECT_TRUE(Cut(png).empty());
}

TEST_F(ImageMagickGif, BuiltGifsDecodeAsImageMagickReadsThem) {
    const Bytes gif = ToBytes(test::GifBuilder(12, 10, 4)
                                  .Loop(0)
                                  .Control(4, 2)
                                  .Comment("between")
                                  .Image(1, 2, 10, 7, 16)
                                  .Control(50, 3)
                                  .Image(0, 0, 12, 10)
                                  .Finish());
    EXPECT_EQ(CutAndCheck(gif).size(), 2u);
}

}  // namespace
}  // namespace vt::ui
