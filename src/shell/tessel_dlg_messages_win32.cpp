// CTesselDlg: commands, window messages, timers and the AddonWindow side.
#include <windowsx.h>

#include <cstdio>

#include "addons/addon_removal.h"
#include "addons/addon_state.h"
#include "addons/install_pipeline.h"
#include "addons/reload_all.h"
#include "platform/files.h"
#include "platform/system.h"
#include "resource.h"
#include "shell/game_launch.h"
#include "shell/main_commands.h"
#include "shell/main_layout.h"
#include "shell/server_pages.h"
#include "shell/small_dialogs.h"
#include "shell/tessel_dlg.h"
#include "shell/upgrade_host.h"
#include "shell/url_opener.h"
#include "shell/web_popup_dlg.h"
#include "ui/message_box.h"

namespace vt::shell {

namespace {

constexpr int kStringNotice = 130;
constexpr int kStringOk = 122;
constexpr int kStringCancel = 123;
constexpr int kStringNoDetails = 172;
constexpr int kStringUpgradeTitle = 171;

// A worker waits this long for the window at a time, then looks whether the
// window is going away before it waits again.
constexpr UINT kSendSliceMs = 250;

// Set while the launch worker opens the game.
std::atomic<bool> g_launching{false};

bool Confirm(int stringId) {
    return ui::AskConfirm(ui::LoadText(stringId), ui::LoadText(kStringNotice).c_str(),
                          ui::LoadText(kStringOk), ui::LoadText(kStringCancel)) == ui::kBoxOk;
}

void OpenWithShell(const std::string& path) {
    ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

// --- AddonWindow ---------------------------------------------------------------

void CTesselDlg::PostListState(int code, int value) {
    if (HWND window = window_)
        ::PostMessageA(window, addons::UM_LIST_STATE, static_cast<WPARAM>(code), value);
}

void CTesselDlg::PostInstallAddon(int32_t id, int closePopup) {
    if (HWND window = window_)
        ::PostMessageA(window, addons::UM_INSTALL_ADDON, static_cast<WPARAM>(id), closePopup);
}

void CTesselDlg::SendDownloadProgress(int code, const net::DownloadProgress& progress) {
    const std::lock_guard<std::mutex> sending(sendMutex_);
    {
        const std::lock_guard<std::mutex> slot(slotMutex_);
        progressSlot_ = progress;
    }
    // Sent, so the worker waits while the row changes; but never past the
    // window's end: a window that is going away no longer answers.
    while (!stopSends_) {
        const HWND window = window_;
        if (window == nullptr)
            return;
        DWORD_PTR result = 0;
        if (::SendMessageTimeoutA(window, addons::UM_DOWNLOAD_PROGRESS, static_cast<WPARAM>(code),
                                  reinterpret_cast<LPARAM>(&progressSlot_), SMTO_NORMAL,
                                  kSendSliceMs, &result) != 0)
            return;
        if (::GetLastError() != ERROR_TIMEOUT && ::GetLastError() != 0)
            return;
    }
}

void CTesselDlg::ShowMessage(int stringId) {
    std::string text = ui::LoadText(stringId);
    ui::ShowMessage(text, ui::LoadText(kStringNotice).c_str());
}

bool CTesselDlg::RunGamePathDialog() {
    CPathSetDlg dialog(app_);
    return dialog.DoModal(hwnd()) == IDOK;
}

void CTesselDlg::ClosePopupWindow() {
    CloseLastWebPopup();
}

void CTesselDlg::ShowAnotherManagerWorking() {
    if (HWND window = window_)
        ::PostMessageA(window, UM_ANOTHER_MANAGER, 0, 0);
}

// --- Commands ------------------------------------------------------------------

bool CTesselDlg::OnCommand(int id, int code, HWND control) {
    const MainCommand command = MainCommandFor(id);
    switch (command.action) {
        case MainAction::kNone:
            return ui::CSkinDialog::OnCommand(id, code, control);
        case MainAction::kIgnore:
            break;
        case MainAction::kPathDialog:
            RunPathDialogThenReload();
            break;
        case MainAction::kHelpMenu:
            ShowHelpMenu();
            break;
        case MainAction::kHideWindow:
            HideWindow();
            break;
        case MainAction::kRefreshLocal:
            StartReloadAll(*library_);
            break;
        case MainAction::kRefreshWeb:
            RefreshWeb();
            break;
        case MainAction::kShowTab:
            ShowTab(command.tab, false);
            break;
        case MainAction::kShowMarkedTab:
            ShowTab(command.tab, true);
            break;
        case MainAction::kSwitchTabPost:
            PostSwitchTab(command.tab);
            break;
        case MainAction::kUpdateAll:
            ConfirmUpdateAll();
            break;
        case MainAction::kDeleteAll:
            ConfirmDeleteAll();
            break;
        case MainAction::kAddonDirectory:
            OpenAddonDirectory();
            break;
        case MainAction::kStartGame:
            StartGame();
            break;
        case MainAction::kUpgradeCheck:
            StartUpgradeCheck();
            break;
        case MainAction::kOpenForum:
            OpenUrlInUserBrowser(ForumPageUrl(servers_));
            break;
        case MainAction::kAbout: {
            CAboutDlg about(servers_);
            about.DoModal(hwnd());
            break;
        }
        case MainAction::kToggleWindow:
            ToggleWindow();
            break;
        case MainAction::kExit:
            Exit();
            break;
    }
    return true;
}

bool CTesselDlg::RunPathDialogThenReload() {
    if (!RunGamePathDialog())
        return false;
    StartReloadAll(*library_);
    return true;
}

void CTesselDlg::HideWindow() {
    ::ShowWindow(hwnd(), SW_MINIMIZE);
    ::ShowWindow(hwnd(), SW_HIDE);
}

void CTesselDlg::ToggleWindow() {
    if (::IsIconic(hwnd()) || !IsVisible()) {
        ::ShowWindow(hwnd(), SW_SHOW);
        ::ShowWindow(hwnd(), SW_RESTORE);
        ::SetForegroundWindow(hwnd());
    } else {
        HideWindow();
    }
}

void CTesselDlg::ActivateInstance() {
    ::ShowWindow(hwnd(), SW_SHOW);
    ::ShowWindow(hwnd(), SW_RESTORE);
    ::SetForegroundWindow(hwnd());
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

void CTesselDlg::OnTrayNotify(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) {
        ToggleWindow();
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::SetForegroundWindow(hwnd());
        trayMenu_.Track(hwnd(), cursor);
    }
}

void CTesselDlg::ShowHelpMenu() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(hwnd());
    const CPopupMenu help(HelpMenuEntries(), menuTexts_);
    help.Track(hwnd(), cursor);
}

void CTesselDlg::Exit() {
    if (exiting_)
        return;
    exiting_ = true;
    // 1. The upgrade module; 2. the popup; 3. the modal loop.
    UnloadUpgradeModule();
    CloseLastWebPopup();
    stopSends_ = true;
    EndDialog(IDCANCEL);
}

// --- Tabs --------------------------------------------------------------------------

void CTesselDlg::ShowTab(SwitchTabTarget tab, bool markButton) {
    const Tab shown = tab == SwitchTabTarget::kHome            ? kTabHome
                      : tab == SwitchTabTarget::kPluginLibrary ? kTabPluginLibrary
                      : tab == SwitchTabTarget::kMacroDepot    ? kTabMacroDepot
                                                               : kTabCount;
    if (shown == kTabCount)
        return;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i] && pages_[i]->IsWindow())
            pages_[i]->Show(i == static_cast<size_t>(shown));
    }
    if (markButton) {
        const int ids[] = {kCmdTabHome, kCmdTabPluginLibrary, kCmdTabMacroDepot};
        ::SendMessageA(Item(ids[shown]), BM_SETCHECK, BST_CHECKED, 0);
    }
}

SwitchTabTarget CTesselDlg::SelectedTab() const {
    const struct {
        int id;
        SwitchTabTarget tab;
    } order[] = {{kCmdTabHome, SwitchTabTarget::kHome},
                 {kCmdTabPluginLibrary, SwitchTabTarget::kPluginLibrary},
                 {kCmdTabMacroDepot, SwitchTabTarget::kMacroDepot}};
    for (const auto& entry : order) {
        if (::SendMessageA(Item(entry.id), BM_GETCHECK, 0, 0) == BST_CHECKED)
            return entry.tab;
    }
    return SwitchTabTarget::kNone;
}

void CTesselDlg::RefreshWeb() {
    const SwitchTabTarget tab = SelectedTab();
    const std::string url = RefreshWebUrl(servers_, tab);
    if (url.empty())
        return;
    const Tab index = tab == SwitchTabTarget::kHome            ? kTabHome
                      : tab == SwitchTabTarget::kPluginLibrary ? kTabPluginLibrary
                                                               : kTabMacroDepot;
    if (auto& page = pages_[static_cast<size_t>(index)])
        page->LoadUrl(url);
}

void CTesselDlg::PostSwitchTab(SwitchTabTarget tab) {
    auto name = std::make_unique<std::string>(SwitchTabName(tab));
    const uintptr_t payload = ReleasePayload(std::move(name));
    if (!Post(addons::UM_SWITCH_TAB, payload, 0))
        AdoptPayload<std::string>(payload);
}

void CTesselDlg::OnSwitchTab(WPARAM payload) {
    const std::unique_ptr<std::string> name = AdoptPayload<std::string>(payload);
    if (name)
        ShowTab(SwitchTabFromName(*name), true);
}

void CTesselDlg::OnOpenSimulator(WPARAM payload) {
    const std::unique_ptr<SimulatorRequest> request = AdoptPayload<SimulatorRequest>(payload);
    if (request)
        RunWebPopup(hwnd(), SimulatorPopupOptions(*request));
}

// --- The left panel's actions ------------------------------------------------------

void CTesselDlg::ShowAddonDetail(int32_t id) {
    if (!HasDetailPage(id)) {
        ui::ShowMessageOver(hwnd(), ui::LoadText(kStringNoDetails),
                            ui::LoadText(kStringUpgradeTitle).c_str());
        return;
    }
    const int state = DetailStateOf(*library_->localAddons(), id);
    RunWebPopup(hwnd(), DetailPopupOptions(DetailPageUrl(servers_, id, state)));
}

void CTesselDlg::OnRowButton(int32_t id, int code) {
    switch (RowButtonActionFor(code)) {
        case RowButtonAction::kInstall:
            Post(addons::UM_INSTALL_ADDON, static_cast<WPARAM>(id), 0);
            break;
        case RowButtonAction::kDetail:
            Send(addons::UM_SHOW_ADDON_DETAIL, static_cast<WPARAM>(id), 0);
            break;
        case RowButtonAction::kDelete:
            DeleteOneAddon(id);
            break;
        case RowButtonAction::kNone:
            break;
    }
}

void CTesselDlg::DeleteOneAddon(int32_t id) {
    if (panel_.notBusy == 0) {
        ShowMessage(addons::kStringDeleteWhileBusy);
        return;
    }
    if (!Confirm(addons::kStringConfirmDelete))
        return;
    DeleteAddon(*library_, id);
    const int row = list_.FindKey(id);
    if (row >= 0)
        list_.DeleteRow(row);
    StartReloadAll(*library_);
}

void CTesselDlg::ConfirmUpdateAll() {
    if (Confirm(addons::kStringConfirmUpdateAll))
        UpdateAll(*library_);
}

void CTesselDlg::ConfirmDeleteAll() {
    if (Confirm(addons::kStringConfirmDeleteAll))
        DeleteAllAddons(*library_);
}

void CTesselDlg::OpenAddonDirectory() {
    const std::string gameDir = app_.GameDir();
    if (gameDir.empty()) {
        RunPathDialogThenReload();
        return;
    }
    const std::string directory = gameDir + "Interface\\Addons";
    if (!platform::IsDirectory(directory))
        platform::MakeDirectoryPath(directory);
    ::ShellExecuteA(hwnd(), "open", directory.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CTesselDlg::StartGame() {
    GameLaunchHooks hooks;
    hooks.gamePath = [this] { return app_.GamePath(); };
    hooks.showMessage = [this](int id) { ShowMessage(id); };
    hooks.runPathDialog = [this] { return RunGamePathDialog(); };
    hooks.fileExists = [](const std::string& path) { return platform::PathExists(path); };
    hooks.startLaunch = [](const std::string& path) {
        platform::StartThread([path] { LaunchOnce(g_launching, path, OpenWithShell); });
    };
    RunGameLaunch(hooks);
}

void CTesselDlg::StartUpgradeCheck() {
    upgradeAutomatic_ = 0;
    StartUpgradeCheckWorker(upgradeAutomatic_);
}

void CTesselDlg::OnUpgradeResult(WPARAM status, LPARAM userRequested) {
    const int text = UpgradeResultText(static_cast<int>(status), static_cast<int>(userRequested));
    if (text != 0)
        ui::ShowMessage(ui::LoadText(text), ui::LoadText(kStringUpgradeTitle).c_str());
}

// --- Worker messages ------------------------------------------------------------

void CTesselDlg::OnDownloadProgress(WPARAM code, LPARAM record) {
    if (record == 0)
        return;
    net::DownloadProgress progress;
    {
        const std::lock_guard<std::mutex> slot(slotMutex_);
        progress = *reinterpret_cast<const net::DownloadProgress*>(record);
    }
    HandleDownloadProgress(list_, static_cast<int>(code), progress);
}

void CTesselDlg::OnListState(int code, int value) {
    ApplyListState(panel_, code, value);
    if (code == addons::kViewRedraw) {
        RedrawList();
        return;
    }
    SyncPanel();
    if (code == addons::kViewList)
        RedrawList();
}

void CTesselDlg::SyncPanel() {
    const PanelFace face = PanelFaceOf(panel_);
    list_.Show(face.list);
    if (face.loading != loadingShown_) {
        loadingShown_ = face.loading;
        // The animation plays only while it can be seen.
        if (face.loading) {
            loading_.Start();
        } else {
            loading_.Stop();
        }
        loading_.Show(face.loading);
    }
    ShowItem(loadingText_, face.loading);
    for (ui::LayerItem item : noPathTexts_)
        ShowItem(item, face.noGamePath);
    for (ui::LayerItem item : noAddonsTexts_)
        ShowItem(item, face.noAddons);
    settingsLink_.Show(face.noGamePath);
    pluginLibraryLink_.Show(face.noAddons);
    ::EnableWindow(Item(kCmdUpdateAll), face.updateAllEnabled);
    ::EnableWindow(Item(kCmdDeleteAll), face.deleteAllEnabled);
    ::EnableWindow(Item(kCmdRefreshLocal), face.refreshEnabled);
    SetItemText(countText_, std::to_string(face.count));
    // The panel's texts live in the background: repaint the panel.
    const RECT panel{6, 35, 248, 500};
    ::InvalidateRect(hwnd(), &panel, TRUE);
}

void CTesselDlg::RedrawList() {
    RECT area{kAddonListPlace.x, kAddonListPlace.y - kListRedrawExtra, kAddonListPlace.Right(),
              kAddonListPlace.Bottom()};
    ::InvalidateRect(hwnd(), &area, TRUE);
    if (list_.IsWindow())
        list_.Invalidate(true);
}

// --- Timers and messages -------------------------------------------------------

void CTesselDlg::OnTimer(UINT_PTR id) {
    switch (id) {
        case kSplashStartTimer: {
            KillTimer(id);
            ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
            SetTimer(kSplashEndTimer, kSplashMs);
            CSplashDlg splash;
            splash.DoModal(hwnd());
            break;
        }
        case kSplashEndTimer:
            KillTimer(id);
            if (HWND splash = CSplashDlg::Current())
                ::PostMessageA(splash, WM_CLOSE, 0, 0);
            ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                           SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
            ::SetForegroundWindow(hwnd());
            break;
        case kStatisticsTimer:
            KillTimer(id);
            for (size_t i = 0; i < statistics_.size(); ++i)
                statistics_[i].Navigate(StatisticsPageUrl(servers_, static_cast<int>(i)));
            break;
        default:
            break;
    }
}

std::string CTesselDlg::ControlText(int id) const {
    char text[128] = {};
    ::GetDlgItemTextA(hwnd(), id, text, sizeof text);
    return text;
}

void CTesselDlg::PaintMinimised() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd(), &paint);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const RECT client = ClientRect();
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon_);
    ::EndPaint(hwnd(), &paint);
}

LRESULT CTesselDlg::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case addons::UM_ACTIVATE_INSTANCE:
            ActivateInstance();
            return 0;
        case addons::UM_UPGRADE_EXIT:
        case WM_CLOSE:
            Exit();
            return 0;
        case addons::UM_UPGRADE_RESULT:
            OnUpgradeResult(wParam, lParam);
            return 0;
        case addons::UM_SHOW_ADDON_DETAIL:
            ShowAddonDetail(static_cast<int32_t>(wParam));
            return 0;
        case addons::UM_INSTALL_ADDON:
            RequestInstall(*library_, static_cast<int32_t>(wParam), static_cast<int>(lParam));
            return 0;
        case addons::UM_DOWNLOAD_PROGRESS:
            OnDownloadProgress(wParam, lParam);
            return 0;
        case addons::UM_LIST_STATE:
            OnListState(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case addons::UM_SWITCH_TAB:
            OnSwitchTab(wParam);
            return 0;
        case addons::UM_OPEN_SIMULATOR:
            OnOpenSimulator(wParam);
            return 0;
        case UM_ANOTHER_MANAGER:
            ShowMessage(addons::kStringAnotherManager);
            return 0;
        case WM_PAINT:
            if (::IsIconic(hwnd())) {
                PaintMinimised();
                return 0;
            }
            break;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(icon_);
        case WM_DESTROY:
            window_ = nullptr;
            break;
        default:
            if (message == ui::RegisteredMessage(ui::kListButtonClickMessage) && message != 0) {
                OnRowButton(static_cast<int32_t>(wParam), static_cast<int>(lParam));
                return 0;
            }
            break;
    }
    return ui::CSkinDialog::WndProc(message, wParam, lParam);
}

}  // namespace vt::shell
