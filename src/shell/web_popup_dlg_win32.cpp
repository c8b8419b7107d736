#include "shell/web_popup_dlg.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <utility>
#include <vector>

#include "resource.h"
#include "ui/gdi.h"
#include "ui/gdiplus_api.h"

namespace vt::shell {

namespace {

constexpr int kCaptionTextX = 10;
constexpr int kCaptionTextY = 10;
constexpr int kCaptionTextPoints = 11;
constexpr COLORREF kCaptionTextColor = RGB(255, 247, 238);  // ARGB 0xFFFFF7EE
constexpr int kButtonStates = 4;

// The popup that initialised last; cleared when that window goes, so a
// close request never reaches a window that later got the same handle.
HWND g_lastPopup = nullptr;

// A decoded image resource of the program (type "PNG" or "GIF"); null when
// it is missing or does not decode.
std::unique_ptr<Gdiplus::Bitmap> LoadImageResource(int id, const char* type) {
    HINSTANCE module = ui::ResourceModule();
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return nullptr;
    IStream* stream =
        ::SHCreateMemStream(static_cast<const BYTE*>(bytes), ::SizeofResource(module, resource));
    if (stream == nullptr)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (image && image->GetLastStatus() != Gdiplus::Ok)
        image.reset();
    return image;
}

// Draws source rectangle (sx, sy, sw, sh) of image stretched over the
// destination, with the edge pixels repeated rather than faded.
void DrawPart(Gdiplus::Graphics& graphics, Gdiplus::Image& image, int x, int y, int width,
              int height, int sx, int sy, int sw, int sh) {
    if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0)
        return;
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    graphics.DrawImage(&image, Gdiplus::Rect(x, y, width, height), sx, sy, sw, sh,
                       Gdiplus::UnitPixel, &attributes);
}

// The popup's own face: the background image drawn nine-slice over the
// client area (corners at their size, edges and centre stretched from the
// image's centre lines), the caption text, image buttons whose strips hold
// the normal, hover, pressed and disabled faces, and the first frame of the
// loading picture.
class PopupFace {
  public:
    explicit PopupFace(std::string caption)
        : caption_(std::move(caption)),
          background_(LoadImageResource(IDP_POPUP_BACKGROUND, "PNG")),
          loading_(LoadImageResource(IDG_POPUP_LOADING, "GIF")) {}

    // Paints the part of the face under area (client coordinates of the
    // popup) into dc, whose origin is at origin.
    void Paint(HWND popup, HDC dc, POINT origin) const {
        RECT client{};
        ::GetClientRect(popup, &client);
        ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        Gdiplus::Graphics graphics(dc);
        // The slices are uniform along their stretch: copy pixels, never blend
        // them with their neighbours.
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-origin.x),
                                    static_cast<Gdiplus::REAL>(-origin.y));
        if (background_)
            DrawNineSlice(graphics, *background_, client.right, client.bottom);
        ui::FontHandle font = ui::MakeFont("宋体", ui::PointsToFontHeight(kCaptionTextPoints));
        ui::DcSelection selected(dc, font.get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kCaptionTextColor);
        ::TextOutA(dc, kCaptionTextX - origin.x, kCaptionTextY - origin.y, caption_.data(),
                   static_cast<int>(caption_.size()));
    }

    Gdiplus::Bitmap* loading() const { return loading_.get(); }

  private:
    static void DrawNineSlice(Gdiplus::Graphics& graphics, Gdiplus::Image& image, int width,
                              int height) {
        const int iw = static_cast<int>(image.GetWidth());
        const int ih = static_cast<int>(image.GetHeight());
        const int left = (iw - 1) / 2, top = (ih - 1) / 2;
        const int right = iw - left - 1, bottom = ih - top - 1;
        const int xs[] = {0, left, width - right, width};
        const int ys[] = {0, top, height - bottom, height};
        const int sxs[] = {0, left, left + 1, iw};
        const int sys[] = {0, top, top + 1, ih};
        // Stretched cells reach one pixel into their neighbours, which are
        // drawn after them: the engine leaves a stray column at the edge of
        // a slice stretched far. Centre first, then edges, corners last.
        constexpr int kOrder[9][2] = {{1, 1}, {0, 1}, {2, 1}, {1, 0}, {1, 2},
                                      {0, 0}, {2, 0}, {0, 2}, {2, 2}};
        for (const auto& [column, row] : kOrder) {
            const int growX = column == 1 ? 1 : 0, growY = row == 1 ? 1 : 0;
            DrawPart(graphics, image, xs[column] - growX, ys[row] - growY,
                     xs[column + 1] - xs[column] + 2 * growX, ys[row + 1] - ys[row] + 2 * growY,
                     sxs[column], sys[row], sxs[column + 1] - sxs[column], sys[row + 1] - sys[row]);
        }
    }

    std::string caption_;
    std::unique_ptr<Gdiplus::Bitmap> background_;
    std::unique_ptr<Gdiplus::Bitmap> loading_;
};

// A template button drawn from an image strip over the popup's face.
class StripButton : public ui::Wnd {
  public:
    StripButton(const PopupFace& chrome, int imageId)
        : chrome_(chrome), strip_(LoadImageResource(imageId, "PNG")) {}

    bool Attach(HWND dialog, int id) {
        if (!AttachItem(dialog, id))
            return false;
        SetText("");
        ::SetWindowLongA(hwnd(), GWL_STYLE,
                         (::GetWindowLongA(hwnd(), GWL_STYLE) & ~BS_TYPEMASK) | BS_OWNERDRAW);
        if (strip_)
            Resize(static_cast<int>(strip_->GetWidth()) / kButtonStates,
                   static_cast<int>(strip_->GetHeight()));
        return true;
    }
    int Width() const {
        const RECT area = RectInParent();
        return area.right - area.left;
    }

  protected:
    bool Reflect(UINT message, WPARAM, LPARAM lParam, LRESULT& result) override {
        if (message != WM_DRAWITEM)
            return false;
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const int state = (item->itemState & ODS_DISABLED)   ? 3
                          : (item->itemState & ODS_SELECTED) ? 2
                          : hovering_                        ? 1
                                                             : 0;
        const RECT place = RectInParent();
        const int width = item->rcItem.right, height = item->rcItem.bottom;
        ui::Canvas canvas(item->hDC, width, height);
        chrome_.Paint(Parent(), canvas.dc(), POINT{place.left, place.top});
        if (strip_) {
            Gdiplus::Graphics graphics(canvas.dc());
            const int slice = static_cast<int>(strip_->GetWidth()) / kButtonStates;
            DrawPart(graphics, *strip_, 0, 0, width, height, slice * state, 0, slice,
                     static_cast<int>(strip_->GetHeight()));
        }
        canvas.CopyTo(item->hDC);
        result = TRUE;
        return true;
    }
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEMOVE && !hovering_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
            hovering_ = ::TrackMouseEvent(&track) != FALSE;
            Invalidate(false);
        } else if (message == WM_MOUSELEAVE) {
            hovering_ = false;
            Invalidate(false);
        } else if (message == WM_ERASEBKGND) {
            return TRUE;
        }
        return Wnd::WndProc(message, wParam, lParam);
    }

  private:
    const PopupFace& chrome_;
    std::unique_ptr<Gdiplus::Bitmap> strip_;
    bool hovering_ = false;
};

// The loading picture: the static control of the template, showing the
// picture's first frame over the popup's face.
class LoadingPicture : public ui::Wnd {
  public:
    explicit LoadingPicture(const PopupFace& chrome) : chrome_(chrome) {}

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND)
            return TRUE;
        if (message != WM_PAINT)
            return Wnd::WndProc(message, wParam, lParam);
        ui::PaintScope paint(hwnd());
        const RECT client = ClientRect();
        const RECT place = RectInParent();
        ui::Canvas canvas(paint.dc(), client.right, client.bottom);
        chrome_.Paint(Parent(), canvas.dc(), POINT{place.left, place.top});
        if (Gdiplus::Bitmap* picture = chrome_.loading()) {
            Gdiplus::Graphics graphics(canvas.dc());
            graphics.DrawImage(picture, 0, 0, static_cast<INT>(picture->GetWidth()),
                               static_cast<INT>(picture->GetHeight()));
        }
        canvas.CopyTo(paint.dc());
        return 0;
    }

  private:
    const PopupFace& chrome_;
};

}  // namespace

// The face and the controls drawn over it.
class PopupChrome {
  public:
    explicit PopupChrome(std::string caption)
        : face(std::move(caption)),
          close(face, IDP_CLOSE),
          maximise(face, IDP_MAXIMISE),
          restore(face, IDP_RESTORE),
          loading(face) {}

    PopupFace face;
    StripButton close;
    StripButton maximise;
    StripButton restore;
    LoadingPicture loading;
};

CWebPopupDlg::CWebPopupDlg(PopupOptions options)
    : ui::Dialog(IDD_WEB_POPUP), options_(std::move(options)) {}

CWebPopupDlg::~CWebPopupDlg() = default;

HWND CWebPopupDlg::LastPopup() {
    return g_lastPopup;
}

bool CWebPopupDlg::OnInitDialog() {
    g_lastPopup = hwnd();
    // The popup draws its own caption band; the system's caption goes.
    ::SetWindowLongA(hwnd(), GWL_STYLE, ::GetWindowLongA(hwnd(), GWL_STYLE) & ~WS_CAPTION);
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);

    SetText(options_.title.empty() ? ui::LoadText(107) : options_.title);
    const PopupSize window = PopupWindowSize(options_.width, options_.height);
    Resize(window.width, window.height);
    chrome_ =
        std::make_unique<PopupChrome>(options_.title.empty() ? ui::LoadText(190) : options_.title);

    chrome_->close.Attach(hwnd(), IDC_CLOSE);
    chrome_->maximise.Attach(hwnd(), IDC_POPUP_MAXIMISE);
    chrome_->restore.Attach(hwnd(), IDC_POPUP_RESTORE);
    chrome_->maximise.Show(options_.canMaximise);
    chrome_->restore.Show(false);

    const PopupSize page = PopupPageSize(options_.width, options_.height);
    chrome_->loading.AttachItem(hwnd(), IDC_POPUP_LOADING);
    if (Gdiplus::Bitmap* picture = chrome_->face.loading()) {
        const int width = static_cast<int>(picture->GetWidth());
        const int height = static_cast<int>(picture->GetHeight());
        const PopupPoint place = LoadingImagePlace(page.width, page.height, width, height);
        chrome_->loading.Place(place.x, place.y, width, height);
    }
    chrome_->loading.Show(options_.showLoading);

    page_ = std::make_unique<CWebPageDlg>();
    if (page_->Create(
            hwnd(), RECT{1, kPopupCaptionHeight, 1 + page.width, kPopupCaptionHeight + page.height},
            true)) {
        if (!options_.script.empty())
            page_->SetScript(options_.script);
        if (options_.showLoading) {
            page_->SetNotifyMessage(kPageLoaded);
            page_->Show(false);
        }
        page_->LoadUrl(options_.url);
    } else {
        page_.reset();
    }
    const RECT client = ClientRect();
    PlaceControls(client.right, client.bottom);
    // The loading picture stays above the page host.
    ::SetWindowPos(chrome_->loading.hwnd(), HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void CWebPopupDlg::PlaceControls(int clientWidth, int clientHeight) {
    if (!chrome_)
        return;
    const CaptionButtonPlaces places =
        PlaceCaptionButtons(clientWidth, chrome_->close.Width(), chrome_->maximise.Width());
    chrome_->close.MoveTo(places.close.x, places.close.y);
    chrome_->maximise.MoveTo(places.maximise.x, places.maximise.y);
    chrome_->restore.MoveTo(places.restore.x, places.restore.y);
    if (page_) {
        const PopupRect area = PopupPageRect(clientWidth, clientHeight);
        page_->Place(area.x, area.y, area.width, area.height);
    }
    Invalidate(true);
}

bool CWebPopupDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
        case IDC_CLOSE:
            EndDialog(IDCANCEL);
            return true;
        case IDC_POPUP_MAXIMISE:
            Send(WM_SYSCOMMAND, SC_MAXIMIZE);
            chrome_->maximise.Show(false);
            chrome_->restore.Show(true);
            return true;
        case IDC_POPUP_RESTORE:
            Send(WM_SYSCOMMAND, SC_RESTORE);
            chrome_->maximise.Show(true);
            chrome_->restore.Show(false);
            return true;
        default:
            return Dialog::OnCommand(id, code, control);
    }
}

LRESULT CWebPopupDlg::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kPageLoaded:
            if (page_ && chrome_) {
                page_->Show(wParam != 0);
                chrome_->loading.Show(wParam == 0);
            }
            return 0;
        case WM_SIZE:
            PlaceControls(LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_ERASEBKGND:
            if (chrome_) {
                const RECT client = ClientRect();
                ui::Canvas canvas(reinterpret_cast<HDC>(wParam), client.right, client.bottom);
                chrome_->face.Paint(hwnd(), canvas.dc(), POINT{0, 0});
                canvas.CopyTo(reinterpret_cast<HDC>(wParam));
                return TRUE;
            }
            break;
        case WM_DESTROY:
            if (g_lastPopup == hwnd())
                g_lastPopup = nullptr;
            page_.reset();
            break;
        case WM_LBUTTONDOWN:
            // The caption band drags the window.
            if (GET_Y_LPARAM(lParam) <= kPopupCaptionHeight && !::IsZoomed(hwnd())) {
                ::ReleaseCapture();
                Post(WM_NCLBUTTONDOWN, HTCAPTION, lParam);
                return 0;
            }
            break;
        default:
            break;
    }
    return Dialog::WndProc(message, wParam, lParam);
}

INT_PTR RunWebPopup(HWND parent, const PopupOptions& options) {
    CWebPopupDlg popup(options);
    return popup.DoModal(parent);
}

void CloseLastWebPopup() {
    if (g_lastPopup != nullptr && ::IsWindow(g_lastPopup))
        ::PostMessageA(g_lastPopup, WM_CLOSE, 0, 0);
}

}  // namespace vt::shell
