// The program's popup menus (the tray menu and the help menu): plain popup
// menus built from the item texts of string 106, tracked at a screen point
// for an owner window that receives the chosen command. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/tray_menus.h"

namespace vt::shell {

class CPopupMenu {
  public:
    CPopupMenu() = default;
    // Builds a popup menu of entries, each text taken from texts by index.
    CPopupMenu(const std::vector<MenuEntry>& entries, const std::vector<std::string>& texts);
    ~CPopupMenu();
    CPopupMenu(const CPopupMenu&) = delete;
    CPopupMenu& operator=(const CPopupMenu&) = delete;
    CPopupMenu(CPopupMenu&& other) noexcept;
    CPopupMenu& operator=(CPopupMenu&& other) noexcept;

    HMENU handle() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }
    // Shows the menu at point (screen coordinates, no alignment flags) for
    // owner and returns when it closes; the chosen command reaches owner as
    // WM_COMMAND.
    void Track(HWND owner, POINT point) const;

  private:
    HMENU menu_ = nullptr;
};

}  // namespace vt::shell
