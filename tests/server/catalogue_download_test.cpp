// The generated catalogue, archives and pages as the program fetches them.
#include <gtest/gtest.h>

#include "addons/catalogue_file.h"
#include "archive/extract_archive.h"
#include "archive/zip_writer.h"
#include "net/http_download.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "server_fixture.h"

namespace vt::test {
namespace {

class ServerDownload : public ServerFixture {};

TEST_F(ServerDownload, CatalogueLoadsWithTheProgramsReader) {
    net::HttpDownload download;
    ASSERT_EQ(download.Download(Url("/Config/pluglist.xml"), work_ / "pluglist.xml", false),
              net::kDownloaded);
    addons::Catalogue catalogue;
    ASSERT_TRUE(addons::LoadCatalogue(work_ / "pluglist.xml", catalogue));
    ASSERT_EQ(catalogue.size(), 12u);
    EXPECT_EQ(catalogue[1].Name, platform::Utf8ToLocal("伤害统计"));
    EXPECT_EQ(catalogue[1].Folder, "DamageMeter");
    EXPECT_EQ(catalogue[1].Ver, "12");
    EXPECT_EQ(catalogue[2].Url, Url("/files/2.zip"));

    std::string answer;
    ASSERT_TRUE(net::SecureExchange("", Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"),
                                    "@n28;<bpb723PwktthCpz((3n311!?#%my<!", answer));
    EXPECT_EQ(addons::ReadLocalStamp(work_ / "pluglist.xml"), net::QueryValue(answer, "XMLMD5"));

    // Unchanged on the server: the second download finds the file current.
    net::HttpDownload again;
    EXPECT_EQ(again.Download(Url("/Config/pluglist.xml"), work_ / "pluglist.xml", false),
              net::kAlreadyCurrent);
}

TEST_F(ServerDownload, ArchiveResumesFromAPartialFile) {
    auto full = Client().Get("/files/2.zip");
    ASSERT_TRUE(full);
    ASSERT_EQ(full->status, 200);
    const std::string archive = full->body;
    ASSERT_GT(archive.size(), 100u);
    WriteTestFile(work_ / "2.zip.down", archive.substr(0, archive.size() / 2));

    net::HttpDownload download;
    ASSERT_EQ(download.Download(Url("/files/2.zip"), work_ / "2.zip", false), net::kDownloaded);
    EXPECT_TRUE(download.resuming());
    EXPECT_EQ(ReadTestFile(work_ / "2.zip"), archive);

    // The addon with a main folder and two sub-folders naming it as project.
    const archive::ArchiveReport report = archive::ExtractArchive(work_ / "2.zip", work_.path());
    ASSERT_TRUE(report.Ok());
    for (const char* folder : {"RaidFrames", "RaidFrames_Options", "RaidFrames_Skins"}) {
        const std::string version = ReadTestFile(work_ / (std::string(folder) + "\\tesselver.txt"));
        EXPECT_NE(version.find("## X-Tessel-Project-Name: RaidFrames\r\n"), std::string::npos)
            << folder;
        EXPECT_NE(version.find("## X-Tessel-UpdateVer: 5\r\n"), std::string::npos) << folder;
    }
}

TEST_F(ServerDownload, ArchivesAnswerHeadAndRanges) {
    auto client = Client();
    auto head = client.Head("/files/1.zip");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
    EXPECT_EQ(head->get_header_value("Content-Length"),
              std::to_string(platform::FileSize(root_ / "files\\1.zip")));
    EXPECT_NE(head->get_header_value("Last-Modified").find(" GMT"), std::string::npos);
    EXPECT_TRUE(head->body.empty());

    auto part = client.Get("/files/1.zip", {{"Range", "bytes=10-"}});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, 206);
    EXPECT_EQ(part->body, ReadTestFile(root_ / "files\\1.zip").substr(10));
}

TEST_F(ServerDownload, DemoArchivesAreWellFormed) {
    for (const char* name : {"files\\1.zip", "files\\12.zip", "old\\3.zip", "old\\local_only.zip",
                             "upgrade\\Refitter.zip", "upgrade\\VaelTessel_9126.zip"}) {
        const archive::ArchiveReport report = archive::VerifyZipArchive(root_ / name);
        EXPECT_TRUE(report.Ok()) << name;
        EXPECT_FALSE(report.members.empty()) << name;
    }
    const std::string old = ReadTestFile(root_ / "old\\3.zip");
    EXPECT_NE(old.find("X-Tessel-UpdateVer: 6"), std::string::npos);

    // A flipped byte inside a deflated member is caught by its CRC.
    std::string zip =
        archive::WriteZip({archive::MakeZipMember("a/", "", false),
                           archive::MakeZipMember("a/x.txt", std::string(5000, 'q') + "end")});
    WriteTestFile(work_ / "good.zip", zip);
    EXPECT_TRUE(archive::VerifyZipArchive(work_ / "good.zip").Ok());
    zip[60] ^= 0x40;
    WriteTestFile(work_ / "bad.zip", zip);
    EXPECT_FALSE(archive::VerifyZipArchive(work_ / "bad.zip").Ok());
}

TEST_F(ServerDownload, PagesCallTheScriptBridgeInChinese) {
    auto client = Client();
    struct PageCheck {
        const char* path;
        const char* mustHold;
    } checks[] = {
        {"/Index.aspx", "SwitchTab"},
        {"/Pages/Pluglist.shtml", "AddPlug"},
        {"/Pages/Pluglist.shtml", "ShowPlugDetail"},
        {"/MacroInfo/Index.aspx", "OpenSimulator"},
        {"/Pages/Plug/PlugDetail_2.shtml", "addPlug(2, "},
        {"/Statistics/ZPQStatistics.html", "</html>"},
        {"/Statistics/VAELToolStatistics.html", "</html>"},
        {"/forum.php?mod=forumdisplay&fid=307", "</html>"},
    };
    for (const PageCheck& check : checks) {
        auto res = client.Get(check.path);
        ASSERT_TRUE(res) << check.path;
        EXPECT_EQ(res->status, 200) << check.path;
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=gb2312") << check.path;
        EXPECT_NE(res->body.find("charset=gb2312"), std::string::npos) << check.path;
        EXPECT_NE(res->body.find(check.mustHold), std::string::npos) << check.path;
    }
    auto list = client.Get("/Pages/Pluglist.shtml");
    EXPECT_NE(list->body.find(platform::Utf8ToLocal("团队框架")), std::string::npos);
}

}  // namespace
}  // namespace vt::test
