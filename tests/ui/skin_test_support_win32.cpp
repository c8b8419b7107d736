#include "skin_test_support_win32.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/gui_win32.h"
#include "ui/gdiplus_session.h"

namespace vt::test {
namespace {

// GDI+ and COM for the whole test program, as the program's start-up
// provides them.
class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ::OleInitialize(nullptr);
        gdiplus_ = std::make_unique<ui::GdiplusSession>();
    }
    void TearDown() override {
        gdiplus_.reset();
        ::OleUninitialize();
    }

  private:
    std::unique_ptr<ui::GdiplusSession> gdiplus_;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

ui::ImagePtr SolidStrip(std::initializer_list<uint32_t> colours, int sliceWidth, int sliceHeight) {
    auto image = std::make_unique<Gdiplus::Bitmap>(sliceWidth * static_cast<int>(colours.size()),
                                                   sliceHeight, PixelFormat32bppPARGB);
    int x = 0;
    for (uint32_t colour : colours) {
        FillImage(*image, x, 0, sliceWidth, sliceHeight, colour);
        x += sliceWidth;
    }
    return image;
}

void FillImage(Gdiplus::Bitmap& image, int x, int y, int width, int height, uint32_t argb) {
    Gdiplus::Graphics graphics(&image);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
    graphics.FillRectangle(&brush, x, y, width, height);
}

std::string SaveTempPng(Gdiplus::Bitmap& image, const std::string& name) {
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    const std::string dir =
        std::string(base) + "tessel-ui-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\" + name + ".png";
    EXPECT_TRUE(SaveImagePng(image, path)) << path;
    return path;
}

uint32_t PixelOf(const ui::Canvas& canvas, int x, int y) {
    return Rgb(::GetPixel(canvas.dc(), x, y));
}

}  // namespace vt::test
