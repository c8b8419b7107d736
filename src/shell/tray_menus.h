// The texts of the tray icon and of the two menus: the seven item texts of
// string 106, which of them each menu shows with which command, and the tip
// over the icon cut to what the notification area carries. Portable.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vt::shell {

// The seven item texts of string 106, split at "|": 0 forum, 1 feedback,
// 2 upgrade, 3 version information, 4 show/hide, 5 start game, 6 exit.
// Missing pieces are empty, so every index below is always valid.
constexpr int kMenuTextCount = 7;
std::vector<std::string> SplitMenuTexts(std::string_view text);

// One item of a popup menu: a text of SplitMenuTexts with its command, or a
// separator.
struct MenuEntry {
    int textIndex = -1;  // -1 for a separator
    int command = 0;
    bool IsSeparator() const { return textIndex < 0; }
};

// The tray menu, built once: show/hide, start game, feedback, exit.
std::vector<MenuEntry> TrayMenuEntries();
// The help menu, built at each click: forum, feedback, upgrade, a separator,
// version information.
std::vector<MenuEntry> HelpMenuEntries();

// The tip a CTrayIcon keeps (at most 255 bytes) and the one the notification
// carries (at most 127 bytes, the size of its buffer less the terminator).
constexpr size_t kTooltipMaxBytes = 255;
constexpr size_t kNotifyTipMaxBytes = 127;
// text cut to at most maxBytes bytes of the local code page (GBK) without
// splitting a double-byte character, so the cut never leaves half a
// character at the end.
std::string CutLocalText(std::string_view text, size_t maxBytes);

}  // namespace vt::shell
