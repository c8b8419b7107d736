#include "shell/server_pages.h"

#include <cstdio>

#include "platform/random.h"
#include "ui/program_strings.h"

namespace vt::shell {

namespace {

// String-table entries of the page paths (ASCII, so the table's UTF-8 text
// is the local text too).
constexpr int kPluginLibraryPage = 170;
constexpr int kHomePage = 194;
constexpr int kMacroDepotPage = 195;
constexpr int kStatisticsPages[] = {188, 189};
constexpr int kDetailPageFormat = 137;
constexpr int kForumPage = 173;

int TabPagePath(SwitchTabTarget tab) {
    switch (tab) {
        case SwitchTabTarget::kHome:
            return kHomePage;
        case SwitchTabTarget::kPluginLibrary:
            return kPluginLibraryPage;
        case SwitchTabTarget::kMacroDepot:
            return kMacroDepotPage;
        case SwitchTabTarget::kNone:
            break;
    }
    return 0;
}

}  // namespace

std::string TabPageUrl(const settings::ServerConfig& servers, SwitchTabTarget tab) {
    const int path = TabPagePath(tab);
    return path == 0 ? std::string() : servers.catalogue + ui::ProgramText(path);
}

std::string RefreshWebUrl(const settings::ServerConfig& servers, SwitchTabTarget selected) {
    std::string url = TabPageUrl(servers, selected);
    if (selected == SwitchTabTarget::kHome)
        url += "?r=" + platform::RandomDigits(4, false);
    return url;
}

std::string StatisticsPageUrl(const settings::ServerConfig& servers, int index) {
    if (index < 0 || index > 1)
        return {};
    return servers.catalogue + ui::ProgramText(kStatisticsPages[index]);
}

std::string DetailPageUrl(const settings::ServerConfig& servers, int32_t id, int state) {
    char path[96];
    std::snprintf(path, sizeof path, ui::ProgramText(kDetailPageFormat), static_cast<int>(id),
                  state);
    return servers.catalogue + path;
}

std::string ForumPageUrl(const settings::ServerConfig& servers) {
    return servers.forum + ui::ProgramText(kForumPage);
}

}  // namespace vt::shell
