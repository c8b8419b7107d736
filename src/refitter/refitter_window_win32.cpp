#include "refitter/refitter_window_win32.h"

#include <shellapi.h>
#include <windowsx.h>

#include "platform/code_page.h"
#include "platform/files.h"
#include "ui/gdi.h"

namespace vt::refitter {

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseAfterMs = 1500;
constexpr COLORREF kTitleColour = RGB(255, 255, 255);
constexpr COLORREF kTextColour = RGB(40, 48, 97);
constexpr COLORREF kDimColour = RGB(110, 116, 140);
constexpr COLORREF kFailureColour = RGB(190, 30, 30);
constexpr COLORREF kLinkColour = RGB(40, 90, 200);
const Gdiplus::Color kBandColour(255, 46, 56, 109);
const Gdiplus::Color kBodyColour(255, 244, 245, 248);
const Gdiplus::Color kBarBack(255, 220, 224, 236);
const Gdiplus::Color kBarFront(255, 54, 65, 125);

std::unique_ptr<Gdiplus::Bitmap> LoadImageFile(const std::string& path) {
    if (!platform::PathExists(path))
        return nullptr;
    const std::u16string wide = platform::LocalToUtf16(path);
    std::unique_ptr<Gdiplus::Bitmap> image(
        Gdiplus::Bitmap::FromFile(reinterpret_cast<const wchar_t*>(wide.c_str())));
    if (!image || image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0)
        return nullptr;
    return image;
}

RECT ToRect(const Box& box) {
    return RECT{box.left, box.top, box.right, box.bottom};
}

}  // namespace

// Carries the run's progress from the worker to the window by posted messages.
class CRefitterWindow::View : public RefitterView {
  public:
    explicit View(CRefitterWindow& window) : window_(window), hwnd_(window.hwnd()) {}
    void OnStage(Stage stage) override {
        PostMessageA(hwnd_, UM_REFITTER_STAGE, static_cast<WPARAM>(stage), 0);
    }
    void OnProgress(int64_t done, int64_t total) override {
        window_.done_ = done;
        window_.total_ = total;
        PostMessageA(hwnd_, UM_REFITTER_PROGRESS, 0, 0);
    }

  private:
    CRefitterWindow& window_;
    HWND hwnd_;
};

CRefitterWindow::CRefitterWindow(std::string imageDir) : imageDir_(std::move(imageDir)) {}

CRefitterWindow::~CRefitterWindow() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool CRefitterWindow::CreateWindowOnce() {
    if (IsWindow())
        return true;
    background_ = LoadImageFile(imageDir_ + "background.png");
    button_ = LoadImageFile(imageDir_ + "button.png");
    close_ = LoadImageFile(imageDir_ + "close.png");
    const RefitterLayout& layout = Layout();
    CreateArgs args;
    args.className = kRefitterWindowClass;
    const std::string title = ui::LoadText(kTextCaption);
    args.title = title.c_str();
    args.style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    args.exStyle = WS_EX_APPWINDOW;
    args.width = layout.width;
    args.height = layout.height;
    args.x = (GetSystemMetrics(SM_CXSCREEN) - layout.width) / 2;
    args.y = (GetSystemMetrics(SM_CYSCREEN) - layout.height) / 2;
    if (!Create(args))
        return false;
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    Show(true);
    SetForegroundWindow(hwnd());
    return true;
}

bool CRefitterWindow::Start(const RefitterJob& job, std::unique_ptr<ProgramControl> control) {
    offer_ = job.start.offer;
    if (!CreateWindowOnce())
        return false;
    control_ = std::move(control);
    view_ = std::make_unique<View>(*this);
    worker_ = std::thread([this, job] {
        const Outcome outcome = RunUpdate(job, *control_, *view_, cancel_);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            outcome_ = outcome;
        }
        PostMessageA(hwnd(), UM_REFITTER_FINISHED, 0, 0);
    });
    return true;
}

bool CRefitterWindow::ShowFailure(Failure failure) {
    if (!CreateWindowOnce())
        return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        outcome_.failure = failure;
    }
    OnFinished();
    return true;
}

bool CRefitterWindow::Preview(const UpdateOffer& offer, Stage stage, int64_t done, int64_t total) {
    offer_ = offer;
    if (!CreateWindowOnce())
        return false;
    state_ = RunState{false, stage, Failure::kNone};
    done_ = done;
    total_ = total;
    Invalidate(false);
    return true;
}

Outcome CRefitterWindow::Result() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
}

void CRefitterWindow::OnFinished() {
    if (worker_.joinable())
        worker_.join();
    state_.finished = true;
    state_.failure = Result().failure;
    const RefitterFace face = FaceFor(state_);
    if (face.closesItself)
        SetTimer(kCloseTimer, kCloseAfterMs);
    // The taskbar shows how it ended too.
    SetText(ui::LoadText(kTextCaption) + " - " + ui::LoadText(face.statusText));
    Invalidate(false);
}

void CRefitterWindow::OnTimer(UINT_PTR id) {
    if (id == kCloseTimer) {
        KillTimer(kCloseTimer);
        Destroy();
    }
}

void CRefitterWindow::OnDestroyed() {
    PostQuitMessage(0);
}

void CRefitterWindow::OnButton() {
    const RefitterFace face = FaceFor(state_);
    if (!face.buttonEnabled)
        return;
    if (state_.finished) {
        Destroy();
        return;
    }
    // The worker notices, ends the download and reports kCancelled.
    cancel_ = true;
}

int CRefitterWindow::ButtonState(const Box& box, bool enabled) const {
    if (!enabled)
        return 3;
    const bool hover = &box == &Layout().button ? hoverButton_ : hoverClose_;
    if (hover && pressed_)
        return 2;
    return hover ? 1 : 0;
}

LRESULT CRefitterWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const RefitterLayout& layout = Layout();
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            ui::PaintScope paint(hwnd());
            Paint(paint.dc());
            return 0;
        }
        case WM_NCHITTEST: {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(hwnd(), &point);
            if (point.y < layout.captionHeight && !layout.close.Contains(point.x, point.y))
                return HTCAPTION;
            return HTCLIENT;
        }
        case WM_MOUSEMOVE: {
            const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            const bool overButton = layout.button.Contains(x, y);
            const bool overClose = layout.close.Contains(x, y);
            if (overButton != hoverButton_ || overClose != hoverClose_) {
                hoverButton_ = overButton;
                hoverClose_ = overClose;
                Invalidate(false);
            }
            if (!tracking_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
                tracking_ = TrackMouseEvent(&track) != FALSE;
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            tracking_ = false;
            hoverButton_ = hoverClose_ = pressed_ = false;
            Invalidate(false);
            return 0;
        case WM_LBUTTONDOWN:
            pressed_ = true;
            SetCapture(hwnd());
            Invalidate(false);
            return 0;
        case WM_LBUTTONUP: {
            const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
            const bool wasPressed = pressed_;
            pressed_ = false;
            ReleaseCapture();
            Invalidate(false);
            if (!wasPressed)
                return 0;
            if (layout.button.Contains(x, y) || layout.close.Contains(x, y)) {
                OnButton();
            } else if (layout.link.Contains(x, y) && FaceFor(state_).offerManualLink &&
                       !offer_.manualUrl.empty()) {
                ShellExecuteA(hwnd(), "open", offer_.manualUrl.c_str(), nullptr, nullptr,
                              SW_SHOWNORMAL);
            }
            return 0;
        }
        case WM_CLOSE:
            // The system's close (Alt+F4, the taskbar) acts as the button does.
            OnButton();
            return 0;
        case UM_REFITTER_STAGE:
            state_.stage = static_cast<Stage>(wParam);
            Invalidate(false);
            return 0;
        case UM_REFITTER_PROGRESS: {
            RECT bar = ToRect(layout.progress);
            RECT status = ToRect(layout.status);
            InvalidateRect(hwnd(), &bar, FALSE);
            InvalidateRect(hwnd(), &status, FALSE);
            return 0;
        }
        case UM_REFITTER_FINISHED:
            OnFinished();
            return 0;
        default:
            return Wnd::WndProc(message, wParam, lParam);
    }
}

void CRefitterWindow::DrawBackground(Gdiplus::Graphics& graphics) {
    const RefitterLayout& layout = Layout();
    if (!background_) {
        Gdiplus::SolidBrush body(kBodyColour);
        graphics.FillRectangle(&body, 0, 0, layout.width, layout.height);
        Gdiplus::SolidBrush band(kBandColour);
        graphics.FillRectangle(&band, 0, 0, layout.width, layout.captionHeight);
        return;
    }
    // Nine pieces: the caption band's rows and the border stretch, the
    // corners keep their size.
    const int w = static_cast<int>(background_->GetWidth());
    const int h = static_cast<int>(background_->GetHeight());
    const int top = std::min(layout.captionHeight, h / 2);
    const int side = std::min(8, w / 3);
    const int bottom = std::min(8, (h - top) / 2);
    const int xs[] = {0, side, w - side, w};
    const int ys[] = {0, top, h - bottom, h};
    const int dxs[] = {0, side, layout.width - side, layout.width};
    const int dys[] = {0, top, layout.height - bottom, layout.height};
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const Gdiplus::Rect destination(dxs[col], dys[row], dxs[col + 1] - dxs[col],
                                            dys[row + 1] - dys[row]);
            graphics.DrawImage(background_.get(), destination, xs[col], ys[row],
                               xs[col + 1] - xs[col], ys[row + 1] - ys[row], Gdiplus::UnitPixel);
        }
    }
}

void CRefitterWindow::DrawImageStrip(Gdiplus::Graphics& graphics, Gdiplus::Bitmap* image,
                                     int slices, int state, const Box& box) {
    const int sliceWidth = static_cast<int>(image->GetWidth()) / slices;
    const int height = static_cast<int>(image->GetHeight());
    const int slice = state < slices ? state : 0;
    graphics.DrawImage(image, Gdiplus::Rect(box.left, box.top, box.Width(), box.Height()),
                       slice * sliceWidth, 0, sliceWidth, height, Gdiplus::UnitPixel);
}

void CRefitterWindow::DrawText(HDC dc, const std::string& text, const Box& box, COLORREF colour,
                               HFONT font, UINT format) {
    ui::DcSelection selection(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    RECT rect = ToRect(box);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_NOPREFIX);
}

void CRefitterWindow::Paint(HDC target) {
    const RefitterLayout& layout = Layout();
    ui::Canvas canvas(target, layout.width, layout.height);
    if (!canvas)
        return;
    const RefitterFace face = FaceFor(state_);
    {
        Gdiplus::Graphics graphics(canvas.dc());
        DrawBackground(graphics);
        // The progress bar.
        if (face.showProgress) {
            Gdiplus::SolidBrush back(kBarBack);
            graphics.FillRectangle(&back, layout.progress.left, layout.progress.top,
                                   layout.progress.Width(), layout.progress.Height());
            const int64_t total = total_;
            const int64_t done =
                state_.finished && state_.failure == Failure::kNone ? total : done_.load();
            const int filled = FilledWidth(layout.progress.Width(), done, total);
            Gdiplus::SolidBrush front(kBarFront);
            graphics.FillRectangle(&front, layout.progress.left, layout.progress.top, filled,
                                   layout.progress.Height());
        }
        const int buttonState = ButtonState(layout.button, face.buttonEnabled);
        if (button_) {
            DrawImageStrip(graphics, button_.get(), 4, buttonState, layout.button);
        } else {
            Gdiplus::SolidBrush brush(buttonState == 3 ? kBarBack : kBarFront);
            graphics.FillRectangle(&brush, layout.button.left, layout.button.top,
                                   layout.button.Width(), layout.button.Height());
        }
        if (close_)
            DrawImageStrip(graphics, close_.get(), 4, ButtonState(layout.close, face.buttonEnabled),
                           layout.close);
    }
    const ui::FontHandle normal = ui::MakeFont("宋体", ui::PointsToFontHeight(9));
    const ui::FontHandle bold = ui::MakeFont("宋体", ui::PointsToFontHeight(10), FW_BOLD);
    const ui::FontHandle link = ui::MakeFont("宋体", ui::PointsToFontHeight(9), FW_NORMAL, true);
    HDC dc = canvas.dc();
    DrawText(dc, ui::LoadText(kTextCaption), layout.title, kTitleColour, bold.get(),
             DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!close_)
        DrawText(dc, "X", layout.close, kTitleColour, bold.get(),
                 DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (!offer_.versionText.empty()) {
        DrawText(dc, ui::LoadText(kTextNewVersion) + offer_.versionText, layout.heading,
                 kTextColour, bold.get(), DT_SINGLELINE | DT_LEFT);
        if (!offer_.date.empty())
            DrawText(dc, ui::LoadText(kTextDate) + offer_.date, layout.date, kDimColour,
                     normal.get(), DT_SINGLELINE | DT_LEFT);
        DrawText(dc, offer_.description, layout.description, kTextColour, normal.get(),
                 DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS | DT_LEFT);
    }
    std::string status = ui::LoadText(face.statusText);
    if (!state_.finished && state_.stage == Stage::kDownloading && total_ > 0)
        status += " " + std::to_string(Percent(done_, total_)) + "%";
    const bool failed = state_.finished && state_.failure != Failure::kNone;
    DrawText(dc, status, layout.status, failed ? kFailureColour : kTextColour, normal.get(),
             DT_SINGLELINE | DT_LEFT | DT_END_ELLIPSIS);
    if (face.offerManualLink && !offer_.manualUrl.empty())
        DrawText(dc, ui::LoadText(kTextManualDownload), layout.link, kLinkColour, link.get(),
                 DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    const int buttonState = ButtonState(layout.button, face.buttonEnabled);
    Box caption = layout.button;
    if (buttonState == 2) {
        ++caption.left;
        ++caption.top;
        ++caption.right;
        ++caption.bottom;
    }
    DrawText(dc, ui::LoadText(face.buttonText), caption,
             buttonState == 3 ? kDimColour : (button_ ? kTextColour : kTitleColour), normal.get(),
             DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    canvas.CopyTo(target);
}

}  // namespace vt::refitter
