// The deployment an operator runs, on loopback: nginx with the configuration
// of tools/server/deploy in front of two tessel-server processes that share a
// Redis count store. The program's own client code walks the catalogue,
// archive and upgrade paths through nginx; hostile clients meet nginx's
// bounds. The fixture (local-deployment.sh) writes the ports into the file
// TESSEL_DEPLOYMENT names; without it these tests are skipped.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "addons/catalogue_file.h"
#include "archive/extract_archive.h"
#include "net/http_download.h"
#include "platform/files.h"
#include "platform/system.h"
#include "server/exchange_client.h"
#include "server/raw_client.h"
#include "support/temp_dir.h"

namespace vt::test {
namespace {

class Deployment : public testing::Test {
  protected:
    void SetUp() override {
        std::string text;
        const std::string path = platform::GetEnv("TESSEL_DEPLOYMENT");
        if (path.empty() || !platform::ReadWholeFile(path, text))
            GTEST_SKIP() << "the server_deployment fixture is not running";
        std::istringstream lines(text);
        std::string line;
        std::map<std::string, std::string> values;
        while (std::getline(lines, line)) {
            const size_t equals = line.find('=');
            if (equals != std::string::npos)
                values[line.substr(0, equals)] = line.substr(equals + 1);
        }
        nginx_ = std::stoi(values["NGINX_PORT"]);
        std::istringstream ports(values["SERVER_PORTS"]);
        for (int port; ports >> port;)
            servers_.push_back(port);
        root_ = values["ROOT"] + "/";
        ASSERT_EQ(servers_.size(), 2u);
    }

    std::string Front(const std::string& path = "") const {
        return "http://127.0.0.1:" + std::to_string(nginx_) + path;
    }
    static std::string Direct(int port) { return "http://127.0.0.1:" + std::to_string(port); }
    static httplib::Client Client(int port) {
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(10, 0);
        client.set_read_timeout(10, 0);
        return client;
    }
    // One count line of a process's status page ("  7 10" gives 10), 0 when absent.
    static long StatusCount(int port, const std::string& key) {
        auto status = Client(port).Get("/Status");
        if (!status || status->status != 200)
            return -1;
        const size_t at = status->body.find("\n  " + key + " ");
        return at == std::string::npos ? 0 : std::stol(status->body.substr(at + key.size() + 4));
    }
    void ExpectServedNormally() {
        auto page = Client(nginx_).Get("/Pages/Pluglist.shtml");
        ASSERT_TRUE(page) << "a normal client got no answer";
        EXPECT_EQ(page->status, 200);
        EXPECT_EQ(AskStamp(Front()).size(), 32u);
    }

    int nginx_ = 0;
    std::vector<int> servers_;
    std::string root_;
    TempDir work_;
};

TEST_F(Deployment, CatalogueAndStampAgreeAcrossProcesses) {
    net::HttpDownload download;
    ASSERT_EQ(download.Download(Front("/Config/pluglist.xml"), work_ / "pluglist.xml", true),
              net::kDownloaded);
    addons::Catalogue catalogue;
    ASSERT_TRUE(addons::LoadCatalogue(work_ / "pluglist.xml", catalogue));
    EXPECT_GE(catalogue.size(), 12u);
    EXPECT_EQ(catalogue[2].Url, Front("/files/2.zip"));

    // Every process gives the stamp of the document, whichever nginx picks.
    const std::string stamp = addons::ReadLocalStamp(work_ / "pluglist.xml");
    ASSERT_EQ(stamp.size(), 32u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(AskStamp(Front()), stamp);
    for (int port : servers_)
        EXPECT_EQ(AskStamp(Direct(port)), stamp);

    // A new list, put in place whole, is seen by all of them at once.
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(root_ + "catalogue.txt", text));
    // An Id no earlier run of this test added: one more than the lines so far.
    const std::string id = std::to_string(100 + std::count(text.begin(), text.end(), '\n'));
    text += id + "\t1\tNewAddon" + id + "\tNew addon\n";
    ASSERT_TRUE(platform::WriteWholeFile(root_ + "catalogue.txt.new", text));
    ASSERT_TRUE(platform::RenamePath(root_ + "catalogue.txt.new", root_ + "catalogue.txt", true));
    const std::string changed = AskStamp(Direct(servers_[0]));
    EXPECT_NE(changed, stamp);
    EXPECT_EQ(AskStamp(Direct(servers_[1])), changed);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(AskStamp(Front()), changed);
    ASSERT_EQ(download.Download(Front("/Config/pluglist.xml"), work_ / "pluglist.xml", true),
              net::kDownloaded);
    EXPECT_EQ(addons::ReadLocalStamp(work_ / "pluglist.xml"), changed);
}

TEST_F(Deployment, ArchivesComeFromNginxWithRanges) {
    const std::string archive = ReadTestFile(root_ + "files/2.zip");
    ASSERT_GT(archive.size(), 1000u);
    WriteTestFile(work_ / "2.zip.down", archive.substr(0, archive.size() / 3));
    net::HttpDownload download;
    ASSERT_EQ(download.Download(Front("/files/2.zip"), work_ / "2.zip", false), net::kDownloaded);
    EXPECT_TRUE(download.resuming());
    EXPECT_EQ(ReadTestFile(work_ / "2.zip"), archive);
    EXPECT_TRUE(archive::ExtractArchive(work_ / "2.zip", work_.path()).Ok());

    // nginx answers from the file (its entity tag, the caching rule), one
    // range at a time.
    auto client = Client(nginx_);
    auto part = client.Get("/files/2.zip", {{"Range", "bytes=10-19"}});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, 206);
    EXPECT_EQ(part->body, archive.substr(10, 10));
    EXPECT_FALSE(part->get_header_value("ETag").empty());
    EXPECT_EQ(part->get_header_value("Cache-Control"), "public, no-cache");
    std::string ranges = "bytes=";
    for (int i = 0; i < 150; ++i)
        ranges += "0-20971519,";
    auto many = client.Get("/files/2.zip", {{"Range", ranges}});
    ASSERT_TRUE(many);
    EXPECT_EQ(many->status, 200);
    EXPECT_EQ(many->body.size(), archive.size());

    for (const char* path : {"/files/../catalogue.txt", "/files/%2e%2e/catalogue.txt",
                             "/files/.hidden.zip", "/files/2.zip/..", "/upgrade/..",
                             "/catalogue.txt", "/upgrade.txt", "/old/3.zip", "/files/99.zip"}) {
        auto res = client.Get(path);
        ASSERT_TRUE(res) << path;
        EXPECT_EQ(res->status, 404) << path;
        EXPECT_EQ(res->body.find("Id\tVer"), std::string::npos) << path;
    }
}

TEST_F(Deployment, UpgradeExchangeAndPackages) {
    auto fields = AskUpgrade(Front(), "toolsign=vael");
    EXPECT_EQ(fields["code"], "100");
    EXPECT_EQ(fields["softVer"], "9126");
    ASSERT_EQ(fields["updSoftDownUrlV2"], Front("/upgrade/Refitter.zip"));
    net::HttpDownload download;
    ASSERT_EQ(download.Download(fields["updSoftDownUrlV2"], work_ / "Refitter.zip", true),
              net::kDownloaded);
    EXPECT_TRUE(archive::VerifyZipArchive(work_ / "Refitter.zip").Ok());
    EXPECT_EQ(AskUpgrade(Front(), "toolsign=other")["code"], "404");
}

TEST_F(Deployment, CountsAreSharedByAllProcesses) {
    const long pingsBefore = StatusCount(servers_[0], "7");
    const long loadsBefore = StatusCount(servers_[1], "ZPQStatistics");
    // nginx spreads these over both processes.
    for (int i = 0; i < 10; ++i) {
        std::string form, answer;
        net::AppendQueryParam(form, "PlugId", "7");
        ASSERT_TRUE(net::SecureExchange(form, Front("/Interfaces/StatisticsPlugPopu.aspx"),
                                        kCatalogueKey, answer));
        EXPECT_EQ(answer, "code=100");
    }
    for (int i = 0; i < 3; ++i) {
        auto page = Client(nginx_).Get("/Statistics/ZPQStatistics.html");
        ASSERT_TRUE(page);
        EXPECT_EQ(page->status, 200);
    }
    for (int port : servers_) {
        EXPECT_EQ(StatusCount(port, "7"), pingsBefore + 10) << port;
        EXPECT_EQ(StatusCount(port, "ZPQStatistics"), loadsBefore + 3) << port;
    }
    auto status = Client(nginx_).Get("/Status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->body.find("count store: redis 127.0.0.1:"), std::string::npos);
}

TEST_F(Deployment, NginxBoundsHostileClients) {
    // Each attack comes from its own loopback address; the normal client,
    // 127.0.0.1, is spared the per-client limits by the fixture.
    RawClient chunked(nginx_, "127.0.0.2");
    ASSERT_TRUE(
        chunked.Send("POST /Interfaces/StatisticsPlugPopu.aspx HTTP/1.1\r\nHost: x\r\n"
                     "Transfer-Encoding: chunked\r\n\r\n"));
    const std::string chunk = "10000\r\n" + std::string(0x10000, 'A') + "\r\n";
    EXPECT_TRUE(chunked.StreamUntilAnswered([&] { return chunk; }, int64_t{400} << 20));
    EXPECT_EQ(chunked.ReadStatus(), 413);
    EXPECT_LT(chunked.sent(), int64_t{32} << 20);

    RawClient headers(nginx_, "127.0.0.3");
    ASSERT_TRUE(headers.Send("GET /Index.aspx HTTP/1.1\r\nHost: x\r\n"));
    const std::string line = "X-Flood: " + std::string(8000, 'a') + "\r\n";
    EXPECT_TRUE(headers.StreamUntilAnswered([&] { return line; }, int64_t{305} << 20));
    const int status = headers.ReadStatus();
    EXPECT_TRUE(status == 400 || status == 431 || status == 494) << status;
    EXPECT_LT(headers.sent(), int64_t{32} << 20);
    ExpectServedNormally();

    // Trickling clients wait in nginx, not in the processes.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 32; ++i) {
        slow.push_back(std::make_unique<RawClient>(nginx_, "127.0.0.4"));
        slow.back()->Send("POST /Interfaces/IGetPlugXmlConfigInfo.aspx HTTP/1.1\r\nHost: x\r\n");
    }
    ExpectServedNormally();

    // A burst of exchanges from one client runs into its rate limit; the
    // requests are sent together so that the refill during the burst stays
    // small next to it.
    std::atomic<int> limited{0}, answered{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < 8; ++t) {
        senders.emplace_back([&] {
            for (int i = 0; i < 40; ++i) {
                RawClient client(nginx_, "127.0.0.5");
                client.Send(
                    "POST /Interfaces/IGetPlugXmlConfigInfo.aspx HTTP/1.1\r\nHost: x\r\n"
                    "Content-Length: 6\r\nConnection: close\r\n\r\ndata=x");
                const int code = client.ReadStatus();
                (code == 429 ? limited : answered) += 1;
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_GT(limited.load(), 0);
    EXPECT_GT(answered.load(), 0);
    ExpectServedNormally();
}

}  // namespace
}  // namespace vt::test
