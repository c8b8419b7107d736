#include "ui/hyperlink.h"

#include <shellapi.h>
#include <windowsx.h>

namespace vt::ui {

void CHyperlink::OnAttached() {
    // Without the notify style a static control lets the mouse through.
    ::SetWindowLongA(hwnd(), GWL_STYLE, ::GetWindowLongA(hwnd(), GWL_STYLE) | SS_NOTIFY);
    MakeFonts();
}

void CHyperlink::SetUnderline(bool normal, bool hover) {
    underlineNormal_ = normal;
    underlineHover_ = hover;
    if (IsWindow()) {
        MakeFonts();
        Repaint();
    }
}

void CHyperlink::SetTooltip(const std::string& text) {
    tooltip_.SetText(hwnd(), text);
}

void CHyperlink::MakeFonts() {
    auto* base = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    LOGFONTA font{};
    ::GetObjectA(base ? base : ::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = underlineNormal_ ? TRUE : FALSE;
    normalFont_.Reset(::CreateFontIndirectA(&font));
    font.lfUnderline = underlineHover_ ? TRUE : FALSE;
    hoverFont_.Reset(::CreateFontIndirectA(&font));
}

void CHyperlink::Paint(HDC target) {
    const RECT client = ClientRect();
    // The label starts from the parent's background under it; a parent
    // that erases nothing leaves it to draw on what is there.
    Canvas face(target, client.right, client.bottom);
    const bool ownBackground = face && PaintParentBackground(hwnd(), face.dc());
    HDC dc = ownBackground ? face.dc() : target;
    COLORREF color = pressed_ ? colorPressed : hovering_ ? colorHover : colorNormal;
    if (color == kDefaultColor)
        color = ::GetSysColor(COLOR_HOTLIGHT);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, color);
    DcSelection font(dc, (pressed_ || hovering_ ? hoverFont_ : normalFont_).get());
    RECT place = client;
    const std::string text = Text();
    ::DrawTextA(dc, text.c_str(), -1, &place, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (ownBackground)
        face.CopyTo(target);
}

void CHyperlink::Repaint() {
    Invalidate(false);
    RECT place = RectInParent();
    ::InvalidateRect(Parent(), &place, TRUE);
}

void CHyperlink::OnLeftButtonUp(LPARAM lParam) {
    pressed_ = false;
    Repaint();
    ::ReleaseCapture();
    const RECT client = ClientRect();
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!::PtInRect(&client, point))
        return;
    if (notifyParent) {
        ::PostMessageA(Parent(), WM_COMMAND, static_cast<WPARAM>(Id()),
                       reinterpret_cast<LPARAM>(hwnd()));
        return;
    }
    if (!target.empty())
        ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CHyperlink::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        tooltip_.Relay(hwnd(), message, wParam, lParam);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
                trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
                hovering_ = true;
                Repaint();
            }
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            hovering_ = false;
            Repaint();
            return 0;
        // The static control's own handling would send a second click.
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            pressed_ = true;
            ::SetCapture(hwnd());
            Repaint();
            return 0;
        case WM_LBUTTONUP:
            if (pressed_)
                OnLeftButtonUp(lParam);
            return 0;
        case WM_CAPTURECHANGED:
            if (pressed_ && reinterpret_cast<HWND>(lParam) != hwnd()) {
                pressed_ = false;
                Repaint();
            }
            break;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_SETCURSOR:
            if (cursor != nullptr) {
                ::SetCursor(cursor);
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return TRUE;
        case WM_PAINT: {
            PaintScope paint(hwnd());
            Paint(paint.dc());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_SETTEXT: {
            const LRESULT result = Default(message, wParam, lParam);
            Repaint();
            return result;
        }
        case WM_SETFONT: {
            const LRESULT result = Default(message, wParam, lParam);
            MakeFonts();
            return result;
        }
        default:
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace vt::ui
