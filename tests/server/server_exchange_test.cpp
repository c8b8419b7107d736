// The server's encrypted interfaces, driven by the program's own client code.
#include <gtest/gtest.h>

#include <map>

#include "exchange_client.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "server_fixture.h"
#include "support/temp_dir.h"
#include "upgrade_config.h"

namespace vt::test {
namespace {

std::string XmlStamp(const std::string& xml) {
    const size_t start = xml.find("<ver>"), end = xml.find("</ver>");
    return start == std::string::npos || end == std::string::npos
               ? ""
               : xml.substr(start + 5, end - start - 5);
}

class ServerExchange : public ServerFixture {
  protected:
    std::string FetchXml() {
        auto res = Client().Get("/Config/pluglist.xml");
        return res && res->status == 200 ? res->body : "";
    }
    std::map<std::string, std::string> AskUpgrade(const std::string& form) {
        return test::AskUpgrade(Url(""), form);
    }
};

TEST_F(ServerExchange, StampAnswerFollowsTheCatalogue) {
    std::string answer;
    ASSERT_TRUE(net::SecureExchange("", Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"),
                                    kCatalogueKey, answer));
    const std::string stamp = net::QueryValue(answer, "XMLMD5");
    EXPECT_EQ(stamp.size(), 32u);
    EXPECT_EQ(stamp, XmlStamp(FetchXml()));

    // A changed list gets a new stamp, in the file and in the answer.
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(root_ / "catalogue.txt", text));
    ASSERT_TRUE(
        platform::WriteWholeFile(root_ / "catalogue.txt", text + "13\t1\tNewAddon\t新插件\n"));
    platform::SetModifiedTime(root_ / "catalogue.txt",
                              platform::GetModifiedTime(root_ / "catalogue.txt") + 20000000);
    ASSERT_TRUE(net::SecureExchange("", Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"),
                                    kCatalogueKey, answer));
    const std::string changed = net::QueryValue(answer, "XMLMD5");
    EXPECT_NE(changed, stamp);
    const std::string xml = FetchXml();
    EXPECT_EQ(changed, XmlStamp(xml));
    EXPECT_NE(xml.find("Folder=\"NewAddon\""), std::string::npos);
}

TEST_F(ServerExchange, UsagePingsAreCounted) {
    for (int id : {3, 3, 5}) {
        std::string form, answer;
        net::AppendQueryParam(form, "PlugId", std::to_string(id));
        ASSERT_TRUE(net::SecureExchange(form, Url("/Interfaces/StatisticsPlugPopu.aspx"),
                                        kCatalogueKey, answer));
        EXPECT_EQ(answer, "code=100");
    }
    EXPECT_EQ(tessel_->UsageCounts(), (std::map<int, long>{{3, 2}, {5, 1}}));
    auto status = Client().Get("/Status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->body.find("  3 2\n"), std::string::npos) << status->body;
}

TEST_F(ServerExchange, UpgradeReplyCarriesTheConfiguredFields) {
    auto fields = AskUpgrade("toolsign=vael");
    EXPECT_EQ(fields["code"], "100");
    EXPECT_EQ(fields["softVer"], "9126");
    EXPECT_EQ(fields["updSoftVerV2"], "3");
    EXPECT_EQ(fields["softDownUrl"], Url("/upgrade/VaelTessel_9126.zip"));
    EXPECT_EQ(fields["updSoftDownUrlV2"], Url("/upgrade/Refitter.zip"));
    EXPECT_EQ(fields["softUpDate"], "2026-12-01");
    EXPECT_EQ(fields["softUpDesc"],
              platform::Utf8ToLocal("1. 新增插件详情页；2. 修复更新全部时的卡顿。"));
    for (const char* path : {"/upgrade/VaelTessel_9126.zip", "/upgrade/Refitter.zip"}) {
        auto res = Client().Get(path);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << path;
    }
    EXPECT_EQ(AskUpgrade("toolsign=other")["code"], "404");

    // A description too long for the module's 4096-byte reply is shortened.
    ASSERT_TRUE(platform::WriteWholeFile(
        root_ / "upgrade.txt", "softVer=9200\nsoftUpDesc=" + std::string(9000, 'x') + "\n"));
    fields = AskUpgrade("toolsign=vael");
    EXPECT_EQ(fields["softVer"], "9200");
    EXPECT_GT(fields["softUpDesc"].size(), 100u);
    EXPECT_LT(fields["softUpDesc"].size(), 1024u);
}

TEST_F(ServerExchange, APublishedBuildIsOfferedWithItsFiles) {
    test::TempDir dist;
    ASSERT_TRUE(platform::WriteWholeFile(
        dist / "release.txt",
        "version=9127\npackage=VaelTessel-1.2.0.9127.zip\nupdaterVersion=4\n"
        "updater=Refitter.zip\ndate=2026-12-09\ndescription=Signed releases\n"));
    for (const char* file : {"VaelTessel-1.2.0.9127.zip", "VaelTessel-1.2.0.9127.zip.sig",
                             "VaelTessel-1.2.0.9127-setup.exe", "Refitter.zip"})
        ASSERT_TRUE(platform::WriteWholeFile(dist / file, std::string("bytes of ") + file));
    std::string error;
    ASSERT_TRUE(server::PublishBuild(root_.path(), dist.path(), error)) << error;

    auto fields = AskUpgrade("toolsign=vael");
    EXPECT_EQ(fields["softVer"], "9127");
    EXPECT_EQ(fields["softDownUrl"], Url("/upgrade/VaelTessel-1.2.0.9127.zip"));
    EXPECT_EQ(fields["softHandworkDownUrl"], Url("/upgrade/VaelTessel-1.2.0.9127-setup.exe"));
    EXPECT_EQ(fields["updSoftVerV2"], "4");
    EXPECT_EQ(fields["updSoftDownUrlV2"], Url("/upgrade/Refitter.zip"));
    EXPECT_EQ(fields["softUpDesc"], "Signed releases");
    EXPECT_EQ(fields["softUpDate"], "2026-12-09");
    // The signature is served beside the package, as the updater asks for it.
    auto signature = Client().Get("/upgrade/VaelTessel-1.2.0.9127.zip.sig");
    ASSERT_TRUE(signature);
    EXPECT_EQ(signature->body, "bytes of VaelTessel-1.2.0.9127.zip.sig");

    // A build whose files are missing or misnamed changes nothing.
    const std::string offer = test::ReadTestFile(root_ / "upgrade.txt");
    platform::RemoveFile(dist / "VaelTessel-1.2.0.9127.zip.sig");
    EXPECT_FALSE(server::PublishBuild(root_.path(), dist.path(), error));
    EXPECT_NE(error.find(".sig"), std::string::npos) << error;
    ASSERT_TRUE(platform::WriteWholeFile(
        dist / "release.txt",
        "version=9128\npackage=../evil.zip\nupdaterVersion=4\nupdater=Refitter.zip\n"));
    EXPECT_FALSE(server::PublishBuild(root_.path(), dist.path(), error));
    ASSERT_TRUE(platform::WriteWholeFile(dist / "release.txt", "version=latest\n"));
    EXPECT_FALSE(server::PublishBuild(root_.path(), dist.path(), error));
    EXPECT_EQ(test::ReadTestFile(root_ / "upgrade.txt"), offer);
}

TEST_F(ServerExchange, BadRequestsGetErrorAnswers) {
    std::string answer;
    int status = 0;
    EXPECT_EQ(net::RunSecureExchange("", Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"), "wrong key",
                                     answer, &status),
              net::ExchangeStatus::kPostFailed);
    EXPECT_EQ(status, 400);

    auto client = Client();
    const char* const bodies[] = {
        "",        "data=",      "data=xyz", "data=0123456789ABCDEF0123456789ABCDEF0123",
        "other=1", "data=%00%01"};
    for (const char* body : bodies) {
        auto res = client.Post("/Interfaces/StatisticsPlugPopu.aspx", body,
                               "application/x-www-form-urlencoded");
        ASSERT_TRUE(res) << body;
        EXPECT_EQ(res->status, 400) << body;
    }
    auto huge = client.Post("/Interfaces/gettoolver.aspx", "data=" + std::string(400 * 1024, 'A'),
                            "application/x-www-form-urlencoded");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->status, 413);

    const std::string secret = "do not serve";
    ASSERT_TRUE(platform::WriteWholeFile(work_ / "secret.zip", secret));
    const char* const paths[] = {"/files/../catalogue.txt",
                                 "/files/..%2Fcatalogue.txt",
                                 "/files/%2e%2e/catalogue.txt",
                                 "/upgrade/..",
                                 "/upgrade/.hidden",
                                 "/files/1.zip/..",
                                 "/files//etc/passwd",
                                 "/nothing/here",
                                 "/Pages/Plug/PlugDetail_999.shtml",
                                 "/Pages/Plug/PlugDetail_99999999999999.shtml"};
    for (const char* path : paths) {
        auto res = client.Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 404) << path;
        EXPECT_EQ(res->body.find("Id\tVer"), std::string::npos) << path;
    }
    // Still serving after all that.
    ASSERT_TRUE(net::SecureExchange("", Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"),
                                    kCatalogueKey, answer));
}

}  // namespace
}  // namespace vt::test
