#include "ui/layered_composer.h"

#include <map>
#include <thread>

#include "ui/gdiplus_api.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"
#include "ui/wnd.h"

namespace vt::ui {
namespace {

using UpdateLayeredWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                                  BLENDFUNCTION*, DWORD);

UpdateLayeredWindowFunction UpdateFunction() {
    static const auto function =
        reinterpret_cast<UpdateLayeredWindowFunction>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleA("user32.dll"), "UpdateLayeredWindow")));
    return function;
}

// The procedures the composer stands in front of, by window; touched only on
// the user-interface thread.
std::map<HWND, WNDPROC>& OldProcedures() {
    static std::map<HWND, WNDPROC> procedures;
    return procedures;
}

bool g_composing = false;

bool Recomposes(UINT message) {
    constexpr UINT kCtlColor = 0x0019;  // the old WM_CTLCOLOR
    switch (message) {
        case WM_SIZE:
        case WM_PAINT:
        case kCtlColor:
        case WM_NCPAINT:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_CAPTURECHANGED:
            return true;
        default:
            return false;
    }
}

LRESULT CALLBACK ComposerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& procedures = OldProcedures();
    const auto found = procedures.find(hwnd);
    if (found == procedures.end())
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    const LRESULT result = ::CallWindowProcA(found->second, hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY)
        procedures.erase(hwnd);
    else if (Recomposes(message))
        LayeredComposer::Compose(hwnd);
    return result;
}

// GDI leaves the alpha of what it draws undefined; a control is opaque.
void MakeOpaque(Canvas& canvas) {
    uint32_t* pixel = canvas.bits();
    for (int i = 0, count = canvas.width() * canvas.height(); i < count; ++i)
        pixel[i] |= 0xFF000000u;
}

// Copies the part of from at (x, y) into to, or back the other way.
void CopyPixels(const Canvas& from, int fromX, int fromY, Canvas& to, int toX, int toY, int width,
                int height) {
    for (int row = 0; row < height; ++row) {
        const int sourceY = fromY + row, targetY = toY + row;
        if (sourceY < 0 || sourceY >= from.height() || targetY < 0 || targetY >= to.height())
            continue;
        for (int column = 0; column < width; ++column) {
            const int sourceX = fromX + column, targetX = toX + column;
            if (sourceX < 0 || sourceX >= from.width() || targetX < 0 || targetX >= to.width())
                continue;
            to.bits()[targetY * to.width() + targetX] =
                from.bits()[sourceY * from.width() + sourceX];
        }
    }
}

}  // namespace

bool LayeredComposer::MakeLayered(HWND window) {
    if (UpdateFunction() == nullptr || window == nullptr || IsLayered(window))
        return false;
    ::SetWindowLongA(window, GWL_EXSTYLE, ::GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    OldProcedures()[window] = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComposerProcedure)));
    // The first composition comes when the window's thread next takes a
    // message, after whatever set the window up has finished.
    std::thread([window] { ::SendMessageA(window, WM_PAINT, 0, 0); }).detach();
    return true;
}

bool LayeredComposer::IsLayered(HWND window) {
    return OldProcedures().count(window) != 0;
}

Canvas LayeredComposer::Render(HWND window, HWND flashButton, int flashState) {
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    ClientDc screen(nullptr);
    Canvas face(screen.get(), width, height, true);
    if (!face)
        return face;
    POINT client{0, 0};
    ::ClientToScreen(window, &client);
    if (auto* dialog = dynamic_cast<CSkinDialog*>(Wnd::FromHandle(window))) {
        // Drawn straight into the pixels, so the images keep their alpha.
        Gdiplus::Bitmap surface(width, height, width * 4, PixelFormat32bppPARGB,
                                reinterpret_cast<BYTE*>(face.bits()));
        Gdiplus::Graphics graphics(&surface);
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(client.x - bounds.left),
                                    static_cast<Gdiplus::REAL>(client.y - bounds.top));
        const RECT area = dialog->ClientRect();
        dialog->DrawLayer(graphics, area.right, area.bottom);
    } else {
        ::SendMessageA(window, WM_PRINT, reinterpret_cast<WPARAM>(face.dc()),
                       PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
        MakeOpaque(face);
    }
    static const UINT flashMessage = RegisteredMessage(kSkinFlashButtonMessage);
    // From the bottom of the Z order up, so the top child is drawn last.
    HWND first = ::GetWindow(window, GW_CHILD);
    for (HWND child = first ? ::GetWindow(first, GW_HWNDLAST) : nullptr; child != nullptr;
         child = ::GetWindow(child, GW_HWNDPREV)) {
        // The child's own visibility: the window itself may not be shown yet.
        if ((::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) == 0)
            continue;
        RECT place{};
        ::GetWindowRect(child, &place);
        const int x = place.left - bounds.left, y = place.top - bounds.top;
        Canvas piece(face.dc(), place.right - place.left, place.bottom - place.top, true);
        if (!piece)
            continue;
        CopyPixels(face, x, y, piece, 0, 0, piece.width(), piece.height());
        if (child == flashButton)
            ::SendMessageA(child, flashMessage, reinterpret_cast<WPARAM>(piece.dc()), flashState);
        else
            ::SendMessageA(child, WM_PRINT, reinterpret_cast<WPARAM>(piece.dc()),
                           PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN | PRF_OWNED);
        MakeOpaque(piece);
        CopyPixels(piece, 0, 0, face, x, y, piece.width(), piece.height());
    }
    return face;
}

bool LayeredComposer::Compose(HWND window, HWND flashButton, int flashState) {
    const auto update = UpdateFunction();
    if (g_composing || update == nullptr || !::IsWindow(window))
        return false;
    g_composing = true;
    Canvas face = Render(window, flashButton, flashState);
    bool shown = false;
    if (face) {
        RECT bounds{};
        ::GetWindowRect(window, &bounds);
        POINT position{bounds.left, bounds.top};
        SIZE size{face.width(), face.height()};
        POINT origin{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ClientDc screen(nullptr);
        shown = update(window, screen.get(), &position, &size, face.dc(), &origin, 0, &blend,
                       ULW_ALPHA) != FALSE;
    }
    g_composing = false;
    return shown;
}

}  // namespace vt::ui
