#include "upgrade/link_label_win32.h"

#include <string>

namespace vt::upgrade {

namespace {

ui::FontHandle UnderlinedCopy(HFONT font, bool underline) {
    LOGFONTA description{};
    ::GetObjectA(font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)),
                 sizeof description, &description);
    description.lfUnderline = underline ? TRUE : FALSE;
    return ui::FontHandle(::CreateFontIndirectA(&description));
}

COLORREF Resolve(COLORREF colour) {
    return colour == CLR_INVALID ? ::GetSysColor(COLOR_WINDOWTEXT) : colour;
}

}  // namespace

bool LinkLabel::AttachLabel(HWND dialog, int id) {
    if (!AttachItem(dialog, id))
        return false;
    const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    normalFont_ = UnderlinedCopy(font, underlineNormal);
    hoverFont_ = UnderlinedCopy(font, underlineHover);
    ::SetWindowLongPtrA(hwnd(), GWL_STYLE, ::GetWindowLongPtrA(hwnd(), GWL_STYLE) | SS_NOTIFY);
    return true;
}

void LinkLabel::Paint() {
    ui::PaintScope paint(hwnd());
    const RECT area = ClientRect();
    HFONT font = pressed_ || hovering_ ? hoverFont_.get() : normalFont_.get();
    COLORREF colour = pressed_ ? colorPressed : hovering_ ? colorHover : colorNormal;
    ui::DcSelection selection(paint.dc(), font);
    ::SetBkMode(paint.dc(), TRANSPARENT);
    ::SetTextColor(paint.dc(), Resolve(colour));
    RECT textArea = area;
    const std::string text = Text();
    ::DrawTextA(paint.dc(), text.c_str(), static_cast<int>(text.size()), &textArea,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void LinkLabel::Refresh() {
    const RECT mine = RectInParent();
    ::InvalidateRect(Parent(), &mine, TRUE);
    Invalidate();
}

LRESULT LinkLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            if (cursor == nullptr)
                break;
            ::SetCursor(cursor);
            return TRUE;
        case WM_MOUSEMOVE:
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
                tracking_ = ::TrackMouseEvent(&track) != FALSE;
            }
            if (!hovering_) {
                hovering_ = true;
                Refresh();
            }
            return 0;
        case WM_MOUSELEAVE:
            tracking_ = false;
            hovering_ = false;
            Refresh();
            return 0;
        case WM_LBUTTONDOWN:
            pressed_ = true;
            ::SetCapture(hwnd());
            Refresh();
            return 0;
        case WM_LBUTTONUP: {
            const bool wasPressed = pressed_;
            pressed_ = false;
            Refresh();
            ::ReleaseCapture();
            const POINT point{static_cast<short>(LOWORD(lParam)),
                              static_cast<short>(HIWORD(lParam))};
            const RECT area = ClientRect();
            if (wasPressed && notifyParent && ::PtInRect(&area, point))
                ::PostMessageA(Parent(), WM_COMMAND, MAKEWPARAM(Id(), 0),
                               reinterpret_cast<LPARAM>(hwnd()));
            return 0;
        }
        default:
            break;
    }
    return ui::Wnd::WndProc(message, wParam, lParam);
}

}  // namespace vt::upgrade
