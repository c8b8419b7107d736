// The download client against real peers started by the net_peers fixture
// (tests/net/peers.sh): nginx, dante (SOCKS4/5) and tinyproxy. The fixture
// writes the ports into the file TESSEL_NET_PEERS names; without it these
// tests are skipped.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "net/http_date.h"
#include "net/http_download.h"
#include "net/loopback_server.h"
#include "platform/files.h"
#include "platform/system.h"
#include "support/temp_dir.h"

namespace vt::net {
namespace {

using test::PatternBytes;
using test::ReadTestFile;
using test::TempDir;
using test::WriteTestFile;

std::map<std::string, int> LoadPeers() {
    std::map<std::string, int> ports;
    std::string text;
    const std::string path = platform::GetEnv("TESSEL_NET_PEERS");
    if (path.empty() || !platform::ReadWholeFile(path, text))
        return ports;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            ports[line.substr(0, equals)] = std::stoi(line.substr(equals + 1));
    }
    return ports;
}

class PeerDownload : public testing::Test {
  protected:
    void SetUp() override {
        ports_ = LoadPeers();
        if (ports_.count("NGINX_PORT") == 0)
            GTEST_SKIP() << "the net_peers fixture is not running";
        download_.connectTimeout = 3000;
        download_.sendTimeout = 3000;
        download_.receiveTimeout = 3000;
        download_.chunkPauseMs = 0;
    }
    std::string Url(const std::string& path, const std::string& host = "127.0.0.1") {
        return "http://" + host + ":" + std::to_string(ports_["NGINX_PORT"]) + path;
    }
    void UseProxy(int type, const char* portKey) {
        download_.proxyType = type;
        download_.proxyHost = "127.0.0.1";
        download_.proxyPort = static_cast<uint16_t>(ports_[portKey]);
    }

    std::map<std::string, int> ports_;
    HttpDownload download_;
    TempDir dir_;
};

TEST_F(PeerDownload, FetchesStampsAndKnowsWhenCurrent) {
    const std::string target = dir_ / "medium.bin";
    std::vector<int64_t> done;
    download_.SetNotify([&](const DownloadProgress& p) { done.push_back(p.doneSize); }, 5, -1, -1,
                        true);
    ASSERT_EQ(download_.Download(Url("/files/medium.bin"), target, false), kDownloaded);
    EXPECT_TRUE(ReadTestFile(target) == PatternBytes(300000));
    EXPECT_EQ(done.back(), 300000);
    EXPECT_EQ(platform::FileTimeToUnixTime(platform::GetModifiedTime(target)),
              ParseHttpDate("Tue, 15 Jun 2010 10:00:00 GMT"));

    done.clear();
    EXPECT_EQ(download_.Download(Url("/files/medium.bin"), target, false), kAlreadyCurrent);
    EXPECT_TRUE(done.empty());
    EXPECT_EQ(download_.Download(Url("/files/medium.bin"), target, true), kDownloaded);
    EXPECT_TRUE(ReadTestFile(target) == PatternBytes(300000));
}

TEST_F(PeerDownload, ResumesAndRecoversFromRefusedRanges) {
    const std::string target = dir_ / "medium.bin";
    WriteTestFile(target + ".down", PatternBytes(100000));
    ASSERT_EQ(download_.Download(Url("/files/medium.bin"), target, false), kDownloaded);
    EXPECT_TRUE(download_.resuming());
    EXPECT_EQ(download_.totalSize(), 300000);
    EXPECT_TRUE(ReadTestFile(target) == PatternBytes(300000));

    // Longer than the file: nginx answers 416, the stale file goes, a full
    // transfer follows.
    WriteTestFile(dir_ / "small.bin.down", std::string(5000, 'x'));
    ASSERT_EQ(download_.Download(Url("/files/small.bin"), dir_ / "small.bin", false), kDownloaded);
    EXPECT_EQ(ReadTestFile(dir_ / "small.bin"), PatternBytes(1000));
}

TEST_F(PeerDownload, FollowsRedirectsAndReportsErrors) {
    for (const char* path : {"/redirect/absolute", "/redirect/root", "/a/b/up", "/files/sibling"}) {
        const std::string target = dir_ / "r.bin";
        platform::RemoveFile(target);
        EXPECT_EQ(download_.Download(Url(path), target, false), kDownloaded) << path;
        EXPECT_EQ(ReadTestFile(target), PatternBytes(1000)) << path;
        EXPECT_EQ(download_.objectPath(), "/files/small.bin") << path;
    }
    EXPECT_EQ(download_.Download(Url("/files/missing.bin"), dir_ / "m", false), kUnusableAnswer);
    download_.maxRedirects = 5;
    EXPECT_EQ(download_.Download(Url("/redirect/loop"), dir_ / "m", false), kUnusableAnswer);
    EXPECT_FALSE(platform::PathExists(dir_ / "m"));
}

TEST_F(PeerDownload, SendsBasicCredentials) {
    const std::string target = dir_ / "secret.bin";
    EXPECT_EQ(download_.Download(Url("/private/secret.bin"), target, false), kUnusableAnswer);
    download_.authEnabled = true;
    download_.authUser = "tessel";
    download_.authPassword = "open sesame";
    EXPECT_EQ(download_.Download(Url("/private/secret.bin"), target, false), kDownloaded);
    EXPECT_EQ(ReadTestFile(target), PatternBytes(4321));
}

TEST_F(PeerDownload, PassesThroughSocksProxies) {
    struct Case {
        int type;
        const char* host;
    } cases[] = {
        {kProxySocks4, "127.0.0.1"},
        {kProxySocks4a, "localhost"},
        {kProxySocks5, "127.0.0.1"},
        {kProxySocks5, "localhost"},
    };
    for (const Case& c : cases) {
        UseProxy(c.type, "SOCKS_PORT");
        const std::string target = dir_ / "s.bin";
        platform::RemoveFile(target);
        EXPECT_EQ(download_.Download(Url("/files/medium.bin", c.host), target, false), kDownloaded)
            << c.type << " " << c.host;
        EXPECT_TRUE(ReadTestFile(target) == PatternBytes(300000)) << c.type;
    }
}

TEST_F(PeerDownload, PassesThroughHttpProxies) {
    UseProxy(kProxyHttp, "HTTP_PROXY_PORT");
    EXPECT_EQ(download_.Download(Url("/redirect/root"), dir_ / "p.bin", false), kDownloaded);
    EXPECT_EQ(ReadTestFile(dir_ / "p.bin"), PatternBytes(1000));

    UseProxy(kProxyHttp, "HTTP_PROXY_AUTH_PORT");
    EXPECT_EQ(download_.Download(Url("/files/small.bin"), dir_ / "q.bin", false), kUnusableAnswer);
    download_.proxyAuthEnabled = true;
    download_.proxyUser = "proxyuser";
    download_.proxyPassword = "proxypass";
    EXPECT_EQ(download_.Download(Url("/files/small.bin"), dir_ / "q.bin", false), kDownloaded);
    EXPECT_EQ(ReadTestFile(dir_ / "q.bin"), PatternBytes(1000));
}

}  // namespace
}  // namespace vt::net
