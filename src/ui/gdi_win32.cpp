#include "ui/gdi.h"

namespace vt::ui {

Canvas::Canvas(HDC reference, int width, int height, bool alpha) : width_(width), height_(height) {
    if (width <= 0 || height <= 0)
        return;
    dc_ = ::CreateCompatibleDC(reference);
    if (dc_ == nullptr)
        return;
    if (alpha) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.Reset(::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<uint32_t*>(bits);
    } else {
        bitmap_.Reset(::CreateCompatibleBitmap(reference, width, height));
    }
    if (!bitmap_) {
        Free();
        return;
    }
    previous_ = ::SelectObject(dc_, bitmap_.get());
}

Canvas::~Canvas() {
    Free();
}

Canvas::Canvas(Canvas&& other) noexcept {
    *this = std::move(other);
}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    if (this == &other)
        return *this;
    Free();
    dc_ = std::exchange(other.dc_, nullptr);
    bitmap_ = std::move(other.bitmap_);
    previous_ = std::exchange(other.previous_, nullptr);
    bits_ = std::exchange(other.bits_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    return *this;
}

void Canvas::Free() {
    if (dc_ != nullptr && previous_ != nullptr)
        ::SelectObject(dc_, previous_);
    bitmap_.Reset();
    if (dc_ != nullptr)
        ::DeleteDC(dc_);
    dc_ = nullptr;
    previous_ = nullptr;
    bits_ = nullptr;
}

void Canvas::CopyTo(HDC target, int x, int y) const {
    if (*this)
        ::BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

bool PaintParentBackground(HWND child, HDC dc) {
    HWND parent = ::GetParent(child);
    if (parent == nullptr)
        return false;
    POINT origin{0, 0};
    ::MapWindowPoints(child, parent, &origin, 1);
    POINT previous{};
    ::SetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    const bool erased = ::SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 0;
    ::SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
    return erased;
}

FontHandle MakeFont(const char* face, int height, int weight, bool underline, BYTE charset) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = charset;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return FontHandle(::CreateFontIndirectA(&font));
}

int PointsToFontHeight(int points) {
    HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return height;
}

}  // namespace vt::ui
