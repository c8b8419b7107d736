#include "shell/server_pages.h"

#include <gtest/gtest.h>

#include <set>

namespace vt::shell {
namespace {

settings::ServerConfig Servers() {
    settings::ServerConfig servers;
    servers.catalogue = "http://127.0.0.1:8123";
    servers.upgrade = "http://127.0.0.1:8124";
    servers.forum = "http://127.0.0.1:8125";
    return servers;
}

TEST(ServerPages, TabsStatisticsAndForumOnTheirServers) {
    const settings::ServerConfig servers = Servers();
    EXPECT_EQ(TabPageUrl(servers, SwitchTabTarget::kHome), "http://127.0.0.1:8123/Index.aspx");
    EXPECT_EQ(TabPageUrl(servers, SwitchTabTarget::kPluginLibrary),
              "http://127.0.0.1:8123/Pages/Pluglist.shtml");
    EXPECT_EQ(TabPageUrl(servers, SwitchTabTarget::kMacroDepot),
              "http://127.0.0.1:8123/MacroInfo/Index.aspx");
    EXPECT_EQ(TabPageUrl(servers, SwitchTabTarget::kNone), "");
    EXPECT_EQ(StatisticsPageUrl(servers, 0), "http://127.0.0.1:8123/Statistics/ZPQStatistics.html");
    EXPECT_EQ(StatisticsPageUrl(servers, 1),
              "http://127.0.0.1:8123/Statistics/VAELToolStatistics.html");
    EXPECT_EQ(StatisticsPageUrl(servers, 2), "");
    EXPECT_EQ(ForumPageUrl(servers), "http://127.0.0.1:8125/forum.php?mod=forumdisplay&fid=307");
}

TEST(ServerPages, HomeRefreshBustsTheCacheTheOthersReloadAsTheyAre) {
    const settings::ServerConfig servers = Servers();
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const std::string url = RefreshWebUrl(servers, SwitchTabTarget::kHome);
        const std::string prefix = "http://127.0.0.1:8123/Index.aspx?r=";
        ASSERT_EQ(url.substr(0, prefix.size()), prefix);
        const std::string digits = url.substr(prefix.size());
        EXPECT_EQ(digits.size(), 4u) << url;
        EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << url;
        seen.insert(digits);
    }
    // Reseeded per call with a changing counter: refreshes do not repeat.
    EXPECT_GT(seen.size(), 10u);
    EXPECT_EQ(RefreshWebUrl(servers, SwitchTabTarget::kPluginLibrary),
              TabPageUrl(servers, SwitchTabTarget::kPluginLibrary));
    EXPECT_EQ(RefreshWebUrl(servers, SwitchTabTarget::kMacroDepot),
              TabPageUrl(servers, SwitchTabTarget::kMacroDepot));
    EXPECT_EQ(RefreshWebUrl(servers, SwitchTabTarget::kNone), "");
}

TEST(ServerPages, DetailPageCarriesIdAndState) {
    const settings::ServerConfig servers = Servers();
    EXPECT_EQ(DetailPageUrl(servers, 42, 2),
              "http://127.0.0.1:8123/Pages/Plug/PlugDetail_42.shtml#2");
    EXPECT_EQ(DetailPageUrl(servers, 19999, 1),
              "http://127.0.0.1:8123/Pages/Plug/PlugDetail_19999.shtml#1");
    EXPECT_EQ(DetailPageUrl(servers, -2147483647 - 1, 0),
              "http://127.0.0.1:8123/Pages/Plug/PlugDetail_-2147483648.shtml#0");
}

}  // namespace
}  // namespace vt::shell
