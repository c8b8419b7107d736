#include "shell/main_commands.h"

namespace vt::shell {

MainCommand MainCommandFor(int id) {
    using enum MainAction;
    switch (id) {
        case kCmdSettings:
        case kCmdLinkSettings:
            return {kPathDialog};
        case kCmdHelpMenu:
            return {kHelpMenu};
        case kCmdMinimise:
        case kCmdClose:
            return {kHideWindow};
        case kCmdRefreshLocal:
            return {kRefreshLocal};
        case kCmdRefreshWeb:
            return {kRefreshWeb};
        case kCmdTabHome:
            return {kShowTab, SwitchTabTarget::kHome};
        case kCmdTabPluginLibrary:
            return {kShowTab, SwitchTabTarget::kPluginLibrary};
        case kCmdTabMacroDepot:
            return {kShowTab, SwitchTabTarget::kMacroDepot};
        case kCmdLinkPluginLibrary:
            return {kShowMarkedTab, SwitchTabTarget::kPluginLibrary};
        case kCmdTestHome:
            return {kSwitchTabPost, SwitchTabTarget::kHome};
        case kCmdTestPluginLibrary:
            return {kSwitchTabPost, SwitchTabTarget::kPluginLibrary};
        case kCmdTestMacroDepot:
            return {kSwitchTabPost, SwitchTabTarget::kMacroDepot};
        case kCmdUpdateAll:
            return {kUpdateAll};
        case kCmdDeleteAll:
            return {kDeleteAll};
        case kCmdAddonDirectory:
            return {kAddonDirectory};
        case kCmdStartGame:
        case kMenuStartGame:
            return {kStartGame};
        case kMenuUpgradeCheck:
            return {kUpgradeCheck};
        case kMenuForum:
        case kMenuFeedback:
            return {kOpenForum};
        case kMenuAbout:
            return {kAbout};
        case kMenuToggleWindow:
            return {kToggleWindow};
        case kMenuExit:
            return {kExit};
        default:
            if (id >= kFirstMenuCommand && id <= kLastMenuCommand)
                return {kIgnore};
            return {kNone};
    }
}

std::string SwitchTabName(SwitchTabTarget tab) {
    switch (tab) {
        case SwitchTabTarget::kHome:
            return "tcHome";
        case SwitchTabTarget::kPluginLibrary:
            return "tcPlugLib";
        case SwitchTabTarget::kMacroDepot:
            return "tcMacroDepot";
        case SwitchTabTarget::kNone:
            break;
    }
    return {};
}

RowButtonAction RowButtonActionFor(int code) {
    switch (code) {
        case '<':
            return RowButtonAction::kInstall;
        case '?':
            return RowButtonAction::kDetail;
        case 'A':
            return RowButtonAction::kDelete;
        default:
            return RowButtonAction::kNone;
    }
}

int UpgradeResultText(int status, int userRequested) {
    if (userRequested == 0)
        return 0;
    switch (status) {
        case 0:
            return 135;
        case 2:
        case 3:
            return 136;
        default:
            return 0;
    }
}

}  // namespace vt::shell
