#include "ui/message_box.h"

#include "resource.h"

namespace vt::ui {
namespace {

constexpr int kBoxWidth = 347;
constexpr int kBoxHeight = 211;
constexpr COLORREF kButtonText = RGB(0x27, 0x2F, 0x5D);

// Set while a box of that function is open.
int g_showMessageOpen = 0;
int g_showMessageOverOpen = 0;
int g_askConfirmOpen = 0;

// Runs box modally under owner with guard set; kBoxRefused when the guard
// was set already or the box could not be made.
int RunGuarded(int& guard, const char* name, CMsgBoxDlg& box, HWND owner) {
    if (guard != 0)
        return kBoxRefused;
    guard = 1;
    ::OutputDebugStringA(name);
    const INT_PTR result = box.DoModal(owner);
    ::OutputDebugStringA(name);
    guard = 0;
    if (result == IDOK)
        return kBoxOk;
    return result == IDCANCEL ? kBoxCancel : kBoxRefused;
}

}  // namespace

CMsgBoxDlg::CMsgBoxDlg() : CSkinDialog(IDD_MESSAGE_BOX) {}

bool CMsgBoxDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    captionHeight = 30;
    AddRectImage({.resourceId = IDP_DIALOG_BACKGROUND});
    // The band behind the buttons.
    AddRectImage({.resourceId = IDP_PATH_LOWER_BAND, .place = {1, 163, kBoxWidth - 1, 210}});
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Sized, then centred again over the owner (or the screen) as the
    // template placed it before.
    RECT around{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (HWND owner = ::GetWindow(hwnd(), GW_OWNER); owner && ::IsWindowVisible(owner))
        ::GetWindowRect(owner, &around);
    Place(around.left + (around.right - around.left - kBoxWidth) / 2,
          around.top + (around.bottom - around.top - kBoxHeight) / 2, kBoxWidth, kBoxHeight);

    closeButton_.AttachItem(hwnd(), IDC_CLOSE);
    closeButton_.LoadSkin(IDP_CLOSE, "PNG", 4);
    closeButton_.SetText("");
    okButton_.AttachItem(hwnd(), IDOK);
    okButton_.LoadSkin(IDP_BOX_BUTTON, "PNG", 4);
    okButton_.SetText(okText.empty() ? LoadText(134) : okText);
    okButton_.textColor = kButtonText;
    cancelButton_.AttachItem(hwnd(), IDC_BOX_CANCEL);
    cancelButton_.LoadSkin(IDP_BOX_BUTTON, "PNG", 4);
    cancelButton_.SetText(cancelText);
    cancelButton_.textColor = kButtonText;
    cancelButton_.Show(twoButtons);

    const RECT closeSize = closeButton_.ClientRect();
    const RECT buttonSize = okButton_.ClientRect();
    const MessageBoxPlaces places =
        PlaceMessageBoxButtons(kBoxWidth, kBoxHeight, closeSize.right, closeSize.bottom,
                               buttonSize.right, buttonSize.bottom, twoButtons);
    closeButton_.MoveTo(places.close.left, places.close.top);
    okButton_.MoveTo(places.ok.left, places.ok.top);
    cancelButton_.MoveTo(places.cancel.left, places.cancel.top);

    AddText({.text = title, .x = 10, .y = 10, .points = 10, .argb = 0xFFFFF7EE});
    AddText({.text = message, .x = 30, .y = 74, .points = 9, .argb = 0xFF272621, .wrapWidth = 287});
    SetText(title);
    return true;
}

bool CMsgBoxDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_CLOSE || id == IDC_BOX_CANCEL) {
        EndDialog(IDCANCEL);
        return true;
    }
    return CSkinDialog::OnCommand(id, code, control);
}

int ShowMessage(const std::string& text, const char* title) {
    CMsgBoxDlg box;
    box.message = text;
    box.title = title ? title : LoadText(130);
    return RunGuarded(g_showMessageOpen, "ShowMessage", box, ::GetActiveWindow());
}

int ShowMessageOver(HWND parent, const std::string& text, const char* title) {
    CMsgBoxDlg box;
    box.message = text;
    box.title = title ? title : LoadText(130);
    return RunGuarded(g_showMessageOverOpen, "ShowMessageOver", box,
                      parent ? parent : ::GetDesktopWindow());
}

int AskConfirm(const std::string& text, const char* title, const std::string& okText,
               const std::string& cancelText) {
    CMsgBoxDlg box;
    box.message = text;
    box.title = title ? title : LoadText(130);
    box.twoButtons = true;
    box.okText = okText;
    box.cancelText = cancelText;
    return RunGuarded(g_askConfirmOpen, "AskConfirm", box, ::GetActiveWindow());
}

}  // namespace vt::ui
