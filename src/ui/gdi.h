// Move-only owners of GDI and GDI+ resources, so no drawing path needs a
// manual clean-up. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace vt::ui {

// Owns one GDI object (bitmap, font, brush, pen, region) and deletes it.
template <typename Handle>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr)
            ::DeleteObject(handle_);
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, nullptr); }

  private:
    Handle handle_ = nullptr;
};

using BitmapHandle = GdiObject<HBITMAP>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using RegionHandle = GdiObject<HRGN>;

// An object selected into a DC for the owner's scope; the previous one is
// selected back at the end.
class DcSelection {
  public:
    DcSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~DcSelection() {
        if (dc_ != nullptr)
            ::SelectObject(dc_, previous_);
    }
    DcSelection(DcSelection&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)),
          previous_(std::exchange(other.previous_, nullptr)) {}
    DcSelection(const DcSelection&) = delete;
    DcSelection& operator=(const DcSelection&) = delete;
    DcSelection& operator=(DcSelection&&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window's client DC, released at the end of the scope.
class ClientDc {
  public:
    explicit ClientDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~ClientDc() { ::ReleaseDC(hwnd_, dc_); }
    ClientDc(const ClientDc&) = delete;
    ClientDc& operator=(const ClientDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintScope {
  public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { ::BeginPaint(hwnd, &paint_); }
    ~PaintScope() { ::EndPaint(hwnd_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return paint_.hdc; }
    const RECT& area() const { return paint_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
};

// An off-screen drawing surface: a memory DC with a bitmap of the given size
// selected into it. With alpha it is a 32-bit top-down DIB whose pixels are
// reachable through bits().
class Canvas {
  public:
    Canvas() = default;
    Canvas(HDC reference, int width, int height, bool alpha = false);
    ~Canvas();
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    explicit operator bool() const { return dc_ != nullptr && bitmap_; }
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // 32-bit BGRA pixels of an alpha canvas, rows top-down; null otherwise.
    uint32_t* bits() const { return bits_; }
    // Copies the whole canvas to (x, y) of target.
    void CopyTo(HDC target, int x = 0, int y = 0) const;

  private:
    void Free();

    HDC dc_ = nullptr;
    BitmapHandle bitmap_;
    HGDIOBJ previous_ = nullptr;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Has child's parent erase its background into dc, shifted so that dc's
// origin is child's top-left corner: a child that draws over its parent
// starts from the pixels under it (a skinned dialog hands out its painted
// background). False when the parent erased nothing.
bool PaintParentBackground(HWND child, HDC dc);

// A font made from a face name and a pixel height (negative: character
// height), as the toolkit's text cells ask for them.
FontHandle MakeFont(const char* face, int height, int weight = FW_NORMAL, bool underline = false,
                    BYTE charset = GB2312_CHARSET);
// The height of a point size on the screen, for LOGFONT (negative).
int PointsToFontHeight(int points);

}  // namespace vt::ui
