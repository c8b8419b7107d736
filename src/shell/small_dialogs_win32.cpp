#include "shell/small_dialogs.h"

#include <commdlg.h>

#include <array>
#include <utility>

#include "platform/code_page.h"
#include "resource.h"
#include "settings/settings.h"
#include "shell/main_layout.h"
#include "ui/layered_composer.h"
#include "ui/message_box.h"

namespace vt::shell {

namespace {

constexpr int kDialogCaptionHeight = 30;
constexpr int kAboutCaptionHeight = 34;
constexpr int kStringNotice = 130;
constexpr int kStringWrongGamePath = 133;
constexpr int kStringSetGamePath = 169;

// The system's open-file dialog, or the replacement tests set.
CPathSetDlg::FileChooser& ChooserSlot() {
    static CPathSetDlg::FileChooser chooser;
    return chooser;
}

ui::LayerText DialogText(const std::string& text, int x, int y, int points, uint32_t argb) {
    ui::LayerText layer;
    layer.text = text;
    layer.x = x;
    layer.y = y;
    layer.points = points;
    layer.argb = argb;
    return layer;
}

// A rectangle image of the skin over place (empty: the whole client area).
// Tiled: the skin's slices are uniform along their runs, and tiles leave no
// seams where a one-pixel slice meets its corners.
ui::RectImage TiledImage(int resourceId, ui::PixelRect place) {
    ui::RectImage image;
    image.resourceId = resourceId;
    image.place = place;
    image.mode = ui::SliceMode::Tile;
    return image;
}

// The width and height of a control.
SIZE SizeOf(const ui::Wnd& control) {
    const RECT rect = control.RectInParent();
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// A dialog button with a light face whose caption the button draws.
void SetUpCaptionButton(ui::CSkinButtonEx& button, int imageId, const std::string& caption) {
    button.SetText(caption);
    button.textColor = RGB(0x1F, 0x22, 0x33);
    button.LoadSkin(imageId, "PNG", 4, true);
}

HWND g_splash = nullptr;

}  // namespace

// --- Path dialog -----------------------------------------------------------------

CPathSetDlg::CPathSetDlg(settings::CAppState& app) : ui::CSkinDialog(IDD_PATH), app_(app) {
    captionHeight = kDialogCaptionHeight;
}

CPathSetDlg::FileChooser CPathSetDlg::SetFileChooser(FileChooser chooser) {
    FileChooser previous = std::move(ChooserSlot());
    ChooserSlot() = std::move(chooser);
    return previous;
}

bool CPathSetDlg::ChooseGameFile(HWND owner, std::string& path) {
    if (const FileChooser& chooser = ChooserSlot())
        return chooser(owner, path);
    const std::string filter = SystemFileFilter(kGamePathFilter);
    char file[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = sizeof file;
    // No OFN_NODEREFERENCELINKS: a chosen shortcut gives its target's path.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!::GetOpenFileNameA(&dialog))
        return false;
    path = file;
    return true;
}

bool CPathSetDlg::OnInitDialog() {
    ui::CSkinDialog::OnInitDialog();
    Resize(kPathDialogWidth, kPathDialogHeight);
    // Centred again at its real size (the template's size placed it).
    const HWND owner = ::GetWindow(hwnd(), GW_OWNER);
    RECT area{};
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    MoveTo(area.left + (area.right - area.left - kPathDialogWidth) / 2,
           area.top + (area.bottom - area.top - kPathDialogHeight) / 2);

    AddRectImage(TiledImage(IDP_DIALOG_BACKGROUND, {}));
    AddRectImage(
        TiledImage(IDP_PATH_LOWER_BAND, {1, 148, kPathDialogWidth - 1, kPathDialogHeight - 1}));
    AddText(DialogText(ui::LoadText(114), 10, 10, 10, kCaptionTextArgb));
    AddText(DialogText(ui::LoadText(117), 124, 58, 10, 0xFF24315D));
    AddText(DialogText(ui::LoadText(118), 22, 97, 10, 0xFF272F60));

    close_.AttachItem(hwnd(), IDC_CLOSE);
    close_.SetText("");
    close_.LoadSkin(IDP_CLOSE, "PNG", 4, true);
    browse_.AttachItem(hwnd(), IDC_PATH_BROWSE);
    SetUpCaptionButton(browse_, IDP_BUTTON, ui::LoadText(115));
    save_.AttachItem(hwnd(), IDC_PATH_SAVE);
    SetUpCaptionButton(save_, IDP_BUTTON, ui::LoadText(116));
    const SIZE closeSize = SizeOf(close_);
    const SIZE buttonSize = SizeOf(save_);
    const PathDialogPlaces places =
        PlacePathDialog(kPathDialogWidth, kPathDialogHeight, closeSize.cx, closeSize.cy,
                        buttonSize.cx, buttonSize.cy);
    close_.MoveTo(places.close.x, places.close.y);
    browse_.MoveTo(places.browse.x, places.browse.y);
    save_.MoveTo(places.save.x, places.save.y);
    ::MoveWindow(Item(IDC_PATH_EDIT), places.edit.x, places.edit.y, places.edit.width,
                 places.edit.height, TRUE);
    ::ShowWindow(Item(IDC_PATH_CANCEL), SW_HIDE);
    ::ShowWindow(Item(IDC_PATH_LABEL), SW_HIDE);

    // What the settings file holds now, not what the program last read.
    settings::CAppState stored;
    stored.SetProgramDir(app_.ProgramDir());
    settings::LoadSettings(stored);
    ::SetDlgItemTextA(hwnd(), IDC_PATH_EDIT, stored.GamePath().c_str());
    return true;
}

bool CPathSetDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
        case IDC_PATH_BROWSE: {
            std::string path;
            if (ChooseGameFile(hwnd(), path))
                ::SetDlgItemTextA(hwnd(), IDC_PATH_EDIT, path.c_str());
            return true;
        }
        case IDC_PATH_SAVE:
            Save();
            return true;
        case IDC_CLOSE:
        case IDC_PATH_CANCEL:
            EndDialog(IDCANCEL);
            return true;
        default:
            return ui::CSkinDialog::OnCommand(id, code, control);
    }
}

void CPathSetDlg::Save() {
    char text[MAX_PATH + 1] = {};
    ::GetDlgItemTextA(hwnd(), IDC_PATH_EDIT, text, sizeof text);
    const std::string path = text;
    const std::string title = ui::LoadText(kStringNotice);
    if (path.empty()) {
        ui::ShowMessage(ui::LoadText(kStringSetGamePath), title.c_str());
        return;
    }
    // A path the settings file cannot hold whole is refused rather than
    // stored cut to a parent directory.
    if (!settings::SaveGamePath(app_, path)) {
        ui::ShowMessage(ui::LoadText(kStringWrongGamePath), title.c_str());
        return;
    }
    EndDialog(IDOK);
}

// --- About box ---------------------------------------------------------------------

CAboutDlg::CAboutDlg(const settings::ServerConfig& servers)
    : ui::CSkinDialog(IDD_ABOUT), servers_(servers) {
    captionHeight = kAboutCaptionHeight;
}

bool CAboutDlg::OnInitDialog() {
    ui::CSkinDialog::OnInitDialog();
    Resize(kAboutWidth, kAboutHeight);
    AddRectImage(TiledImage(IDP_DIALOG_BACKGROUND, {}));
    AddImage(IDP_ABOUT_PICTURE, "PNG", kAboutPictureX, kAboutPictureY);
    // The rights and maker lines have no entry in the string table.
    const std::array<const char*, kAboutOwnLines> written = {"版权所有 (C) VaelTessel",
                                                             "VaelTessel 开发组"};
    size_t next = 0;
    for (const LayerTextPlace& place : AboutTexts()) {
        if (place.stringId == 0 && next == written.size())
            continue;
        const std::string text = place.stringId != 0 ? ui::LoadText(place.stringId)
                                                     : platform::Utf8ToLocal(written[next++]);
        AddText(DialogText(text, place.x, place.y, place.points, place.argb));
    }

    closeX_.AttachItem(hwnd(), IDC_CLOSE);
    closeX_.SetText("");
    closeX_.LoadSkin(IDP_CLOSE, "PNG", 4, true);
    closeX_.MoveTo(kAboutCloseX, kAboutCloseY);
    closeButton_.AttachItem(hwnd(), IDC_ABOUT_CLOSE);
    SetUpCaptionButton(closeButton_, IDP_BUTTON, platform::Utf8ToLocal("关闭"));
    closeButton_.MoveTo(kAboutButtonX, kAboutButtonY);

    // The official site: the catalogue server's home page.
    if (link_.AttachItem(hwnd(), IDC_ABOUT_LINK)) {
        std::string site = servers_.catalogue;
        const size_t scheme = site.find("://");
        link_.SetText(scheme == std::string::npos ? site : site.substr(scheme + 3));
        link_.target = servers_.catalogue + "/";
        link_.colorNormal = link_.colorHover = link_.colorPressed = kLinkColor;
        link_.cursor = ::LoadCursorA(nullptr, IDC_HAND);
        link_.SetUnderline(true, true);
        SIZE extent{};
        {
            ui::ClientDc dc(link_.hwnd());
            ui::DcSelection font(dc.get(), reinterpret_cast<HGDIOBJ>(link_.Send(WM_GETFONT)));
            const std::string text = link_.Text();
            ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        }
        link_.Place(kAboutLinkX, kAboutLinkY, extent.cx + 1, extent.cy + 1);
    }
    return true;
}

bool CAboutDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_CLOSE || id == IDC_ABOUT_CLOSE) {
        EndDialog(IDCANCEL);
        return true;
    }
    return ui::CSkinDialog::OnCommand(id, code, control);
}

// --- Splash ------------------------------------------------------------------------

CSplashDlg::CSplashDlg() : ui::CSkinDialog(IDD_SPLASH) {}

CSplashDlg::~CSplashDlg() = default;

HWND CSplashDlg::Current() {
    return g_splash;
}

bool CSplashDlg::OnInitDialog() {
    ui::CSkinDialog::OnInitDialog();
    g_splash = hwnd();
    ui::ImagePtr face = ui::LoadResourceImage(IDP_SPLASH, "PNG");
    int width = 420, height = 260;
    if (face) {
        width = static_cast<int>(face->GetWidth());
        height = static_cast<int>(face->GetHeight());
    }
    AddImage(std::move(face), 0, 0);
    ::SetWindowPos(hwnd(), HWND_TOP, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOACTIVATE);
    ui::LayeredComposer::MakeLayered(hwnd());
    return true;
}

LRESULT CSplashDlg::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_ESCAPE || wParam == VK_SPACE)
                return 0;
            break;
        case WM_CLOSE:
            EndDialog(IDCANCEL);
            return 0;
        case WM_DESTROY:
            if (g_splash == hwnd())
                g_splash = nullptr;
            break;
        default:
            break;
    }
    return ui::CSkinDialog::WndProc(message, wParam, lParam);
}

}  // namespace vt::shell
