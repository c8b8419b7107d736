// CSkinDialog: a dialog without the system caption that paints its own
// background (a fill, then a drawing layer of images and texts), is dragged
// by a caption band of its client area, may be resized from its client edges
// and may have rounded corners. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/gdi.h"
#include "ui/gdiplus_api.h"
#include "ui/resource_image.h"
#include "ui/skin_geometry.h"
#include "ui/wnd.h"

namespace vt::ui {

// A handle to one entry of a dialog's drawing layer.
using LayerItem = int;

// A rectangle image of the drawing layer, drawn nine-slice. Its source is the
// file when one is named and exists, else a copy of image when given, else
// the resource.
struct RectImage {
    std::string file{};                // system code page
    Gdiplus::Bitmap* image = nullptr;  // not kept: the layer holds a copy
    int resourceId = 0;
    const char* type = "PNG";
    PixelRect place{};  // client coordinates; empty: the whole client area, following its size
    SliceInsets insets{};
    SliceMode mode = SliceMode::SmoothStretch;
    int rotateFlip = 0;  // a Gdiplus::RotateFlipType, applied before slicing
};

// A text of the drawing layer.
struct LayerText {
    std::string text{};  // system code page
    int x = 0;           // the alignment box's top-left corner, client coordinates
    int y = 0;
    int points = 9;
    uint32_t argb = 0xFF000000;
    unsigned align = 0;  // kText... bits of skin_geometry.h; 0 is top-left
    int wrapWidth = 0;   // > 0: wrapped within a box this wide
    bool bold = false;
};

class CSkinDialog : public Dialog {
  public:
    explicit CSkinDialog(int templateId, HINSTANCE module = nullptr);
    ~CSkinDialog() override;

    // Set by the derived dialog before or during its initialisation.
    COLORREF backgroundColor = RGB(255, 255, 255);
    int captionHeight = 0;   // the band at the top that drags the window; 0 = none
    bool resizable = false;  // from the template's sizing border, at initialisation
    int minTrackWidth = 0;   // smallest size while resizing, when both are positive
    int minTrackHeight = 0;
    CornerDiameters corners;
    bool swallowSpace = true;  // keys dropped when a button of the dialog has the focus
    bool swallowEscape = true;
    bool swallowEnter = false;

    // The drawing layer, drawn in the order of registration after the fill.
    // Positioned image: registering again at the same place, with the same
    // size and rotate-or-flip code, replaces the earlier image. A resource
    // that does not decode is registered and draws nothing.
    LayerItem AddImage(int resourceId, const char* type, int x, int y, int rotateFlip = 0);
    // The same with an image already decoded; the layer keeps it.
    LayerItem AddImage(ImagePtr image, int x, int y, int rotateFlip = 0);
    LayerItem AddRectImage(const RectImage& image);
    LayerItem AddText(const LayerText& text);
    void SetItemText(LayerItem item, const std::string& text);
    void ShowItem(LayerItem item, bool shown);
    void ClearLayer();

    // Draws the fill and the drawing layer, as the client area of width x
    // height shows them, into dc.
    void PaintBackground(HDC dc, int width, int height);
    // Draws only the drawing layer into graphics (the composer of layered
    // windows keeps the alpha of the images this way).
    void DrawLayer(Gdiplus::Graphics& graphics, int width, int height);
    // The client area's background as last painted (painted now when the
    // layer or the size changed since); children copy their part of it.
    const Canvas& Background();

    // The six-pixel edge band's resize hit code under a client point of a
    // resizable dialog (None when not resizable).
    EdgeHit EdgeAt(int x, int y) const;

  protected:
    // Removes the caption style and takes resizable from the sizing border.
    bool OnInitDialog() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    struct LayerEntry;
    LayerEntry* Find(LayerItem item);
    LayerItem Append(std::unique_ptr<LayerEntry> item);
    void DrawItem(Gdiplus::Graphics& graphics, LayerEntry& item, int width, int height);
    static void PaintText(Gdiplus::Graphics& graphics, LayerEntry& item);
    static void DrawSlices(Gdiplus::Graphics& graphics, LayerEntry& item, const PixelRect& place);
    void Changed();
    void ApplyRegion();
    LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);
    void OnDoubleClick(LPARAM lParam);
    bool SetEdgeCursor();
    void OnMinMaxInfo(MINMAXINFO* info);

    std::vector<std::unique_ptr<LayerEntry>> items_;
    LayerItem nextItem_ = 1;
    Canvas background_;
    bool backgroundStale_ = true;
    COLORREF paintedColor_ = CLR_INVALID;  // the fill of background_
    bool filterInstalled_ = false;
    bool hasRegion_ = false;
};

}  // namespace vt::ui
