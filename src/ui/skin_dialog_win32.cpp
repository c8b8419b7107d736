#include "ui/skin_dialog.h"

#include <windowsx.h>

#include <cstring>

namespace vt::ui {
namespace {

static_assert(static_cast<int>(EdgeHit::Left) == HTLEFT &&
              static_cast<int>(EdgeHit::TopLeft) == HTTOPLEFT &&
              static_cast<int>(EdgeHit::BottomRight) == HTBOTTOMRIGHT);

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    std::wstring wide(text.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      wide.data(), static_cast<int>(wide.size())));
    return wide;
}

HCURSOR EdgeCursorHandle(EdgeCursor cursor) {
    switch (cursor) {
        case EdgeCursor::NorthWestSouthEast:
            return ::LoadCursorA(nullptr, IDC_SIZENWSE);
        case EdgeCursor::NorthEastSouthWest:
            return ::LoadCursorA(nullptr, IDC_SIZENESW);
        case EdgeCursor::WestEast:
            return ::LoadCursorA(nullptr, IDC_SIZEWE);
        case EdgeCursor::NorthSouth:
            return ::LoadCursorA(nullptr, IDC_SIZENS);
        case EdgeCursor::Arrow:
            break;
    }
    return nullptr;
}

ImagePtr Rotated(ImagePtr image, int rotateFlip) {
    if (image && rotateFlip != Gdiplus::RotateNoneFlipNone)
        image->RotateFlip(static_cast<Gdiplus::RotateFlipType>(rotateFlip));
    return image;
}

Gdiplus::Rect ToRect(const PixelRect& rect) {
    return Gdiplus::Rect(rect.left, rect.top, rect.Width(), rect.Height());
}

// --- The key filter --------------------------------------------------------------
//
// Space, Escape and Enter pressed on a button of a skinned dialog are dropped
// before the dialog manager turns them into clicks or commands. A message
// hook of the thread sees them wherever the message loop runs (a modal
// dialog's own loop included); it is installed while skinned dialogs exist.

thread_local HHOOK t_keyHook = nullptr;
thread_local int t_keyHookUsers = 0;

bool IsButton(HWND hwnd) {
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    return lstrcmpiA(name, "Button") == 0 || lstrcmpiA(name, "CSkinButtonEx") == 0;
}

bool Swallows(const CSkinDialog& dialog, WPARAM key) {
    switch (key) {
        case VK_SPACE:
            return dialog.swallowSpace;
        case VK_ESCAPE:
            return dialog.swallowEscape;
        case VK_RETURN:
            return dialog.swallowEnter;
        default:
            return false;
    }
}

LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_KEYDOWN &&
        IsButton(message->hwnd)) {
        for (HWND parent = ::GetParent(message->hwnd); parent != nullptr;
             parent = ::GetParent(parent)) {
            if (auto* dialog = dynamic_cast<CSkinDialog*>(Wnd::FromHandle(parent))) {
                if (Swallows(*dialog, message->wParam))
                    message->message = WM_NULL;
                break;
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void UseKeyFilter(bool use) {
    if (use) {
        if (t_keyHookUsers++ == 0)
            t_keyHook =
                ::SetWindowsHookExA(WH_GETMESSAGE, KeyFilter, nullptr, ::GetCurrentThreadId());
        return;
    }
    if (--t_keyHookUsers == 0 && t_keyHook != nullptr) {
        ::UnhookWindowsHookEx(t_keyHook);
        t_keyHook = nullptr;
    }
}

}  // namespace

// One entry of the drawing layer.
struct CSkinDialog::LayerEntry {
    enum class Kind { Image, RectImage, Text };
    Kind kind = Kind::Image;
    LayerItem id = 0;
    bool shown = true;

    // Images (rotated or flipped already).
    ImagePtr image;
    int x = 0;
    int y = 0;
    int rotateFlip = 0;
    // Rectangle images.
    PixelRect place;
    SliceInsets insets;
    SliceMode mode = SliceMode::SmoothStretch;
    BitmapHandle plainBitmap;  // the image as a platform bitmap, for BitmapStretch
    // Stretched pieces cut out of the image, so that smoothing never reaches
    // into the neighbouring pieces.
    std::vector<std::pair<PixelRect, ImagePtr>> pieces;
    // Texts.
    LayerText text;
    std::wstring wideText;
    std::unique_ptr<Gdiplus::Font> font;
};

CSkinDialog::CSkinDialog(int templateId, HINSTANCE module) : Dialog(templateId, module) {}

CSkinDialog::~CSkinDialog() {
    if (filterInstalled_)
        UseKeyFilter(false);
}

LayerItem CSkinDialog::Append(std::unique_ptr<LayerEntry> item) {
    item->id = nextItem_++;
    const LayerItem id = item->id;
    items_.push_back(std::move(item));
    Changed();
    return id;
}

LayerItem CSkinDialog::AddImage(int resourceId, const char* type, int x, int y, int rotateFlip) {
    return AddImage(LoadResourceImage(resourceId, type), x, y, rotateFlip);
}

LayerItem CSkinDialog::AddImage(ImagePtr image, int x, int y, int rotateFlip) {
    image = Rotated(std::move(image), rotateFlip);
    const int width = image ? static_cast<int>(image->GetWidth()) : 0;
    const int height = image ? static_cast<int>(image->GetHeight()) : 0;
    for (auto& item : items_) {
        if (item->kind != LayerEntry::Kind::Image || item->x != x || item->y != y ||
            item->rotateFlip != rotateFlip)
            continue;
        const int oldWidth = item->image ? static_cast<int>(item->image->GetWidth()) : 0;
        const int oldHeight = item->image ? static_cast<int>(item->image->GetHeight()) : 0;
        if (oldWidth == width && oldHeight == height) {
            item->image = std::move(image);
            Changed();
            return item->id;
        }
    }
    auto item = std::make_unique<LayerEntry>();
    item->kind = LayerEntry::Kind::Image;
    item->image = std::move(image);
    item->x = x;
    item->y = y;
    item->rotateFlip = rotateFlip;
    return Append(std::move(item));
}

LayerItem CSkinDialog::AddRectImage(const RectImage& source) {
    auto item = std::make_unique<LayerEntry>();
    item->kind = LayerEntry::Kind::RectImage;
    ImagePtr image;
    if (!source.file.empty())
        image = LoadFileImage(source.file);
    if (!image && source.image != nullptr)
        image = CloneImage(source.image);
    if (!image)
        image = LoadResourceImage(source.resourceId, source.type);
    item->image = Rotated(std::move(image), source.rotateFlip);
    item->rotateFlip = source.rotateFlip;
    item->place = source.place;
    item->insets = source.insets;
    item->mode = source.mode;
    if (item->image && item->mode == SliceMode::BitmapStretch) {
        HBITMAP plain = nullptr;
        item->image->GetHBITMAP(
            Gdiplus::Color(255, GetRValue(backgroundColor), GetGValue(backgroundColor),
                           GetBValue(backgroundColor)),
            &plain);
        item->plainBitmap.Reset(plain);
    }
    return Append(std::move(item));
}

LayerItem CSkinDialog::AddText(const LayerText& text) {
    auto item = std::make_unique<LayerEntry>();
    item->kind = LayerEntry::Kind::Text;
    item->text = text;
    item->wideText = Wide(text.text);
    return Append(std::move(item));
}

CSkinDialog::LayerEntry* CSkinDialog::Find(LayerItem id) {
    for (auto& item : items_) {
        if (item->id == id)
            return item.get();
    }
    return nullptr;
}

void CSkinDialog::SetItemText(LayerItem id, const std::string& text) {
    LayerEntry* item = Find(id);
    if (item == nullptr || item->kind != LayerEntry::Kind::Text || item->text.text == text)
        return;
    item->text.text = text;
    item->wideText = Wide(text);
    Changed();
}

void CSkinDialog::ShowItem(LayerItem id, bool shown) {
    LayerEntry* item = Find(id);
    if (item == nullptr || item->shown == shown)
        return;
    item->shown = shown;
    Changed();
}

void CSkinDialog::ClearLayer() {
    items_.clear();
    Changed();
}

void CSkinDialog::Changed() {
    backgroundStale_ = true;
}

void CSkinDialog::PaintBackground(HDC dc, int width, int height) {
    RECT all{0, 0, width, height};
    BrushHandle fill(::CreateSolidBrush(backgroundColor));
    ::FillRect(dc, &all, fill.get());
    Gdiplus::Graphics graphics(dc);
    DrawLayer(graphics, width, height);
}

void CSkinDialog::DrawLayer(Gdiplus::Graphics& graphics, int width, int height) {
    for (auto& item : items_) {
        if (item->shown)
            DrawItem(graphics, *item, width, height);
    }
}

Gdiplus::Bitmap* CSkinDialog::PieceOf(LayerEntry& item, const PixelRect& source) {
    for (auto& [rect, cut] : item.pieces) {
        if (rect == source)
            return cut.get();
    }
    std::unique_ptr<Gdiplus::Bitmap> cut(item.image->Clone(ToRect(source), PixelFormat32bppPARGB));
    if (!cut || cut->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    item.pieces.emplace_back(source, std::move(cut));
    return item.pieces.back().second.get();
}

void CSkinDialog::DrawItem(Gdiplus::Graphics& graphics, LayerEntry& item, int width, int height) {
    // Whole images and corners are copied pixel for pixel; stretched pieces
    // are smoothed, sampling mirrored pixels at their edges rather than their
    // neighbours in the image.
    const auto copyExact = [&graphics] {
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeNone);
    };
    switch (item.kind) {
        case LayerEntry::Kind::Image: {
            if (!item.image)
                return;
            copyExact();
            const int w = static_cast<int>(item.image->GetWidth());
            const int h = static_cast<int>(item.image->GetHeight());
            graphics.DrawImage(item.image.get(), Gdiplus::Rect(item.x, item.y, w, h), 0, 0, w, h,
                               Gdiplus::UnitPixel);
            return;
        }
        case LayerEntry::Kind::RectImage: {
            if (!item.image)
                return;
            const PixelRect place =
                item.place.IsEmpty() ? PixelRect{0, 0, width, height} : item.place;
            const int w = static_cast<int>(item.image->GetWidth());
            const int h = static_cast<int>(item.image->GetHeight());
            Gdiplus::ImageAttributes mirrored;
            mirrored.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
            HDC plainDc = nullptr;
            HDC sourceDc = nullptr;
            HGDIOBJ previous = nullptr;
            for (const SlicePiece& piece : NineSlicePieces(w, h, item.insets, place, item.mode)) {
                const Gdiplus::Rect target = ToRect(piece.place);
                if (piece.corner) {
                    copyExact();
                    graphics.DrawImage(item.image.get(), target, piece.source.left,
                                       piece.source.top, piece.source.Width(),
                                       piece.source.Height(), Gdiplus::UnitPixel);
                } else if (piece.tiled) {
                    // Whole copies from the place's corner, the last one cut.
                    Gdiplus::TextureBrush tiles(item.image.get(), Gdiplus::WrapModeTile,
                                                ToRect(piece.source));
                    tiles.TranslateTransform(static_cast<Gdiplus::REAL>(piece.place.left),
                                             static_cast<Gdiplus::REAL>(piece.place.top));
                    graphics.FillRectangle(&tiles, target);
                } else if (item.mode == SliceMode::BitmapStretch && item.plainBitmap) {
                    if (plainDc == nullptr) {
                        plainDc = graphics.GetHDC();
                        sourceDc = ::CreateCompatibleDC(plainDc);
                        previous = ::SelectObject(sourceDc, item.plainBitmap.get());
                        ::SetStretchBltMode(plainDc, COLORONCOLOR);
                    }
                    ::StretchBlt(plainDc, piece.place.left, piece.place.top, piece.place.Width(),
                                 piece.place.Height(), sourceDc, piece.source.left,
                                 piece.source.top, piece.source.Width(), piece.source.Height(),
                                 SRCCOPY);
                } else if (Gdiplus::Bitmap* cut = PieceOf(item, piece.source)) {
                    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
                    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
                    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
                    graphics.DrawImage(cut, target, 0, 0, piece.source.Width(),
                                       piece.source.Height(), Gdiplus::UnitPixel, &mirrored);
                }
                // Platform drawing and GDI+ drawing do not mix on one device
                // context: the platform's part ends before the next GDI+ piece.
                if (plainDc != nullptr) {
                    ::SelectObject(sourceDc, previous);
                    ::DeleteDC(sourceDc);
                    graphics.ReleaseHDC(plainDc);
                    plainDc = nullptr;
                }
            }
            return;
        }
        case LayerEntry::Kind::Text: {
            if (item.wideText.empty())
                return;
            if (!item.font) {
                LOGFONTW face{};
                face.lfHeight = PointsToFontHeight(item.text.points);
                face.lfWeight = item.text.bold ? FW_BOLD : FW_NORMAL;
                face.lfCharSet = GB2312_CHARSET;
                face.lfQuality = ANTIALIASED_QUALITY;
                lstrcpynW(face.lfFaceName, L"宋体", LF_FACESIZE);
                ClientDc screen(nullptr);
                item.font = std::make_unique<Gdiplus::Font>(screen.get(), &face);
                if (item.font->GetLastStatus() != Gdiplus::Ok)
                    item.font = std::make_unique<Gdiplus::Font>(
                        Gdiplus::FontFamily::GenericSansSerif(),
                        static_cast<Gdiplus::REAL>(item.text.points), Gdiplus::FontStyleRegular,
                        Gdiplus::UnitPoint);
            }
            const TextAlignment alignment = AlignmentFromFlags(item.text.align);
            Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
            format.SetFormatFlags(format.GetFormatFlags() |
                                  Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
            const int wrap = item.text.wrapWidth;
            if (wrap <= 0)
                format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
            // Lines of a wrapped text align within the box; the text as a
            // whole is placed by PlaceText.
            static constexpr Gdiplus::StringAlignment kLineAlign[] = {
                Gdiplus::StringAlignmentNear, Gdiplus::StringAlignmentCenter,
                Gdiplus::StringAlignmentFar};
            format.SetAlignment(kLineAlign[static_cast<int>(alignment.horizontal)]);
            Gdiplus::RectF measured;
            graphics.MeasureString(
                item.wideText.c_str(), static_cast<int>(item.wideText.size()), item.font.get(),
                Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(wrap), 0), &format, &measured);
            const int textWidth = wrap > 0 ? wrap : static_cast<int>(measured.Width + 0.999f);
            const int textHeight = static_cast<int>(measured.Height + 0.999f);
            const PixelPoint at = PlaceText(alignment, item.text.x, item.text.y, 0, 0,
                                            wrap > 0 ? 0 : textWidth, textHeight);
            const int left = wrap > 0 ? item.text.x : at.x;
            graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
            const uint32_t argb = item.text.argb;
            Gdiplus::SolidBrush brush{Gdiplus::Color(argb)};
            graphics.DrawString(
                item.wideText.c_str(), static_cast<int>(item.wideText.size()), item.font.get(),
                Gdiplus::RectF(static_cast<Gdiplus::REAL>(left), static_cast<Gdiplus::REAL>(at.y),
                               static_cast<Gdiplus::REAL>(textWidth + 1),
                               static_cast<Gdiplus::REAL>(textHeight + 1)),
                &format, &brush);
            return;
        }
    }
}

const Canvas& CSkinDialog::Background() {
    const RECT client = ClientRect();
    const int width = client.right, height = client.bottom;
    if (backgroundStale_ || paintedColor_ != backgroundColor || background_.width() != width ||
        background_.height() != height) {
        ClientDc screen(hwnd());
        if (background_.width() != width || background_.height() != height)
            background_ = Canvas(screen.get(), width, height);
        if (background_)
            PaintBackground(background_.dc(), width, height);
        backgroundStale_ = false;
        paintedColor_ = backgroundColor;
    }
    return background_;
}

EdgeHit CSkinDialog::EdgeAt(int x, int y) const {
    if (!resizable)
        return EdgeHit::None;
    const RECT client = ClientRect();
    return EdgeHitTest(x, y, client.right, client.bottom);
}

bool CSkinDialog::OnInitDialog() {
    const LONG style = ::GetWindowLongA(hwnd(), GWL_STYLE);
    resizable = (style & WS_THICKFRAME) != 0;
    ::SetWindowLongA(hwnd(), GWL_STYLE, style & ~WS_CAPTION);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!filterInstalled_) {
        UseKeyFilter(true);
        filterInstalled_ = true;
    }
    ApplyRegion();
    return true;
}

void CSkinDialog::ApplyRegion() {
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    const auto steps =
        RoundedCornerSteps(window.right - window.left, window.bottom - window.top, corners);
    if (steps.empty()) {
        if (hasRegion_)
            ::SetWindowRgn(hwnd(), nullptr, TRUE);
        hasRegion_ = false;
        return;
    }
    RegionHandle region(
        ::CreateRectRgn(0, 0, window.right - window.left, window.bottom - window.top));
    for (const RegionStep& step : steps) {
        const PixelRect& r = step.rect;
        RegionHandle part(step.kind == RegionStep::Kind::CutRect
                              ? ::CreateRectRgn(r.left, r.top, r.right, r.bottom)
                              : ::CreateEllipticRgn(r.left, r.top, r.right + 1, r.bottom + 1));
        ::CombineRgn(region.get(), region.get(), part.get(),
                     step.kind == RegionStep::Kind::CutRect ? RGN_DIFF : RGN_OR);
    }
    // The system owns a region once it is set.
    if (::SetWindowRgn(hwnd(), region.get(), TRUE))
        region.Release();
    hasRegion_ = true;
}

LRESULT CSkinDialog::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default(WM_LBUTTONDOWN, wParam, lParam);
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    POINT screen{x, y};
    ::ClientToScreen(hwnd(), &screen);
    const LPARAM screenPoint = MAKELPARAM(screen.x, screen.y);
    // A press on an edge resizes and does not drag as well.
    if (const EdgeHit hit = EdgeAt(x, y); hit != EdgeHit::None) {
        Send(WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), screenPoint);
        return result;
    }
    if (InCaptionBand(y, captionHeight))
        Post(WM_NCLBUTTONDOWN, HTCAPTION, screenPoint);
    return result;
}

void CSkinDialog::OnDoubleClick(LPARAM lParam) {
    if ((::GetWindowLongA(hwnd(), GWL_STYLE) & WS_MAXIMIZEBOX) == 0 ||
        !InCaptionBand(GET_Y_LPARAM(lParam), captionHeight))
        return;
    ::ShowWindow(hwnd(), ::IsZoomed(hwnd()) ? SW_RESTORE : SW_MAXIMIZE);
}

bool CSkinDialog::SetEdgeCursor() {
    POINT point{};
    ::GetCursorPos(&point);
    ::ScreenToClient(hwnd(), &point);
    HCURSOR cursor = EdgeCursorHandle(CursorForEdge(EdgeAt(point.x, point.y)));
    if (cursor == nullptr)
        return false;
    ::SetCursor(cursor);
    return true;
}

void CSkinDialog::OnMinMaxInfo(MINMAXINFO* info) {
    // Maximised, the frame lies just off the screen and the client area
    // covers it.
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(hwnd(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(hwnd(), GWL_EXSTYLE)));
    info->ptMaxPosition = {frame.left, frame.top};
    info->ptMaxSize = {::GetSystemMetrics(SM_CXSCREEN) + frame.right - frame.left,
                       ::GetSystemMetrics(SM_CYSCREEN) + frame.bottom - frame.top};
    if (minTrackWidth > 0 && minTrackHeight > 0)
        info->ptMinTrackSize = {minTrackWidth, minTrackHeight};
}

LRESULT CSkinDialog::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            const Canvas& background = Background();
            background.CopyTo(reinterpret_cast<HDC>(wParam));
            return TRUE;
        }
        case WM_LBUTTONDOWN:
            return OnLeftButtonDown(wParam, lParam);
        case WM_LBUTTONDBLCLK:
            OnDoubleClick(lParam);
            break;
        case WM_MOUSEMOVE:
            if (resizable && (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 &&
                SetEdgeCursor())
                return 0;
            break;
        case WM_SETCURSOR:
            if (resizable && reinterpret_cast<HWND>(wParam) == hwnd() &&
                LOWORD(lParam) == HTCLIENT && SetEdgeCursor())
                return TRUE;
            break;
        case WM_GETMINMAXINFO: {
            const LRESULT result = Default(message, wParam, lParam);
            OnMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return result;
        }
        case WM_SIZE: {
            const LRESULT result = Default(message, wParam, lParam);
            ApplyRegion();
            Changed();
            ::RedrawWindow(hwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
            return result;
        }
        case WM_HELP:
            return TRUE;  // the program has no help to show
        case WM_DESTROY:
            if (filterInstalled_) {
                UseKeyFilter(false);
                filterInstalled_ = false;
            }
            break;
        default:
            break;
    }
    return Dialog::WndProc(message, wParam, lParam);
}

bool PaintParentBackground(HWND child, HDC dc) {
    auto* dialog = dynamic_cast<CSkinDialog*>(Wnd::FromHandle(::GetParent(child)));
    if (dialog == nullptr)
        return false;
    const Canvas& background = dialog->Background();
    if (!background)
        return false;
    RECT place{};
    ::GetWindowRect(child, &place);
    ::MapWindowPoints(HWND_DESKTOP, dialog->hwnd(), reinterpret_cast<POINT*>(&place), 2);
    ::BitBlt(dc, 0, 0, place.right - place.left, place.bottom - place.top, background.dc(),
             place.left, place.top, SRCCOPY);
    return true;
}

}  // namespace vt::ui
