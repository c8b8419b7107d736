#include "settings/server_config.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vt::settings {
namespace {

TEST(ServerConfigTest, ValuesOverrideDefaultsOnlyWhenTheyNameAServer) {
    test::TempDir program;
    EXPECT_EQ(LoadServerConfig(program.path()).catalogue, DefaultServerConfig().catalogue);
    test::WriteTestFile(
        program / "servers.ini",
        "[Servers]\r\nCatalogue = http://127.0.0.1:9000//\r\nUpgrade=upgrade.example\r\n"
        "Forum=\"https://forum.example\"\r\n");
    const ServerConfig config = LoadServerConfig(program.path());
    EXPECT_EQ(config.catalogue, "http://127.0.0.1:9000");
    EXPECT_EQ(config.upgrade, DefaultServerConfig().upgrade);  // no scheme: not a server address
    EXPECT_EQ(config.forum, "https://forum.example");
}

}  // namespace
}  // namespace vt::settings
