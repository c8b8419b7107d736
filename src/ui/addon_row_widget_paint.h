// Painting of the addon row widget with GDI. Windows only.
#pragma once

#include <windows.h>

#include <string>

#include "ui/addon_row_widget.h"
#include "ui/gdi.h"

namespace vt::ui {

// "宋体" in the system code page: the face of every font of the list.
constexpr char kListFontFace[] = "\xCB\xCE\xCC\xE5";

// The four fonts the row widgets of one list draw with. They are made once
// per list, not per widget: a list of a few thousand rows would otherwise
// run the process out of GDI handles.
struct RowWidgetFonts {
    RowWidgetFonts();
    FontHandle name;     // 13 pixels, weight 400
    FontHandle bold;     // 12 pixels, weight 700: measures the name's room
    FontHandle percent;  // 12 pixels, weight 100
    FontHandle link;     // 12 pixels, weight 100, underlined: links and badge
};

// The width of "升级" in the link font, the unit of the link layout.
int LinkTextWidth(HDC dc, const RowWidgetFonts& fonts);

// Lays the widget out for cell and paints it in its mode; the area is the
// cell widened by kWidgetOverhang. rowFill is the fill of the widget's row,
// rowHeight the period of the hot gradient.
void PaintRowWidget(HDC dc, AddonRowWidget& widget, const ListRect& cell,
                    const RowWidgetFonts& fonts, int linkWidth, uint32_t rowFill, int rowHeight);

// Fills rect with one colour.
void FillListRect(HDC dc, const ListRect& rect, uint32_t color);
// Draws text (local code page, or UTF-16 below) in rect with font and colour,
// with a transparent background and the DrawText format.
void DrawListText(HDC dc, const std::string& text, const ListRect& rect, HFONT font, uint32_t color,
                  UINT format);
void DrawListText(HDC dc, const wchar_t* text, const ListRect& rect, HFONT font, uint32_t color,
                  UINT format);

}  // namespace vt::ui
