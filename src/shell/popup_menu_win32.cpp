#include "shell/popup_menu.h"

#include <utility>

namespace vt::shell {

CPopupMenu::CPopupMenu(const std::vector<MenuEntry>& entries, const std::vector<std::string>& texts)
    : menu_(::CreatePopupMenu()) {
    if (menu_ == nullptr)
        return;
    for (const MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            ::AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const size_t index = static_cast<size_t>(entry.textIndex);
        const std::string text = index < texts.size() ? texts[index] : std::string();
        ::AppendMenuA(menu_, MF_STRING, static_cast<UINT_PTR>(entry.command), text.c_str());
    }
}

CPopupMenu::~CPopupMenu() {
    if (menu_ != nullptr)
        ::DestroyMenu(menu_);
}

CPopupMenu::CPopupMenu(CPopupMenu&& other) noexcept : menu_(std::exchange(other.menu_, nullptr)) {}

CPopupMenu& CPopupMenu::operator=(CPopupMenu&& other) noexcept {
    if (this != &other) {
        if (menu_ != nullptr)
            ::DestroyMenu(menu_);
        menu_ = std::exchange(other.menu_, nullptr);
    }
    return *this;
}

void CPopupMenu::Track(HWND owner, POINT point) const {
    if (menu_ == nullptr)
        return;
    ::TrackPopupMenu(menu_, 0, point.x, point.y, 0, owner, nullptr);
    // The menu closes on a click elsewhere only after its owner has seen a
    // message of its own.
    ::PostMessageA(owner, WM_NULL, 0, 0);
}

}  // namespace vt::shell
