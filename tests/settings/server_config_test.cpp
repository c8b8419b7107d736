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
    EXPECT_EQ(config.upgrade, "http://upgrade.example");  // a bare host means http
    EXPECT_EQ(config.forum, "https://forum.example");
    EXPECT_TRUE(config.notes.empty());
    EXPECT_EQ(config.chunkPauseMs, -1);
}

TEST(ServerConfigTest, UnusableValuesKeepTheDefaultAndSaySo) {
    test::TempDir program;
    test::WriteTestFile(program / "servers.ini",
                        "[Servers]\r\nCatalogue=127.0.0.1:9000\r\nUpgrade=https://up.example\r\n"
                        "Forum=ftp://forum.example\r\n[Download]\r\nChunkPauseMs=0\r\n");
    const ServerConfig config = LoadServerConfig(program.path());
    // Without a scheme the port is still the one written, not the default's.
    EXPECT_EQ(config.catalogue, "http://127.0.0.1:9000");
    EXPECT_EQ(config.upgrade, DefaultServerConfig().upgrade);  // the exchange speaks http only
    EXPECT_EQ(config.forum, DefaultServerConfig().forum);
    ASSERT_EQ(config.notes.size(), 2u);
    EXPECT_EQ(config.notes[0].key, "Upgrade");
    EXPECT_EQ(config.notes[0].used, DefaultServerConfig().upgrade);
    EXPECT_EQ(config.notes[1].value, "ftp://forum.example");
    EXPECT_EQ(config.chunkPauseMs, 0);

    for (const char* bad : {"-5", "fast", "99999", "1001", "12ms"}) {
        test::WriteTestFile(program / "servers.ini",
                            std::string("[Download]\r\nChunkPauseMs=") + bad + "\r\n");
        const ServerConfig tuned = LoadServerConfig(program.path());
        EXPECT_EQ(tuned.chunkPauseMs, -1) << bad;
        EXPECT_EQ(tuned.notes.size(), 1u) << bad;
    }
    for (const char* bad :
         {"http://", "http://host:0", "http://host:70000", "http://a b", "http://[::1", ":8080"}) {
        test::WriteTestFile(program / "servers.ini",
                            std::string("[Servers]\r\nCatalogue=") + bad + "\r\n");
        EXPECT_EQ(LoadServerConfig(program.path()).catalogue, DefaultServerConfig().catalogue)
            << bad;
    }
}

}  // namespace
}  // namespace vt::settings
