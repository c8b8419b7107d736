#include "ui/addon_row_widget_paint.h"

#include <iterator>
#include <string>

namespace vt::ui {
namespace {

constexpr uint32_t kWhite = ListColor(255, 255, 255);
constexpr uint32_t kBarColor = ListColor(253, 245, 207);
constexpr uint32_t kCancelColor = ListColor(76, 169, 203);
constexpr uint32_t kPercentColor = ListColor(154, 155, 157);
constexpr uint32_t kLinkColor = ListColor(135, 107, 40);
constexpr uint32_t kBadgeColor = ListColor(255, 96, 0);
constexpr uint32_t kDetailsColor = ListColor(201, 201, 201);

RECT ToRect(const ListRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

void Stroke(HDC dc, const ListStroke& stroke, uint32_t color) {
    Line(dc, stroke.x1, stroke.y1, stroke.x2, stroke.y2);
    // LineTo leaves out its end point; the drawings here end on it.
    ::SetPixelV(dc, stroke.x2, stroke.y2, color);
}

void PaintBadge(HDC dc, const AddonRowLayout& layout, const RowWidgetFonts& fonts) {
    DrawListText(dc, L"可升级", layout.badgeRect, fonts.link.get(), kBadgeColor,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    PenHandle pen(::CreatePen(PS_SOLID, 1, kBadgeColor));
    DcSelection penSelection(dc, pen.get());
    const BadgeArrow arrow = BadgeArrowStrokes(layout.badgeRect);
    for (const ListStroke& stroke : {arrow.shaft, arrow.leftHead, arrow.rightHead})
        Stroke(dc, stroke, kBadgeColor);
}

void PaintHotBackground(HDC dc, const ListRect& area, int rowHeight) {
    FillListRect(dc, area, kWhite);
    for (int y = area.top + kHotGradientOffset; y < area.bottom; ++y)
        FillListRect(dc, {area.left, y, area.right, y + 1}, HotGradientColor(area, rowHeight, y));
}

void PaintCancelCross(HDC dc, const ListRect& rect) {
    PenHandle pen(::CreatePen(PS_SOLID, 2, kCancelColor));
    DcSelection penSelection(dc, pen.get());
    Line(dc, rect.left, rect.top, rect.right, rect.bottom);
    Line(dc, rect.right, rect.top, rect.left, rect.bottom);
}

// A page with its top-right corner folded over and two lines of text.
void PaintDetailsIcon(HDC dc, const ListRect& rect) {
    const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    const int fold = 3;
    PenHandle pen(::CreatePen(PS_SOLID, 1, kDetailsColor));
    DcSelection penSelection(dc, pen.get());
    DcSelection brushSelection(dc, ::GetStockObject(WHITE_BRUSH));
    const POINT page[] = {{l, t}, {r - fold, t}, {r, t + fold}, {r, b}, {l, b}};
    ::Polygon(dc, page, static_cast<int>(std::size(page)));
    const POINT corner[] = {{r - fold, t}, {r - fold, t + fold}, {r + 1, t + fold}};
    ::Polyline(dc, corner, static_cast<int>(std::size(corner)));
    Line(dc, l + 2, t + 5, r - 1, t + 5);
    Line(dc, l + 2, t + 8, r - 1, t + 8);
}

int TextWidth(HDC dc, HFONT font, const std::string& text) {
    DcSelection selection(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

RowWidgetFonts::RowWidgetFonts()
    : name(MakeFont(kListFontFace, -13, FW_NORMAL)),
      bold(MakeFont(kListFontFace, -12, FW_BOLD)),
      percent(MakeFont(kListFontFace, -12, FW_THIN)),
      link(MakeFont(kListFontFace, -12, FW_THIN, true)) {}

int LinkTextWidth(HDC dc, const RowWidgetFonts& fonts) {
    DcSelection selection(dc, fonts.link.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc, L"升级", 2, &size);
    return size.cx;
}

void FillListRect(HDC dc, const ListRect& rect, uint32_t color) {
    if (rect.Empty())
        return;
    const RECT area = ToRect(rect);
    const COLORREF previous = ::SetBkColor(dc, color);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
}

void DrawListText(HDC dc, const std::string& text, const ListRect& rect, HFONT font, uint32_t color,
                  UINT format) {
    RECT area = ToRect(rect);
    DcSelection selection(dc, font);
    const COLORREF previous = ::SetTextColor(dc, color);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format | DT_NOPREFIX);
    ::SetBkMode(dc, mode);
    ::SetTextColor(dc, previous);
}

void DrawListText(HDC dc, const wchar_t* text, const ListRect& rect, HFONT font, uint32_t color,
                  UINT format) {
    RECT area = ToRect(rect);
    DcSelection selection(dc, font);
    const COLORREF previous = ::SetTextColor(dc, color);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text, -1, &area, format | DT_NOPREFIX);
    ::SetBkMode(dc, mode);
    ::SetTextColor(dc, previous);
}

void PaintRowWidget(HDC dc, AddonRowWidget& widget, const ListRect& cell,
                    const RowWidgetFonts& fonts, int linkWidth, uint32_t rowFill, int rowHeight) {
    if (widget.layout == nullptr)
        return;
    AddonRowLayout& layout = *widget.layout;
    widget.Layout(cell, linkWidth, TextWidth(dc, fonts.bold.get(), layout.name));
    const ListRect area = WidgetPaintArea(cell);

    if (widget.downloading) {
        FillListRect(dc, area, kWhite);
        FillListRect(dc, ProgressBarRect(cell, widget.percent), kBarColor);
        PaintCancelCross(dc, layout.cancelRect);
        DrawListText(dc, std::to_string(widget.percent) + "%", PercentTextRect(layout.cancelRect),
                     fonts.percent.get(), kPercentColor, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    } else if (widget.hot) {
        PaintHotBackground(dc, area, rowHeight);
        if (layout.upgradable)
            PaintBadge(dc, layout, fonts);
        const UINT linkFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;
        DrawListText(dc, L"删除", layout.deleteRect, fonts.link.get(), kLinkColor, linkFormat);
        if (!layout.noToggle)
            DrawListText(dc, layout.enabled ? L"禁用" : L"启用", layout.toggleRect,
                         fonts.link.get(), kLinkColor, linkFormat);
    } else {
        FillListRect(dc, area, rowFill);
        if (layout.upgradable)
            PaintBadge(dc, layout, fonts);
    }

    DrawListText(dc, layout.name, layout.nameRect, fonts.name.get(), widget.NameColor(),
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    PaintDetailsIcon(dc, layout.detailsRect);
}

}  // namespace vt::ui
