#include "ui/skin_dialog.h"

#include <windowsx.h>

#include <algorithm>
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

// How far bicubic smoothing samples around a pixel.
constexpr int kSmoothingReach = 2;

// The source part of image with border pixels around it that repeat its
// edges; null when the pixels cannot be had.
ImagePtr CutWithBorder(Gdiplus::Bitmap& image, const PixelRect& source, int border) {
    const int width = source.Width(), height = source.Height();
    auto cut = std::make_unique<Gdiplus::Bitmap>(width + 2 * border, height + 2 * border,
                                                 PixelFormat32bppPARGB);
    Gdiplus::Rect from = ToRect(source);
    Gdiplus::Rect to(0, 0, width + 2 * border, height + 2 * border);
    Gdiplus::BitmapData in{}, out{};
    if (cut->GetLastStatus() != Gdiplus::Ok ||
        image.LockBits(&from, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &in) !=
            Gdiplus::Ok)
        return nullptr;
    const bool written =
        cut->LockBits(&to, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &out) == Gdiplus::Ok;
    if (written) {
        for (int y = 0; y < to.Height; ++y) {
            const int sourceY = std::clamp(y - border, 0, height - 1);
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(in.Scan0) + sourceY * in.Stride);
            auto* target =
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out.Scan0) + y * out.Stride);
            for (int x = 0; x < to.Width; ++x)
                target[x] = row[std::clamp(x - border, 0, width - 1)];
        }
        cut->UnlockBits(&out);
    }
    image.UnlockBits(&in);
    return written ? std::move(cut) : nullptr;
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

// A word of an unwrapped text and where it starts.
struct TextRun {
    std::wstring text;
    float x = 0;
};

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
    ImagePtr drawn;            // smoothed or tiled at the size of its place
    SIZE drawnSize{};
    // Texts.
    LayerText text;
    std::wstring wideText;
    std::unique_ptr<Gdiplus::Font> font;
    std::vector<TextRun> runs;  // an unwrapped text's words, laid out once
    SIZE textSize{};
    bool laidOut = false;
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
    item->laidOut = false;
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

void CSkinDialog::DrawSlices(Gdiplus::Graphics& graphics, LayerEntry& item,
                             const PixelRect& place) {
    const int w = static_cast<int>(item.image->GetWidth());
    const int h = static_cast<int>(item.image->GetHeight());
    Gdiplus::ImageAttributes mirrored;
    mirrored.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    for (const SlicePiece& piece : NineSlicePieces(w, h, item.insets, place, item.mode)) {
        const Gdiplus::Rect target = ToRect(piece.place);
        if (piece.corner) {
            graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
            graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
            graphics.DrawImage(item.image.get(), target, piece.source.left, piece.source.top,
                               piece.source.Width(), piece.source.Height(), Gdiplus::UnitPixel);
        } else if (piece.tiled) {
            // Whole copies from the place's corner, the last one cut.
            Gdiplus::TextureBrush tiles(item.image.get(), Gdiplus::WrapModeTile,
                                        ToRect(piece.source));
            tiles.TranslateTransform(static_cast<Gdiplus::REAL>(piece.place.left),
                                     static_cast<Gdiplus::REAL>(piece.place.top));
            graphics.FillRectangle(&tiles, target);
        } else if (item.mode == SliceMode::BitmapStretch) {
            if (!item.plainBitmap)
                continue;
            // Platform drawing and GDI+ drawing do not mix on one device
            // context: the platform's part ends before the next GDI+ piece.
            HDC dc = graphics.GetHDC();
            HDC source = ::CreateCompatibleDC(dc);
            {
                DcSelection selection(source, item.plainBitmap.get());
                ::SetStretchBltMode(dc, COLORONCOLOR);
                ::StretchBlt(dc, piece.place.left, piece.place.top, piece.place.Width(),
                             piece.place.Height(), source, piece.source.left, piece.source.top,
                             piece.source.Width(), piece.source.Height(), SRCCOPY);
            }
            ::DeleteDC(source);
            graphics.ReleaseHDC(dc);
        } else {
            // Cut out with its edge pixels repeated around it, so that
            // smoothing reaches neither into the neighbouring pieces nor into
            // a transparent outside, whether or not the wrap mode is honoured.
            ImagePtr cut = CutWithBorder(*item.image, piece.source, kSmoothingReach);
            if (!cut)
                continue;
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
            graphics.DrawImage(cut.get(), target, kSmoothingReach, kSmoothingReach,
                               piece.source.Width(), piece.source.Height(), Gdiplus::UnitPixel,
                               &mirrored);
        }
    }
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
            if (item.mode == SliceMode::BitmapStretch) {
                DrawSlices(graphics, item, place);
                return;
            }
            // Smoothing and tiling are paid once per size of the place: the
            // drawn image is kept and copied on later paints.
            if (!item.drawn || item.drawnSize.cx != place.Width() ||
                item.drawnSize.cy != place.Height()) {
                item.drawn = std::make_unique<Gdiplus::Bitmap>(place.Width(), place.Height(),
                                                               PixelFormat32bppPARGB);
                Gdiplus::Graphics drawn(item.drawn.get());
                DrawSlices(drawn, item, PixelRect{0, 0, place.Width(), place.Height()});
                item.drawnSize = {place.Width(), place.Height()};
            }
            copyExact();
            graphics.DrawImage(item.drawn.get(), ToRect(place), 0, 0, place.Width(), place.Height(),
                               Gdiplus::UnitPixel);
            return;
        }
        case LayerEntry::Kind::Text:
            PaintText(graphics, item);
            return;
    }
}

void CSkinDialog::PaintText(Gdiplus::Graphics& graphics, LayerEntry& item) {
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
            item.font =
                std::make_unique<Gdiplus::Font>(Gdiplus::FontFamily::GenericSansSerif(),
                                                static_cast<Gdiplus::REAL>(item.text.points),
                                                Gdiplus::FontStyleRegular, Gdiplus::UnitPoint);
    }
    const TextAlignment alignment = AlignmentFromFlags(item.text.align);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    format.SetFormatFlags(format.GetFormatFlags() |
                          Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    Gdiplus::SolidBrush brush{Gdiplus::Color(item.text.argb)};
    const int wrap = item.text.wrapWidth;
    if (wrap > 0) {
        // Lines align within the box, which starts at the text's position.
        static constexpr Gdiplus::StringAlignment kLineAlign[] = {Gdiplus::StringAlignmentNear,
                                                                  Gdiplus::StringAlignmentCenter,
                                                                  Gdiplus::StringAlignmentFar};
        format.SetAlignment(kLineAlign[static_cast<int>(alignment.horizontal)]);
        Gdiplus::RectF measured;
        graphics.MeasureString(
            item.wideText.c_str(), static_cast<int>(item.wideText.size()), item.font.get(),
            Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(wrap), 0), &format, &measured);
        const int height = static_cast<int>(measured.Height + 0.999f);
        const PixelPoint at = PlaceText(alignment, item.text.x, item.text.y, 0, 0, 0, height);
        graphics.DrawString(
            item.wideText.c_str(), static_cast<int>(item.wideText.size()), item.font.get(),
            Gdiplus::RectF(static_cast<Gdiplus::REAL>(item.text.x),
                           static_cast<Gdiplus::REAL>(at.y), static_cast<Gdiplus::REAL>(wrap + 1),
                           static_cast<Gdiplus::REAL>(height + 1)),
            &format, &brush);
        return;
    }
    // One line, laid out once per text: every space half an em wide, as in
    // the program's font (宋体), so that the gaps the texts leave for links
    // and numbers keep their width whatever font stands in for it.
    format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
    if (!item.laidOut) {
        item.runs.clear();
        const float halfEm = static_cast<float>(-PointsToFontHeight(item.text.points)) / 2;
        float x = 0, height = 0;
        for (size_t at = 0; at < item.wideText.size();) {
            if (item.wideText[at] == L' ') {
                x += halfEm;
                ++at;
                continue;
            }
            const size_t end = std::min(item.wideText.find(L' ', at), item.wideText.size());
            TextRun run{item.wideText.substr(at, end - at), x};
            Gdiplus::RectF measured;
            graphics.MeasureString(run.text.c_str(), static_cast<int>(run.text.size()),
                                   item.font.get(), Gdiplus::PointF(0, 0), &format, &measured);
            x += measured.Width;
            height = std::max(height, measured.Height);
            item.runs.push_back(std::move(run));
            at = end;
        }
        item.textSize = {static_cast<int>(x + 0.999f), static_cast<int>(height + 0.999f)};
        item.laidOut = true;
    }
    const PixelPoint at =
        PlaceText(alignment, item.text.x, item.text.y, 0, 0, item.textSize.cx, item.textSize.cy);
    for (const TextRun& run : item.runs)
        graphics.DrawString(run.text.c_str(), static_cast<int>(run.text.size()), item.font.get(),
                            Gdiplus::PointF(static_cast<Gdiplus::REAL>(at.x) + run.x,
                                            static_cast<Gdiplus::REAL>(at.y)),
                            &format, &brush);
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

}  // namespace vt::ui
