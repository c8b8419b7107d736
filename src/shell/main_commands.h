// What the main window's commands, row buttons and upgrade results mean:
// the command table of the window's buttons, links and menus, the codes of
// the list's row buttons and the message a finished upgrade check shows.
// Portable, so the routing is tested natively; the window only carries the
// actions out (tessel_dlg.h).
#pragma once

#include <string>

#include "shell/bridge_calls.h"

namespace vt::shell {

// Command ids of the main window's controls and of both menus.
enum MainCommandId : int {
    kCmdSettings = 1000,
    kCmdHelpMenu = 1001,
    kCmdMinimise = 1002,
    kCmdRefreshLocal = 1004,
    kCmdRefreshWeb = 1005,
    kCmdTabPluginLibrary = 1006,
    kCmdUpdateAll = 1007,
    kCmdDeleteAll = 1008,
    kCmdAddonDirectory = 1009,
    kCmdStartGame = 1010,
    kCmdTestHome = 1012,
    kCmdTestPluginLibrary = 1013,
    kCmdTestMacroDepot = 1014,
    kCmdClose = 1015,
    kCmdTabHome = 1016,
    kCmdLinkSettings = 1017,
    kCmdLinkPluginLibrary = 1018,
    kCmdTabMacroDepot = 1022,
    kMenuUpgradeCheck = 32772,
    kMenuForum = 32775,
    kMenuAbout = 32777,
    kMenuToggleWindow = 32778,
    kMenuExit = 32779,
    kMenuStartGame = 32780,
    kMenuFeedback = 32781,
};

// The first and last id of the menu command range; ids in it without an
// action do nothing.
constexpr int kFirstMenuCommand = 32772;
constexpr int kLastMenuCommand = 32781;

enum class MainAction {
    kNone,            // not a command of the window: default handling
    kIgnore,          // a menu id without an action: handled, nothing done
    kPathDialog,      // the path dialog, then ReloadAll after OK
    kHelpMenu,        // the help menu at the pointer
    kHideWindow,      // minimise, then hide; the program keeps running
    kRefreshLocal,    // ReloadAll
    kRefreshWeb,      // reload the selected tab's page
    kShowTab,         // show tab (the radio button checks itself)
    kShowMarkedTab,   // show tab and mark its button as selected
    kSwitchTabPost,   // post UM_SWITCH_TAB with the tab's page name, as a page script
    kUpdateAll,       // confirm 121, then post an install for every update
    kDeleteAll,       // confirm 124, then empty the addon directory
    kAddonDirectory,  // open the addon directory (the path dialog without a game)
    kStartGame,       // the game launch
    kUpgradeCheck,    // a check the user asked for
    kOpenForum,       // the forum page in the user's browser
    kAbout,           // the about box
    kToggleWindow,    // show or hide the window
    kExit,            // the orderly exit
};

struct MainCommand {
    MainAction action = MainAction::kNone;
    SwitchTabTarget tab = SwitchTabTarget::kNone;  // for the tab actions
};

// The action of a WM_COMMAND id of the main window.
MainCommand MainCommandFor(int id);

// The page name UM_SWITCH_TAB carries for a tab ("tcHome", "tcPlugLib",
// "tcMacroDepot"); empty for kNone.
std::string SwitchTabName(SwitchTabTarget tab);

// The row buttons of the installed-addons list ("_KXBUTTONCLICK" codes).
enum class RowButtonAction {
    kNone,     // '>' (enable/disable), '@' (cancel) and unknown codes
    kInstall,  // '<': post UM_INSTALL_ADDON (id, 0)
    kDetail,   // '?': send UM_SHOW_ADDON_DETAIL (id)
    kDelete,   // 'A': delete one addon after the busy test and a confirmation
};
RowButtonAction RowButtonActionFor(int code);

// The string-table entry UM_UPGRADE_RESULT shows: nothing (0) for a check
// the program made by itself (userRequested 0) or for status 1 (the updater
// took over) and unknown ones; 135 "up to date" for status 0; 136 "server
// busy" for statuses 2 and 3.
int UpgradeResultText(int status, int userRequested);

// The detail popup's ids: from this id on, an addon has no detail page
// (local folders the catalogue does not know).
constexpr int kFirstIdWithoutDetails = 20000;
inline bool HasDetailPage(int id) {
    return id < kFirstIdWithoutDetails;
}

}  // namespace vt::shell
