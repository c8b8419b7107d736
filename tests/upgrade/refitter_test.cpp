#include "upgrade/refitter.h"

#include <gtest/gtest.h>

#include "net/http_download.h"
#include "net/loopback_server.h"
#include "platform/files.h"
#include "support/temp_dir.h"
#include "updater_archive.h"
#include "upgrade_test_server.h"

namespace vt::upgrade {
namespace {

using test::Member;
using test::ReadTestFile;
using test::UpdaterArchive;
using test::WriteTestFile;

// A module directory with the updater's files, served by a canned server.
class RefitterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.moduleDir = dir_.path();
        settings_.refitterExeName = "Refitter.exe";
        settings_.refitterIniSection = "UpdateVer";
        settings_.refitterIniKey = "ver";
        settings_.refitterIniPath = dir_ / "RefitterVer.ini";
        limits_.downloadTimeoutMs = 2000;
        server_.SetFile("/upgrade/Refitter.zip", UpdaterArchive());
    }
    void InstallUpdater(const std::string& version) {
        WriteTestFile(dir_ / "Refitter.exe", "old updater");
        platform::MakeDirectory(dir_ / "ImageRes");
        if (!version.empty())
            WriteTestFile(dir_ / "RefitterVer.ini", "[UpdateVer]\r\nver=" + version + "\r\n");
    }
    int Ensure(const std::string& required, const std::string& url) {
        return EnsureRefitter(settings_, required, url, limits_, &report_);
    }
    std::string Url() const { return server_.Url("/upgrade/Refitter.zip"); }

    test::TempDir dir_;
    UpgradeSettings settings_;
    UpgradeCheckLimits limits_;
    RefitterReport report_;
    test::UpgradeTestServer server_;
};

TEST_F(RefitterTest, AMissingVersionFileCountsAsTwo) {
    InstallUpdater("");
    EXPECT_EQ(Ensure("2", Url()), kRefitterCurrent);
    EXPECT_EQ(report_.installedVersion, 2);
    EXPECT_TRUE(server_.Gets().empty());
    EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "old updater");

    EXPECT_EQ(Ensure("3", Url()), kRefitterFetched);
    EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "new updater");
    EXPECT_EQ(ReadTestFile(dir_ / "ImageRes\\logo.png"), "png bytes");
    EXPECT_EQ(report_.installedVersion, 2);
    EXPECT_TRUE(report_.unpacked);
    // The archive is gone, and the new version file now says the updater is current.
    EXPECT_FALSE(platform::PathExists(dir_ / "Refitter.exetmp"));
    EXPECT_FALSE(platform::PathExists(dir_ / "Refitter.exetmp.down"));
    EXPECT_EQ(Ensure("5", Url()), kRefitterCurrent);
    EXPECT_EQ(server_.Gets().size(), 1u);
}

TEST_F(RefitterTest, FetchesWhenTheExecutableOrTheImagesAreMissing) {
    InstallUpdater("9");
    EXPECT_EQ(Ensure("5", Url()), kRefitterCurrent);
    platform::RemoveTree(dir_ / "ImageRes");
    EXPECT_EQ(Ensure("5", Url()), kRefitterFetched);
    EXPECT_TRUE(platform::IsDirectory(dir_ / "ImageRes"));

    // A file named ImageRes is no folder of images; the archive cannot make
    // the folder either, so the updater stays incomplete but nothing breaks.
    platform::RemoveTree(dir_ / "ImageRes");
    WriteTestFile(dir_ / "ImageRes", "not a folder");
    EXPECT_EQ(Ensure("5", Url()), kRefitterFetched);
    EXPECT_FALSE(report_.imagesPresent);

    platform::RemoveFile(dir_ / "ImageRes");
    platform::MakeDirectory(dir_ / "ImageRes");
    platform::RemoveFile(dir_ / "Refitter.exe");
    EXPECT_EQ(Ensure("5", Url()), kRefitterFetched);
    EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "new updater");
}

TEST_F(RefitterTest, NeedsAVersionAndAUrl) {
    EXPECT_EQ(Ensure("", Url()), kRefitterNoVersion);
    EXPECT_EQ(Ensure("3", ""), kRefitterNoUrl);
    InstallUpdater("3");
    EXPECT_EQ(Ensure("3", ""), kRefitterCurrent);
    // Version texts are read like atoi: "3abc" is 3, "v9" is 0.
    EXPECT_EQ(Ensure("3abc", ""), kRefitterCurrent);
    EXPECT_EQ(Ensure("v9", ""), kRefitterCurrent);
    EXPECT_EQ(Ensure("4", ""), kRefitterNoUrl);
    EXPECT_TRUE(server_.Gets().empty());
}

TEST_F(RefitterTest, StartsAfreshAndOverwritesReadOnlyFiles) {
    InstallUpdater("1");
    platform::SetAttributes(dir_ / "Refitter.exe", platform::kAttrReadOnly);
    ASSERT_TRUE(platform::IsReadOnly(dir_ / "Refitter.exe"));
    // A leftover partial transfer would be resumed with Range: it is deleted.
    WriteTestFile(dir_ / "Refitter.exetmp.down", "PK\x03\x04 stale partial bytes");
    EXPECT_EQ(Ensure("5", Url()), kRefitterFetched);
    EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "new updater");
    EXPECT_FALSE(platform::IsReadOnly(dir_ / "Refitter.exe"));
    EXPECT_FALSE(platform::PathExists(dir_ / "Refitter.exetmp.down"));
}

TEST_F(RefitterTest, AFailedDownloadChangesNothing) {
    InstallUpdater("1");
    EXPECT_EQ(Ensure("5", server_.Url("/upgrade/missing.zip")), kRefitterDownloadFailed);
    EXPECT_EQ(report_.downloadResult, net::kUnusableAnswer);
    EXPECT_EQ(Ensure("5", "http://127.0.0.1:1/Refitter.zip"), kRefitterDownloadFailed);
    EXPECT_EQ(Ensure("5", "ftp://h/x"), kRefitterDownloadFailed);
    EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "old updater");
}

TEST_F(RefitterTest, ABrokenOrHostileArchiveIsNotUnpacked) {
    InstallUpdater("1");
    std::string damaged = UpdaterArchive("a damaged updater of some length");
    damaged[damaged.find("a damaged") + 3] ^= 0x55;  // fails the member's CRC
    const std::vector<std::pair<std::string, std::string>> archives = {
        {"not a zip", "<html>this is no archive</html>"},
        {"damaged", damaged},
        {"climbing",
         test::BuildZip({Member("Refitter.exe", "evil"), Member("../outside.txt", "escaped")})},
        {"absolute", test::BuildZip({Member("/tmp/tessel-upgrade-absolute.txt", "x")})},
    };
    for (const auto& [what, bytes] : archives) {
        SCOPED_TRACE(what);
        server_.SetFile("/upgrade/Refitter.zip", bytes);
        // The step reports success, as it always does after a download...
        EXPECT_EQ(Ensure("5", Url()), kRefitterFetched);
        EXPECT_FALSE(report_.unpacked);
        // ...but nothing was written, inside the directory or beside it.
        EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "old updater");
        EXPECT_FALSE(platform::PathExists(dir_ / "..\\outside.txt"));
        EXPECT_FALSE(platform::PathExists(dir_ / "Refitter.exetmp"));
    }
    EXPECT_FALSE(platform::PathExists("/tmp/tessel-upgrade-absolute.txt"));
}

TEST_F(RefitterTest, AStalledDownloadEndsWithinTheClientsBounds) {
    InstallUpdater("1");
    // Announces a body and then sends nothing more.
    test::LoopbackServer stall([](int, test::ServerConnection& connection) {
        connection.ReadHead();
        connection.Send(test::AnswerHead("200 OK", "Content-Length: 100000\r\n") + "PK");
        connection.ReadExactly(1, 3000);
    });
    limits_.downloadTimeoutMs = 300;
    EXPECT_EQ(Ensure("5", stall.Url("/Refitter.zip")), kRefitterDownloadFailed);
    EXPECT_EQ(ReadTestFile(dir_ / "Refitter.exe"), "old updater");
}

}  // namespace
}  // namespace vt::upgrade
