// The small dialogs around the main window: the path dialog (103) where the
// user names the game, the about box (100) and the splash (158). Windows
// only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "settings/app_state.h"
#include "settings/server_config.h"
#include "ui/hyperlink.h"
#include "ui/skin_button.h"
#include "ui/skin_dialog.h"

namespace vt::shell {

// The path dialog: a read-only field filled from the settings file at every
// opening, "浏览" to choose the patcher or its shortcut, "保存设置" to store
// the choice (OK), "X" and the hidden "取消" to leave without storing.
class CPathSetDlg : public ui::CSkinDialog {
  public:
    // Chooses a file for owner; true with path set when the user chose one.
    using FileChooser = std::function<bool(HWND owner, std::string& path)>;

    explicit CPathSetDlg(settings::CAppState& app);

    // The system's open-file dialog with the game's filter; tests replace
    // it for this process (an empty function restores the system's).
    static FileChooser SetFileChooser(FileChooser chooser);
    static bool ChooseGameFile(HWND owner, std::string& path);

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override {}
    void OnCancel() override { EndDialog(IDCANCEL); }

  private:
    void Save();

    settings::CAppState& app_;
    ui::CSkinButtonEx close_;
    ui::CSkinButtonEx browse_;
    ui::CSkinButtonEx save_;
};

// The about box: the program's name and version, its rights, the official
// site (the catalogue server) and its maker.
class CAboutDlg : public ui::CSkinDialog {
  public:
    explicit CAboutDlg(const settings::ServerConfig& servers);

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    const settings::ServerConfig& servers_;
    ui::CSkinButtonEx closeX_;
    ui::CSkinButtonEx closeButton_;
    ui::CHyperlink link_;
};

// The splash: a borderless layered window whose whole face is PNG 159 with
// its alpha. Enter, Escape and Space do not end it; only a WM_CLOSE does
// (the main window's timer 3140 posts one to Current()).
class CSplashDlg : public ui::CSkinDialog {
  public:
    CSplashDlg();
    ~CSplashDlg() override;
    // The splash that initialised last while it exists, else null.
    static HWND Current();

  protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace vt::shell
