// CTrayIcon: the program's icon in the notification area. Its mouse
// notifications arrive at one hidden message window of the process and go to
// the most recently constructed icon, which hands them to its callback.
// Windows only.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>

namespace vt::shell {

class CTrayIcon {
  public:
    // Called with the icon and the mouse message (WM_LBUTTONDOWN, ...) of
    // every notification.
    using Callback = std::function<void(CTrayIcon& icon, UINT mouseMessage)>;
    // The system call that adds, changes and removes icons; tests replace it.
    using Notifier = std::function<BOOL(DWORD operation, NOTIFYICONDATAA& data)>;

    // Keeps tooltip (cut to 255 bytes), loads icon iconId of module (the
    // system's application icon when it is missing), shows the icon when
    // show is set, and becomes the process's current icon.
    CTrayIcon(const std::string& tooltip, int iconId, HINSTANCE module, bool show);
    // Removes the icon from the notification area and releases it.
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Adds (NIM_ADD with message, icon and tip) or removes (NIM_DELETE) the
    // icon; nothing when unchanged.
    void SetShown(bool shown);
    bool Shown() const { return shown_; }
    // Keeps the tip; a shown icon gets it at once. The notification carries
    // at most 127 bytes of it, cut between characters.
    void SetTooltip(const std::string& tooltip);
    const std::string& Tooltip() const { return tooltip_; }
    // Loads another icon of the program's module; nothing when iconId is
    // the current one.
    void SetIcon(int iconId);
    int IconId() const { return iconId_; }
    void SetCallback(Callback callback) { callback_ = std::move(callback); }

    // The registered message "TrayIconMessage" and the process's hidden
    // message window (class "TRAY_ICON_MESSAGE_PROCESSOR_WND_CLASS"), made on
    // first need and kept for the process's life; null when it cannot be
    // made (the icon then works without clicks).
    static UINT TrayMessage();
    static HWND MessageWindow();
    // The icon that receives the notifications, or null.
    static CTrayIcon* Current();
    // Replaces Shell_NotifyIconA for this process; an empty function
    // restores it. Gives back the replacement set before.
    static Notifier SetNotifier(Notifier notifier);

  private:
    static LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam);
    bool Notify(DWORD operation, UINT flags);
    void TakeIcon(int iconId, HINSTANCE module);
    void ReleaseIcon();

    std::string tooltip_;
    bool shown_ = false;
    HICON icon_ = nullptr;
    bool ownsIcon_ = false;
    int iconId_ = 0;
    Callback callback_;
};

}  // namespace vt::shell
