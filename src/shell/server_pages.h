// The catalogue and forum server pages the program shows: the three tab
// pages, the Home refresh, the two statistics pages, the detail page and the
// forum page, each a path of the string table on a server of servers.ini.
// Portable.
#pragma once

#include <cstdint>
#include <string>

#include "settings/server_config.h"
#include "shell/bridge_calls.h"

namespace vt::shell {

// The three tab pages in the order the window creates them.
constexpr SwitchTabTarget kTabCreationOrder[] = {
    SwitchTabTarget::kPluginLibrary, SwitchTabTarget::kHome, SwitchTabTarget::kMacroDepot};

// The page of a tab on the catalogue server: Plugin library "/Pages/Pluglist.shtml"
// (string 170), Home "/Index.aspx" (194), Macro depot "/MacroInfo/Index.aspx"
// (195); empty for kNone.
std::string TabPageUrl(const settings::ServerConfig& servers, SwitchTabTarget tab);

// What "刷新Web列表" loads into the selected tab: the Home page with
// "?r=" and four random decimal digits (so no cache answers), the other
// pages unchanged; empty when no tab is selected.
std::string RefreshWebUrl(const settings::ServerConfig& servers, SwitchTabTarget selected);

// The two statistics pages (strings 188 and 189), index 0 or 1.
std::string StatisticsPageUrl(const settings::ServerConfig& servers, int index);

// The detail page of an addon in DetailState state (string 137 with the id
// and the state).
std::string DetailPageUrl(const settings::ServerConfig& servers, int32_t id, int state);

// The forum page of the help and tray menus (strings 173 and 174 name the
// same page) on the forum server.
std::string ForumPageUrl(const settings::ServerConfig& servers);

}  // namespace vt::shell
