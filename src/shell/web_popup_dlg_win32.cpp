#include "shell/web_popup_dlg.h"

#include <utility>

#include "resource.h"

namespace vt::shell {

namespace {

constexpr int kCaptionTextX = 10;
constexpr int kCaptionTextY = 10;
constexpr int kCaptionTextPoints = 11;
constexpr uint32_t kCaptionTextArgb = 0xFFFFF7EE;
constexpr int kButtonStates = 4;

// The popup that initialised last; cleared when that window goes, so a
// close request never reaches a window that later got the same handle.
HWND g_lastPopup = nullptr;

int WidthOf(const ui::Wnd& control) {
    const RECT rect = control.RectInParent();
    return rect.right - rect.left;
}

}  // namespace

CWebPopupDlg::CWebPopupDlg(PopupOptions options)
    : ui::CSkinDialog(IDD_WEB_POPUP), options_(std::move(options)) {
    captionHeight = kPopupCaptionHeight;
}

CWebPopupDlg::~CWebPopupDlg() = default;

HWND CWebPopupDlg::LastPopup() {
    return g_lastPopup;
}

void CWebPopupDlg::SetUpButton(ui::CSkinButtonEx& button, int id, int image) {
    if (!button.AttachItem(hwnd(), id))
        return;
    button.SetText("");
    button.LoadSkin(image, "PNG", kButtonStates, true);
}

bool CWebPopupDlg::OnInitDialog() {
    ui::CSkinDialog::OnInitDialog();
    g_lastPopup = hwnd();
    // Without its buttons the popup is not to be maximised by a double
    // click on its caption either.
    if (!options_.canMaximise)
        ::SetWindowLongA(hwnd(), GWL_STYLE, ::GetWindowLongA(hwnd(), GWL_STYLE) & ~WS_MAXIMIZEBOX);

    SetText(options_.title.empty() ? ui::LoadText(107) : options_.title);
    const PopupSize window = PopupWindowSize(options_.width, options_.height);
    Resize(window.width, window.height);

    // The face: the background image over the whole client area (its slices
    // are uniform along their runs, so tiles draw it without seams) and the
    // caption text.
    ui::RectImage background;
    background.resourceId = IDP_POPUP_BACKGROUND;
    background.mode = ui::SliceMode::Tile;
    AddRectImage(background);
    ui::LayerText caption;
    caption.text = options_.title.empty() ? ui::LoadText(190) : options_.title;
    caption.x = kCaptionTextX;
    caption.y = kCaptionTextY;
    caption.points = kCaptionTextPoints;
    caption.argb = kCaptionTextArgb;
    AddText(caption);

    SetUpButton(close_, IDC_CLOSE, IDP_CLOSE);
    SetUpButton(maximise_, IDC_POPUP_MAXIMISE, IDP_MAXIMISE);
    SetUpButton(restore_, IDC_POPUP_RESTORE, IDP_RESTORE);
    maximise_.Show(options_.canMaximise);
    restore_.Show(false);

    const PopupSize page = PopupPageSize(options_.width, options_.height);
    if (loading_.AttachItem(hwnd(), IDC_POPUP_LOADING)) {
        // The control takes the picture's size.
        loading_.LoadFromResource(IDG_POPUP_LOADING, "GIF");
        const RECT size = loading_.ClientRect();
        const PopupPoint place =
            LoadingImagePlace(page.width, page.height, size.right, size.bottom);
        loading_.MoveTo(place.x, place.y);
        if (options_.showLoading)
            loading_.Start();
        loading_.Show(options_.showLoading);
    }

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
    ::SetWindowPos(loading_.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return true;
}

void CWebPopupDlg::PlaceControls(int clientWidth, int clientHeight) {
    if (!close_.IsWindow())
        return;
    const CaptionButtonPlaces places =
        PlaceCaptionButtons(clientWidth, WidthOf(close_), WidthOf(maximise_));
    close_.MoveTo(places.close.x, places.close.y);
    maximise_.MoveTo(places.maximise.x, places.maximise.y);
    restore_.MoveTo(places.restore.x, places.restore.y);
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
            maximise_.Show(false);
            restore_.Show(true);
            return true;
        case IDC_POPUP_RESTORE:
            Send(WM_SYSCOMMAND, SC_RESTORE);
            maximise_.Show(true);
            restore_.Show(false);
            return true;
        default:
            return ui::CSkinDialog::OnCommand(id, code, control);
    }
}

LRESULT CWebPopupDlg::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kPageLoaded:
            if (page_) {
                page_->Show(wParam != 0);
                if (wParam != 0) {
                    loading_.Stop();
                } else {
                    loading_.Start();
                }
                loading_.Show(wParam == 0);
            }
            return 0;
        case WM_SIZE:
            PlaceControls(LOWORD(lParam), HIWORD(lParam));
            // A double click on the caption maximises and restores too.
            if (options_.canMaximise && maximise_.IsWindow() &&
                (wParam == SIZE_MAXIMIZED || wParam == SIZE_RESTORED)) {
                maximise_.Show(wParam != SIZE_MAXIMIZED);
                restore_.Show(wParam == SIZE_MAXIMIZED);
            }
            break;
        case WM_DESTROY:
            if (g_lastPopup == hwnd())
                g_lastPopup = nullptr;
            loading_.Stop();
            page_.reset();
            break;
        default:
            break;
    }
    return ui::CSkinDialog::WndProc(message, wParam, lParam);
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
