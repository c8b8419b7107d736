#include "ui/skin_button.h"

#include <windowsx.h>

#include "ui/layered_composer.h"

namespace vt::ui {
namespace {

constexpr UINT_PTR kFlashTimer = 0x5F1A;

UINT CancelCheckedRadioMessage() {
    static const UINT message = RegisteredMessage(kCancelCheckedRadio);
    return message;
}

UINT FlashMessage() {
    static const UINT message = RegisteredMessage(kSkinFlashButtonMessage);
    // Registered beside it, for windows that look for it; nothing acts on it.
    static const UINT toParent = RegisteredMessage(kSkinFlashButtonToParentMessage);
    (void)toParent;
    return message;
}

// Red, green and blue x 1.05 + 0.05: a lighter face.
const Gdiplus::ColorMatrix kLighter = {{{1.05f, 0, 0, 0, 0},
                                        {0, 1.05f, 0, 0, 0},
                                        {0, 0, 1.05f, 0, 0},
                                        {0, 0, 0, 1, 0},
                                        {0.05f, 0.05f, 0.05f, 0, 1}}};
// Luminance in every channel: a grey face.
const Gdiplus::ColorMatrix kGrey = {{{0.3f, 0.3f, 0.3f, 0, 0},
                                     {0.59f, 0.59f, 0.59f, 0, 0},
                                     {0.11f, 0.11f, 0.11f, 0, 0},
                                     {0, 0, 0, 1, 0},
                                     {0, 0, 0, 0, 1}}};

int KindOfStyle(LONG style) {
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
            return CSkinButtonEx::kCheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return CSkinButtonEx::kRadioButton;
        default:
            return CSkinButtonEx::kPushButton;
    }
}

// The window region of the opaque pixels of a part of image.
HRGN RegionOfOpaquePixels(Gdiplus::Bitmap& image, int width, int height) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const Gdiplus::Rect area(0, 0, width, height);
    Gdiplus::BitmapData pixels{};
    if (image.LockBits(&area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &pixels) !=
        Gdiplus::Ok)
        return region;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(pixels.Scan0) + y * pixels.Stride);
        for (int x = 0; x < width;) {
            if ((row[x] >> 24) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && (row[x] >> 24) != 0)
                ++x;
            RegionHandle run(::CreateRectRgn(start, y, x, y + 1));
            ::CombineRgn(region, region, run.get(), RGN_OR);
        }
    }
    image.UnlockBits(&pixels);
    return region;
}

}  // namespace

const char* CSkinButtonEx::ClassName() {
    static const char* const name = [] {
        WNDCLASSEXA button{};
        button.cbSize = sizeof button;
        ::GetClassInfoExA(nullptr, "Button", &button);
        button.hInstance = ::GetModuleHandleA(nullptr);
        button.lpszClassName = "CSkinButtonEx";
        ::RegisterClassExA(&button);
        return "CSkinButtonEx";
    }();
    return name;
}

CSkinButtonEx::~CSkinButtonEx() {
    if (created_ && IsWindow())
        Destroy();
}

bool CSkinButtonEx::Create(HWND parent, int id, const std::string& text, int x, int y, int width,
                           int height, DWORD style) {
    HWND button = ::CreateWindowExA(0, ClassName(), text.c_str(), style, x, y, width, height,
                                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (button == nullptr)
        return false;
    if (!Attach(button)) {
        ::DestroyWindow(button);
        return false;
    }
    created_ = true;
    return true;
}

void CSkinButtonEx::OnAttached() {
    const LONG style = ::GetWindowLongA(hwnd(), GWL_STYLE);
    kind_ = KindOfStyle(style);
    ::SetWindowLongA(hwnd(), GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    Repaint();
}

bool CSkinButtonEx::LoadSkin(int resourceId, const char* type, int stateCount, bool fitToImage,
                             bool shapeToImage, bool flashFrame) {
    return SetSkin(LoadResourceImage(resourceId, type), stateCount, fitToImage, shapeToImage,
                   flashFrame);
}

bool CSkinButtonEx::SetSkin(ImagePtr image, int stateCount, bool fitToImage, bool shapeToImage,
                            bool flashFrame) {
    image_ = std::move(image);
    if (!image_) {
        strip_ = FaceStrip{};
        Repaint();
        return false;
    }
    strip_ = MakeFaceStrip(static_cast<int>(image_->GetWidth()),
                           static_cast<int>(image_->GetHeight()), stateCount, flashFrame);
    if (fitToImage && IsWindow())
        Resize(strip_.sliceWidth, strip_.sliceHeight);
    if (shapeToImage && IsWindow())
        ::SetWindowRgn(hwnd(), RegionOfOpaquePixels(*image_, strip_.sliceWidth, strip_.sliceHeight),
                       TRUE);
    Repaint();
    return true;
}

void CSkinButtonEx::SetTooltip(const std::string& text) {
    tooltip_.SetText(hwnd(), text);
}

void CSkinButtonEx::SetStateCaption(int state, const StateCaption& caption) {
    if (state < 0 || state >= static_cast<int>(captions_.size()))
        return;
    captions_[state] = caption;
    captionFonts_[state].Reset();
    Repaint();
}

bool CSkinButtonEx::StartFlash(UINT periodMs) {
    if (!image_ || !strip_.flashFrame || !IsWindow())
        return false;
    flashing_ = true;
    return SetTimer(kFlashTimer, periodMs);
}

void CSkinButtonEx::StopFlash() {
    if (!flashing_)
        return;
    KillTimer(kFlashTimer);
    flashing_ = false;
    if (flashShown_) {
        flashShown_ = false;
        Repaint();
    }
}

void CSkinButtonEx::OnTimer(UINT_PTR id) {
    if (id != kFlashTimer)
        return;
    flashShown_ = !flashShown_;
    // A layered parent shows its children only through the composer.
    HWND root = ::GetAncestor(hwnd(), GA_ROOT);
    if (LayeredComposer::IsLayered(root)) {
        LayeredComposer::Compose(root, flashShown_ ? hwnd() : nullptr, kFaceFlash);
        return;
    }
    if (!flashShown_) {
        Repaint();
        return;
    }
    ClientDc dc(hwnd());
    DrawFace(dc.get(), kFaceFlash, paintParentBehind);
}

int CSkinButtonEx::CurrentState() const {
    const bool disabled = !::IsWindowEnabled(hwnd());
    const bool selected = (::SendMessageA(hwnd(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    return ChooseFaceState(disabled, selected, checked_ != 0, hovering_);
}

void CSkinButtonEx::DrawFace(HDC dc, int state, bool parentBehind) {
    const RECT client = ClientRect();
    const int width = client.right, height = client.bottom;
    Canvas face(dc, width, height);
    if (!face)
        return;
    if (parentBehind) {
        if (!parentSnapshot_ || snapshotSize_.cx != width || snapshotSize_.cy != height) {
            Canvas snapshot(dc, width, height);
            PaintParentBackground(hwnd(), snapshot.dc());
            parentSnapshot_ = std::move(snapshot);
            snapshotSize_ = {width, height};
        }
        parentSnapshot_.CopyTo(face.dc());
    } else {
        ::BitBlt(face.dc(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
    if (image_ && strip_.sliceWidth > 0 && strip_.sliceHeight > 0) {
        const FaceChoice choice = ChooseFace(strip_, state);
        Gdiplus::Graphics graphics(face.dc());
        const bool natural = width == strip_.sliceWidth && height == strip_.sliceHeight;
        graphics.SetInterpolationMode(natural ? Gdiplus::InterpolationModeNearestNeighbor
                                              : Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::ImageAttributes attributes;
        if (choice.effect == FaceEffect::Lighter)
            attributes.SetColorMatrix(&kLighter);
        else if (choice.effect == FaceEffect::Grey)
            attributes.SetColorMatrix(&kGrey);
        const int shiftX = choice.effect == FaceEffect::Shifted ? pressOffsetX : 0;
        const int shiftY = choice.effect == FaceEffect::Shifted ? pressOffsetY : 0;
        graphics.DrawImage(image_.get(), Gdiplus::Rect(shiftX, shiftY, width, height),
                           choice.slice * strip_.sliceWidth, 0, strip_.sliceWidth,
                           strip_.sliceHeight, Gdiplus::UnitPixel, &attributes);
    }
    DrawCaption(face.dc(), state, client);
    face.CopyTo(dc);
}

void CSkinButtonEx::DrawCaption(HDC dc, int state, const RECT& client) {
    const int index = state >= 0 && state < static_cast<int>(captions_.size()) ? state : 0;
    ::SetBkMode(dc, TRANSPARENT);
    if (const auto& caption = captions_[index]) {
        if (!captionFonts_[index])
            captionFonts_[index] =
                MakeFont("\xCB\xCE\xCC\xE5", PointsToFontHeight(caption->points),  // 宋体
                         caption->bold ? FW_BOLD : FW_NORMAL);
        DcSelection font(dc, captionFonts_[index].get());
        ::SetTextColor(dc, caption->color);
        RECT place = client;
        ::OffsetRect(&place, caption->offsetX, caption->offsetY);
        ::DrawTextA(dc, caption->text.c_str(), -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    const std::string text = Text();
    if (text.empty())
        return;
    auto* windowFont = reinterpret_cast<HFONT>(::SendMessageA(hwnd(), WM_GETFONT, 0, 0));
    DcSelection font(dc, windowFont ? windowFont : ::GetStockObject(DEFAULT_GUI_FONT));
    // A disabled face says so in its caption as well.
    ::SetTextColor(dc, state == kFaceDisabled ? ::GetSysColor(COLOR_GRAYTEXT) : textColor);
    RECT place = client;
    if (state == kFacePressed)
        ::OffsetRect(&place, 1, 1);
    ::DrawTextA(dc, text.c_str(), -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

bool CSkinButtonEx::Reflect(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    if (message != WM_DRAWITEM)
        return false;
    result = TRUE;
    // While the flash frame is on screen the button leaves it there.
    if (flashShown_)
        return true;
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    const int state =
        ChooseFaceState((item->itemState & ODS_DISABLED) != 0,
                        (item->itemState & ODS_SELECTED) != 0, checked_ != 0, hovering_);
    DrawFace(item->hDC, state, paintParentBehind);
    return true;
}

bool CSkinButtonEx::PointerOver() const {
    POINT point{};
    ::GetCursorPos(&point);
    return ::WindowFromPoint(point) == hwnd();
}

void CSkinButtonEx::Click() {
    if (!PointerOver())
        return;
    if (kind_ == kCheckBox)
        SetCheck(checked_ == 0);
    else if (kind_ == kRadioButton)
        SetCheck(true);
    if (clickMessage != 0)
        ::PostMessageA(Parent(), clickMessage, 0, 0);
}

void CSkinButtonEx::SetCheck(int value) {
    checked_ = kind_ == kPushButton ? 0 : value;
    if (kind_ == kRadioButton && checked_ != 0) {
        // The dialog group: back to the control that starts it, then on to
        // the next one that starts another.
        const UINT cancel = CancelCheckedRadioMessage();
        HWND start = hwnd();
        while ((::GetWindowLongA(start, GWL_STYLE) & WS_GROUP) == 0) {
            HWND previous = ::GetWindow(start, GW_HWNDPREV);
            if (previous == nullptr)
                break;
            start = previous;
        }
        for (HWND control = start; control != nullptr;
             control = ::GetWindow(control, GW_HWNDNEXT)) {
            if (control != start && (::GetWindowLongA(control, GWL_STYLE) & WS_GROUP) != 0)
                break;
            if (control != hwnd())
                ::PostMessageA(control, cancel, 0, 0);
        }
    }
    Repaint();
}

void CSkinButtonEx::OnMouseMove(LPARAM lParam) {
    if (!pressed_) {
        if (trackingLeave_)
            return;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        if (!::TrackMouseEvent(&track))
            return;
        trackingLeave_ = true;
        hovering_ = true;
        Repaint();
        if (clickTiming == kClickOnEnter)
            Click();
        return;
    }
    if (::GetCapture() != hwnd())
        return;
    const RECT client = ClientRect();
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const bool over = ::PtInRect(&client, point) != FALSE;
    const bool pushed = (Send(BM_GETSTATE) & BST_PUSHED) != 0;
    if (over != pushed) {
        Send(BM_SETSTATE, over ? TRUE : FALSE);
        Repaint();
    }
}

void CSkinButtonEx::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    if (trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_CANCEL, hwnd(), 0};
        ::TrackMouseEvent(&track);
        trackingLeave_ = false;
    }
    hovering_ = false;
    if (clickTiming == kClickOnDown)
        Click();
    if (flashing_) {
        StopFlash();
        Repaint();
    }
    Default(WM_LBUTTONDOWN, wParam, lParam);
    pressed_ = true;
}

LRESULT CSkinButtonEx::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)
        tooltip_.Relay(hwnd(), message, wParam, lParam);
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove(lParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnLeftButtonDown(wParam, lParam);
            return 0;
        case WM_LBUTTONUP:
            if (clickTiming == kClickOnUp)
                Click();
            pressed_ = false;
            break;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            hovering_ = false;
            Repaint();
            return 0;
        case WM_KILLFOCUS:
            if (::GetCapture() == hwnd())
                ::ReleaseCapture();
            pressed_ = false;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                if (kind_ == kCheckBox)
                    SetCheck(checked_ == 0);
                else if (kind_ == kRadioButton)
                    SetCheck(true);
            }
            break;
        case WM_ERASEBKGND:
            return TRUE;
        case WM_SETCURSOR:
            if (cursor != nullptr) {
                ::SetCursor(cursor);
                return TRUE;
            }
            break;
        case BM_SETCHECK:
            SetCheck(static_cast<int>(wParam));
            return 0;
        case BM_GETCHECK:
            return checked_;
        case WM_DESTROY:
            StopFlash();
            break;
        default:
            if (message == CancelCheckedRadioMessage()) {
                if (kind_ == kRadioButton && checked_ != 0) {
                    checked_ = 0;
                    Repaint();
                }
                return 0;
            }
            if (message == FlashMessage()) {
                const auto state = static_cast<int>(lParam);
                if (!strip_.flashFrame || state < 0)
                    return 0;
                DrawFace(reinterpret_cast<HDC>(wParam), state, false);
                return 1;
            }
            break;
    }
    return Wnd::WndProc(message, wParam, lParam);
}

}  // namespace vt::ui
