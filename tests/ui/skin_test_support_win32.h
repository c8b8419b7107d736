// Images and pixels for the window tests of the toolkit: the tests make
// their own images, so that they never depend on the skin's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "ui/gdi.h"
#include "ui/resource_image.h"

namespace vt::test {

// A strip of slices side by side, each filled with one ARGB colour.
ui::ImagePtr SolidStrip(std::initializer_list<uint32_t> colours, int sliceWidth, int sliceHeight);
// Fills a rectangle of image with an ARGB colour.
void FillImage(Gdiplus::Bitmap& image, int x, int y, int width, int height, uint32_t argb);
// Saves image as a PNG file in a fresh temporary directory; its path.
std::string SaveTempPng(Gdiplus::Bitmap& image, const std::string& name);
// A pixel of a canvas as 0xRRGGBB.
uint32_t PixelOf(const ui::Canvas& canvas, int x, int y);
// 0xRRGGBB of a COLORREF, to compare with the ARGB colours of the images.
inline uint32_t Rgb(COLORREF colour) {
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

}  // namespace vt::test
