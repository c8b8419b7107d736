// CTesselDlg: the program's main window (dialog 102). On the left the
// installed addons with the buttons that act on them, on the right three
// tabs of catalogue pages; it owns the tray icon and the addon library, and
// the library's workers report to it by window messages (it is their
// AddonWindow). Closing it with its own buttons only hides it; the program
// ends through Exit. Windows only.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "addons/addon_library.h"
#include "addons/addon_window.h"
#include "addons/left_panel.h"
#include "settings/app_state.h"
#include "settings/server_config.h"
#include "shell/bridge_calls.h"
#include "shell/popup_menu.h"
#include "shell/tray_icon.h"
#include "shell/web_browser_host.h"
#include "shell/web_page_dlg.h"
#include "ui/addon_list_ctrl.h"
#include "ui/animated_image.h"
#include "ui/gdi.h"
#include "ui/hyperlink.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace vt::shell {

class SingleInstance;

// Posted by ShowAnotherManagerWorking (any thread); the window shows string
// 196. Outside the range of the main window's numbered messages.
constexpr UINT UM_ANOTHER_MANAGER = WM_APP + 1;

// Timers of the main window; each fires once.
constexpr UINT_PTR kStatisticsTimer = 3137;
constexpr UINT_PTR kSplashStartTimer = 3139;
constexpr UINT_PTR kSplashEndTimer = 3140;
constexpr UINT kSplashMs = 2000;

class CTesselDlg : public ui::CSkinDialog, public addons::AddonWindow {
  public:
    // app and servers are the application object's and outlive the window;
    // instance, when given, is the single-instance record the window
    // publishes its handle in.
    CTesselDlg(settings::CAppState& app, const settings::ServerConfig& servers,
               SingleInstance* instance);
    // Cancels the library's transfers and waits for its workers (the
    // program itself ends the process before this, see Shutdown).
    ~CTesselDlg() override;

    // What the exit leaves behind for the process's end: transfers stopped
    // (partial files kept), no worker blocked on the window, the tab pages
    // and statistics browsers torn down and the tray icon removed. The
    // workers themselves are not waited for. Call after the modal loop.
    void Shutdown();

    addons::AddonLibrary& Library() { return *library_; }
    const addons::LeftPanelState& Panel() const { return panel_; }

    // AddonWindow: Post* and SendDownloadProgress from any thread, the
    // dialogs on this window's thread.
    void PostListState(int code, int value) override;
    void PostInstallAddon(int32_t id, int closePopup) override;
    void SendDownloadProgress(int code, const net::DownloadProgress& progress) override;
    void ShowMessage(int stringId) override;
    bool RunGamePathDialog() override;
    void ClosePopupWindow() override;
    void ShowAnotherManagerWorking() override;

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    // Enter and Escape do not end the main window.
    void OnOK() override {}
    void OnCancel() override {}
    void OnTimer(UINT_PTR id) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    enum Tab { kTabHome, kTabPluginLibrary, kTabMacroDepot, kTabCount };

    // Start-up steps (tessel_dlg_win32.cpp).
    void LayOut();
    void AddBackground();
    void AddPanelTexts();
    void SetUpButtons();
    void SetUpList();
    void CreateTabPages();
    void CreateStatisticsBrowsers();
    void CreateTray();

    // Messages and commands (tessel_dlg_messages_win32.cpp).
    void Exit();
    void HideWindow();
    void ToggleWindow();
    void ActivateInstance();
    void OnTrayNotify(UINT mouseMessage);
    void ShowHelpMenu();
    bool RunPathDialogThenReload();
    void RefreshWeb();
    void ShowTab(SwitchTabTarget tab, bool markButton);
    SwitchTabTarget SelectedTab() const;
    void PostSwitchTab(SwitchTabTarget tab);
    void OnSwitchTab(WPARAM payload);
    void OnOpenSimulator(WPARAM payload);
    void ShowAddonDetail(int32_t id);
    void OnRowButton(int32_t id, int code);
    void DeleteOneAddon(int32_t id);
    void ConfirmUpdateAll();
    void ConfirmDeleteAll();
    void OpenAddonDirectory();
    void StartGame();
    void StartUpgradeCheck();
    void OnUpgradeResult(WPARAM status, LPARAM userRequested);
    void OnDownloadProgress(WPARAM code, LPARAM record);
    void OnListState(int code, int value);
    void SyncPanel();
    void RedrawList();
    void PaintMinimised();
    std::string ControlText(int id) const;

    settings::CAppState& app_;
    const settings::ServerConfig& servers_;
    SingleInstance* instance_;
    std::atomic<HWND> window_{nullptr};  // for the workers; null once gone

    std::array<ui::CSkinButtonEx, 13> buttons_;  // in the order of MainButtonPlaces
    ui::CAnimatedImage loading_;
    ui::CHyperlink settingsLink_;
    ui::CHyperlink pluginLibraryLink_;
    ui::FontHandle linkFont_;
    ui::CAddonListCtrl list_;
    std::array<WebBrowserHost, 2> statistics_;
    std::array<std::unique_ptr<CWebPageDlg>, kTabCount> pages_;
    std::unique_ptr<CTrayIcon> tray_;
    CPopupMenu trayMenu_;
    std::vector<std::string> menuTexts_;  // the seven texts of string 106
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;

    // Drawing-layer texts of the left panel.
    ui::LayerItem countText_ = 0;
    ui::LayerItem loadingText_ = 0;
    std::array<ui::LayerItem, 3> noPathTexts_{};  // title, hint before and after the link
    std::array<ui::LayerItem, 3> noAddonsTexts_{};
    int settingsLinkX_ = 0;
    int pluginLibraryLinkX_ = 0;

    std::unique_ptr<addons::AddonLibrary> library_;
    addons::LeftPanelState panel_;
    std::atomic<int> upgradeAutomatic_{0};
    bool exiting_ = false;
    bool loadingShown_ = false;  // the loading animation's own flag: the window may be hidden

    // SendDownloadProgress hands the record over in a slot the window
    // outlives, so a send that timed out and arrives late never reads a
    // worker's stack.
    std::mutex sendMutex_;
    std::mutex slotMutex_;
    net::DownloadProgress progressSlot_;
    std::atomic<bool> stopSends_{false};
};

}  // namespace vt::shell
