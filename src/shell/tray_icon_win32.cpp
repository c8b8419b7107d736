#include "shell/tray_icon.h"

#include <cstring>

#include "shell/tray_menus.h"
#include "ui/wnd.h"

namespace vt::shell {

namespace {

constexpr char kMessageWindowClass[] = "TRAY_ICON_MESSAGE_PROCESSOR_WND_CLASS";
constexpr char kMessageWindowName[] = "TRAY_ICON_MESSAGE_PROCESSOR_WND";

CTrayIcon* g_current = nullptr;

CTrayIcon::Notifier& NotifierSlot() {
    static CTrayIcon::Notifier notifier;
    return notifier;
}

}  // namespace

CTrayIcon::CTrayIcon(const std::string& tooltip, int iconId, HINSTANCE module, bool show)
    : tooltip_(CutLocalText(tooltip, kTooltipMaxBytes)) {
    TakeIcon(iconId, module);
    SetShown(show);
    g_current = this;
}

CTrayIcon::~CTrayIcon() {
    SetShown(false);
    ReleaseIcon();
    if (g_current == this)
        g_current = nullptr;
}

UINT CTrayIcon::TrayMessage() {
    return ui::RegisteredMessage("TrayIconMessage");
}

HWND CTrayIcon::MessageWindow() {
    static HWND window = [] {
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = MessageWindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
        windowClass.lpszClassName = kMessageWindowClass;
        ::RegisterClassA(&windowClass);
        return ::CreateWindowExA(0, kMessageWindowClass, kMessageWindowName, WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr);
    }();
    return window;
}

CTrayIcon* CTrayIcon::Current() {
    return g_current;
}

CTrayIcon::Notifier CTrayIcon::SetNotifier(Notifier notifier) {
    Notifier previous = std::move(NotifierSlot());
    NotifierSlot() = std::move(notifier);
    return previous;
}

LRESULT CALLBACK CTrayIcon::MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    if (message == TrayMessage() && message != 0) {
        if (CTrayIcon* icon = g_current; icon != nullptr && icon->callback_) {
            // The callback may destroy the icon (an exit from its menu): it
            // runs on a copy.
            const Callback callback = icon->callback_;
            callback(*icon, static_cast<UINT>(lParam));
        }
        return 0;
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

void CTrayIcon::SetShown(bool shown) {
    if (shown == shown_)
        return;
    if (shown) {
        Notify(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    } else {
        Notify(NIM_DELETE, 0);
    }
    shown_ = shown;
}

void CTrayIcon::SetTooltip(const std::string& tooltip) {
    tooltip_ = CutLocalText(tooltip, kTooltipMaxBytes);
    if (shown_)
        Notify(NIM_MODIFY, NIF_TIP);
}

void CTrayIcon::SetIcon(int iconId) {
    if (iconId == iconId_)
        return;
    ReleaseIcon();
    TakeIcon(iconId, ui::ResourceModule());
    if (shown_)
        Notify(NIM_MODIFY, NIF_ICON);
}

bool CTrayIcon::Notify(DWORD operation, UINT flags) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = MessageWindow();
    data.uID = static_cast<UINT>(iconId_);
    data.uFlags = flags;
    data.uCallbackMessage = TrayMessage();
    data.hIcon = icon_;
    const std::string tip = CutLocalText(tooltip_, kNotifyTipMaxBytes);
    std::memcpy(data.szTip, tip.c_str(), tip.size() + 1);
    if (const Notifier& notifier = NotifierSlot())
        return notifier(operation, data) != FALSE;
    return ::Shell_NotifyIconA(operation, &data) != FALSE;
}

void CTrayIcon::TakeIcon(int iconId, HINSTANCE module) {
    iconId_ = iconId;
    icon_ = static_cast<HICON>(::LoadImageA(
        module != nullptr ? module : ui::ResourceModule(), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    ownsIcon_ = icon_ != nullptr;
    if (icon_ == nullptr)
        icon_ = ::LoadIconA(nullptr, IDI_APPLICATION);
}

void CTrayIcon::ReleaseIcon() {
    if (ownsIcon_ && icon_ != nullptr)
        ::DestroyIcon(icon_);
    icon_ = nullptr;
    ownsIcon_ = false;
}

}  // namespace vt::shell
