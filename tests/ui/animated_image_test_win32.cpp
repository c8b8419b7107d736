#include "ui/animated_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

#include "gif_builder.h"
#include "resource.h"
#include "skin_test_support_win32.h"
#include "support/gui_win32.h"
#include "ui/wnd.h"

namespace vt::ui {
namespace {

using test::GifBuilder;
using test::Rgb;

// A global memory block holding bytes, freed at the end of the scope.
class Block {
  public:
    explicit Block(const std::string& bytes)
        : block_(::GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size())),
          size_(bytes.size()) {
        std::memcpy(::GlobalLock(block_), bytes.data(), bytes.size());
        ::GlobalUnlock(block_);
    }
    ~Block() { ::GlobalFree(block_); }
    HGLOBAL get() const { return block_; }
    size_t size() const { return size_; }

  private:
    HGLOBAL block_;
    size_t size_;
};

// An animated image on a visible top-level host, at (0, 0) of its client area.
class AnimatedImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            host.Create({.style = WS_POPUP | WS_VISIBLE,
                         .x = 200,
                         .y = 200,
                         .width = 200,
                         .height = 150,
                         .background = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))}));
        HWND label = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                       host.hwnd(), nullptr, nullptr, nullptr);
        ASSERT_TRUE(image.Attach(label));
    }
    bool Load(const std::string& bytes) {
        Block block(bytes);
        return image.LoadFromMemory(block.get(), block.size());
    }
    uint32_t Canvas(int x, int y) { return Rgb(image.CanvasPixel(x, y)); }

    Wnd host;
    CAnimatedImage image;
};

// 40 x 30, four frames:
//   0: (0, 0) 40 x 20 in colour 1, delay 3, disposal 0 (left in place)
//   1: (10, 10) 10 x 10 in colour 2, delay 20, disposal 2 (background)
//   2: (25, 5) 10 x 10 in colour 3, delay 0, disposal 3 (what was before)
//   3: (20, 22) 10 x 8 in colour 2, delay 6, disposal 1 (left in place)
std::string FourFrames(const std::string& version = "89a") {
    GifBuilder gif(40, 30, 4, version);
    gif.Loop(0);
    gif.Control(3, 0).Image(0, 0, 40, 20, 0, 1);
    gif.Control(20, 2).Image(10, 10, 10, 10, 0, 2);
    gif.Comment("between frames");
    gif.Control(0, 3).Image(25, 5, 10, 10, 0, 3);
    gif.Control(6, 1).Image(20, 22, 10, 8, 0, 2);
    return gif.Finish();
}

// What the canvas showed after each frame was drawn: the wait the frame
// asked for and three pixels.
struct Shown {
    int waitMs;
    uint32_t inFrame1;  // (15, 15)
    uint32_t inFrame2;  // (30, 10)
    uint32_t inFrame3;  // (25, 25)
};

TEST_F(AnimatedImageTest, FramesArePlacedTimedAndDisposedInOrder) {
    ASSERT_TRUE(Load(FourFrames()));
    EXPECT_TRUE(image.IsGif());
    ASSERT_EQ(image.FrameCount(), 4u);
    EXPECT_EQ(image.Width(), 40);
    EXPECT_EQ(image.Height(), 30);
    const RECT size = image.ClientRect();
    EXPECT_EQ(size.right, 40) << "the control takes the picture's size";
    EXPECT_EQ(size.bottom, 30);
    EXPECT_EQ(image.Frame(1).left, 10);
    EXPECT_EQ(image.Frame(1).delay, 20);
    EXPECT_EQ(image.Frame(2).disposal, 3);
    const uint32_t fill = Canvas(25, 25);
    EXPECT_EQ(fill, Rgb(::GetSysColor(COLOR_MENU))) << "the canvas starts in the menu colour";

    // The drawing thread reports each frame here instead of waiting on a
    // clock, and stops after the fifth.
    std::vector<Shown> shown;
    image.frameWait = [&](int waitMs) {
        shown.push_back({waitMs, Canvas(15, 15), Canvas(30, 10), Canvas(25, 25)});
        return shown.size() == 5;
    };
    EXPECT_FALSE(image.Start()) << "an animation plays on its thread";
    ASSERT_TRUE(test::PumpUntil([&] { return shown.size() == 5 && !image.IsRunning(); }));
    image.Stop();

    const uint32_t c1 = GifBuilder::TableColour(1), c2 = GifBuilder::TableColour(2);
    const uint32_t c3 = GifBuilder::TableColour(3);
    const uint32_t background = Rgb(image.BackgroundColour());
    EXPECT_EQ(background, Rgb(::GetSysColor(COLOR_BTNFACE)));
    // Frame 0, then 1 over it.
    EXPECT_EQ(shown[0].waitMs, 100) << "a delay of 3 waits 100 ms";
    EXPECT_EQ(shown[0].inFrame1, c1);
    EXPECT_EQ(shown[0].inFrame3, fill);
    EXPECT_EQ(shown[1].waitMs, 200) << "a delay of 20 waits 200 ms";
    EXPECT_EQ(shown[1].inFrame1, c2);
    EXPECT_EQ(shown[1].inFrame2, c1);
    // Frame 1 left the background behind; frame 2 is drawn.
    EXPECT_EQ(shown[2].waitMs, 100);
    EXPECT_EQ(shown[2].inFrame1, background);
    EXPECT_EQ(shown[2].inFrame2, c3);
    // Frame 2 gave back what lay under it; frame 3 is drawn.
    EXPECT_EQ(shown[3].waitMs, 60);
    EXPECT_EQ(shown[3].inFrame2, c1);
    EXPECT_EQ(shown[3].inFrame3, c2);
    // After the last frame the canvas is cleared before frame 0 again.
    EXPECT_EQ(shown[4].inFrame3, background);
    EXPECT_EQ(shown[4].inFrame1, c1);
    EXPECT_EQ(shown[4].inFrame2, c1);
}

TEST_F(AnimatedImageTest, AnyVersionBytesAfterGifMakeAGif) {
    ASSERT_TRUE(Load(FourFrames("xyz")));
    EXPECT_TRUE(image.IsGif());
    EXPECT_EQ(image.FrameCount(), 4u);
}

TEST_F(AnimatedImageTest, OneFrameIsShownStillWithoutAThread) {
    GifBuilder gif(20, 10, 4);
    gif.Control(10, 0).Image(0, 0, 20, 10, 0, 2);
    ASSERT_TRUE(Load(gif.Finish()));
    EXPECT_EQ(image.FrameCount(), 0u) << "one graphic block is one picture";
    EXPECT_TRUE(image.Start());
    EXPECT_FALSE(image.IsRunning());
    EXPECT_EQ(Canvas(5, 5), GifBuilder::TableColour(2));
    EXPECT_EQ(image.Width(), 20);
}

TEST_F(AnimatedImageTest, OtherPicturesAreStillAtTheirOwnSize) {
    // A 24 x 16 bitmap file, red.
    const int width = 24, height = 16, stride = width * 3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int i = 0; i < width * height; ++i)
        bytes += std::string("\x00\x00\xFF", 3);
    ASSERT_TRUE(Load(bytes));
    EXPECT_FALSE(image.IsGif());
    // The picture's HIMETRIC size back at the screen's pixels per inch.
    EXPECT_NEAR(image.Width(), width, 1);
    EXPECT_NEAR(image.Height(), height, 1);
    EXPECT_TRUE(image.Start());
    EXPECT_EQ(Canvas(3, 3), 0xFF0000u);
    test::PumpPending();
    EXPECT_EQ(Rgb(test::ScreenPixel(image.hwnd(), 3, 3)), 0xFF0000u) << "shown in the window";
}

TEST_F(AnimatedImageTest, DataThatShowsNothingIsRefused) {
    EXPECT_FALSE(Load("GIF89a"));
    GifBuilder noImage(10, 10, 4);
    noImage.Comment("only a comment");
    EXPECT_FALSE(Load(noImage.Finish())) << "no graphic block";
    EXPECT_FALSE(Load("not a picture at all"));
    EXPECT_FALSE(Load(""));
    EXPECT_FALSE(image.Start()) << "nothing loaded";
    EXPECT_FALSE(image.LoadFromResource(9999, "GIF"));
}

TEST_F(AnimatedImageTest, GifsThatLieAboutTheirSizesGiveWhatCanBeCut) {
    const std::string source =
        std::getenv("TESSEL_SOURCE_DIR") ? std::getenv("TESSEL_SOURCE_DIR") : "";
    ASSERT_FALSE(source.empty());
    for (const char* name :
         {"subblock_past_end.gif", "local_table_past_end.gif", "extension_past_end.gif",
          "global_table_past_end.gif", "trailer_in_middle.gif", "unknown_block.gif",
          "endless_extensions.gif"}) {
        std::ifstream file("Z:" + source + "/tests/ui/data/" + name, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        ASSERT_FALSE(bytes.str().empty()) << name;
        Load(bytes.str());
        image.frameWait = [](int) { return true; };
        image.Start();
        image.Stop();
        EXPECT_FALSE(image.IsRunning()) << name;
    }
}

TEST_F(AnimatedImageTest, LoadingAnotherPictureStopsTheFirstThread) {
    ASSERT_TRUE(Load(FourFrames()));
    image.Start();  // with the real waits
    ASSERT_TRUE(test::PumpUntil([&] { return image.IsRunning(); }));
    GifBuilder still(8, 8, 4);
    still.Image(0, 0, 8, 8, 0, 3);
    ASSERT_TRUE(Load(still.Finish()));
    EXPECT_FALSE(image.IsRunning());
    EXPECT_EQ(image.FrameCount(), 0u);
}

TEST_F(AnimatedImageTest, DestroyingTheWindowStopsTheThread) {
    ASSERT_TRUE(Load(FourFrames()));
    image.Start();
    ASSERT_TRUE(test::PumpUntil([&] { return image.IsRunning(); }));
    image.Destroy();
    EXPECT_FALSE(image.IsRunning());
}

TEST_F(AnimatedImageTest, PaintRectShowsPartOfTheCanvas) {
    GifBuilder gif(40, 30, 4);
    gif.Image(0, 0, 20, 30, 0, 1).Image(20, 0, 20, 30, 0, 2);
    ASSERT_TRUE(Load(gif.Finish()));
    // Two frames: drawn by the thread; stopped once both are on the canvas.
    bool both = false;
    image.frameWait = [&](int) {
        both = Canvas(30, 5) == GifBuilder::TableColour(2);
        return both;
    };
    image.Start();
    ASSERT_TRUE(test::PumpUntil([&] { return both && !image.IsRunning(); }));
    image.Stop();
    image.paintRect = RECT{20, 0, 40, 30};
    image.Invalidate(false);
    test::PumpPending();
    EXPECT_EQ(Rgb(test::ScreenPixel(image.hwnd(), 5, 5)), GifBuilder::TableColour(2));
    image.paintRect = RECT{};
    image.Invalidate(false);
    test::PumpPending();
    EXPECT_EQ(Rgb(test::ScreenPixel(image.hwnd(), 5, 5)), GifBuilder::TableColour(1));
}

TEST_F(AnimatedImageTest, UnloadForgetsEverything) {
    ASSERT_TRUE(Load(FourFrames()));
    image.paintRect = RECT{1, 1, 5, 5};
    image.Unload();
    EXPECT_EQ(image.FrameCount(), 0u);
    EXPECT_FALSE(image.IsGif());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.BackgroundColour(), RGB(255, 255, 255));
    EXPECT_EQ(image.CanvasPixel(0, 0), CLR_INVALID);
    EXPECT_EQ(image.paintRect.right, 0);
    EXPECT_FALSE(image.Start());
}

TEST_F(AnimatedImageTest, TheProgramsLoadingAnimations) {
    for (const auto& [id, name, frames] :
         {std::tuple{IDG_LOADING, "animated_image_loading_155", 12u},
          std::tuple{IDG_POPUP_LOADING, "animated_image_popup_loading_163", 12u}}) {
        ASSERT_TRUE(image.LoadFromResource(id, "GIF")) << id;
        EXPECT_EQ(image.FrameCount(), frames);
        // Stopped at the fourth frame for the picture.
        int drawn = 0;
        image.frameWait = [&](int) { return ++drawn == 4; };
        image.Start();
        ASSERT_TRUE(test::PumpUntil([&] { return drawn == 4 && !image.IsRunning(); }));
        image.Stop();
        image.Invalidate(false);
        test::CaptureWindow(host.hwnd(), name);
    }
}

}  // namespace
}  // namespace vt::ui
