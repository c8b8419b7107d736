// The download client against scripted loopback servers: exact request
// bytes, resume, and servers that break, stall, lie or loop.
#include "net/http_download.h"

#include <gtest/gtest.h>

#include <vector>

#include "net/base64.h"
#include "net/loopback_server.h"
#include "net/quick_download.h"
#include "platform/files.h"
#include "platform/system.h"
#include "support/temp_dir.h"

namespace vt::net {
namespace {

using test::AnswerHead;
using test::LoopbackServer;
using test::PatternBytes;
using test::QuickDownload;
using test::ReadTestFile;
using test::ServerConnection;
using test::TempDir;
using test::WriteTestFile;

std::string LengthHeader(size_t length) {
    return "Content-Length: " + std::to_string(length) + "\r\n";
}

TEST(HttpDownload, RequestCarriesExactHeadersAndResumes) {
    const std::string body = PatternBytes(500, 1000);
    std::string head;
    LoopbackServer recorder([&](int, ServerConnection& c) {
        head = c.ReadHead();
        c.Send(AnswerHead("206 Partial Content", LengthHeader(500)) + body);
    });
    TempDir dir;
    const std::string target = dir / "f.bin";
    WriteTestFile(target + ".down", PatternBytes(1000));
    QuickDownload download;
    download.authEnabled = true;
    download.authUser = "u";
    download.authPassword = "p";
    EXPECT_EQ(download.Download("  " + recorder.Url("/dir/f.bin?a=1") + " ", " " + target, false),
              kDownloaded);
    EXPECT_EQ(head,
              "GET /dir/f.bin?a=1 HTTP/1.1\r\n"
              "Authorization: Basic " +
                  Base64Encode("u:p") +
                  "\r\n"
                  "Accept: */*\r\n"
                  "Cache-Control: no-cache\r\n"
                  "Connection: Keep-Alive\r\n"
                  "Host: 127.0.0.1\r\n"
                  "Pragma: no-cache\r\n"
                  "Range: bytes=1000-\r\n"
                  "User-Agent: HttpDownload/2.0\r\n\r\n");
    EXPECT_EQ(download.totalSize(), 1500);
    EXPECT_TRUE(download.resuming());
    EXPECT_EQ(download.fileName(), "f.bin?a=1");
    EXPECT_EQ(ReadTestFile(target), PatternBytes(1500));
    EXPECT_FALSE(platform::PathExists(target + ".down"));
}

TEST(HttpDownload, HttpProxyGetsTheWholeUrlAndCredentials) {
    std::string head;
    LoopbackServer proxy([&](int, ServerConnection& c) {
        head = c.ReadHead();
        c.Send(AnswerHead("200 OK", LengthHeader(3)) + "abc");
    });
    TempDir dir;
    QuickDownload download;
    download.proxyType = kProxyHttp;
    download.proxyHost = "127.0.0.1";
    download.proxyPort = proxy.port();
    download.proxyAuthEnabled = true;
    download.proxyUser = "pu";
    download.proxyPassword = "pp";
    download.userAgent = "Agent/1";
    // No scheme: accepted by the second parse with "http://" in front.
    EXPECT_EQ(download.Download("example.com:8080/p", dir / "p", false), kDownloaded);
    EXPECT_EQ(head,
              "GET http://example.com:8080/p HTTP/1.1\r\n"
              "Proxy-Authorization: Basic " +
                  Base64Encode("pu:pp") +
                  "\r\n"
                  "Accept: */*\r\n"
                  "Cache-Control: no-cache\r\n"
                  "Connection: Keep-Alive\r\n"
                  "Host: example.com\r\n"
                  "Pragma: no-cache\r\n"
                  "User-Agent: Agent/1\r\n\r\n");
    EXPECT_EQ(ReadTestFile(dir / "p"), "abc");
}

TEST(HttpDownload, FullAnswerToRangeRestartsAndTruncates) {
    LoopbackServer server([&](int, ServerConnection& c) {
        c.ReadHead();
        // Ignores Range, and sends more than it announced.
        c.Send(AnswerHead("200 OK", LengthHeader(300)) + PatternBytes(300) + "EXTRA");
    });
    TempDir dir;
    const std::string target = dir / "t.bin";
    WriteTestFile(target + ".down", std::string(5000, 'j'));
    QuickDownload download;
    EXPECT_EQ(download.Download(server.Url("/t.bin"), target, false), kDownloaded);
    EXPECT_FALSE(download.resuming());
    EXPECT_EQ(download.totalSize(), 300);
    EXPECT_EQ(ReadTestFile(target), PatternBytes(300));

    // An empty temporary file asks for no range; force asks for none either.
    LoopbackServer recorder([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", LengthHeader(2)) + "ok");
    });
    WriteTestFile(target + ".down", "");
    EXPECT_EQ(download.Download(recorder.Url("/t.bin"), target, false), kDownloaded);
    WriteTestFile(target + ".down", "123");
    EXPECT_EQ(download.Download(recorder.Url("/t.bin"), target, true), kDownloaded);
    for (const std::string& head : recorder.heads()) {
        EXPECT_EQ(head.find("Range:"), std::string::npos) << head;
    }
    EXPECT_EQ(ReadTestFile(target), "ok");
}

TEST(HttpDownload, BrokenBodyResumesWithoutRepeatingStartNotices) {
    const size_t size = 50000;
    const std::string body = PatternBytes(size);
    LoopbackServer server([&](int index, ServerConnection& c) {
        c.ReadHead();
        // The stamp of the last answer is the one the file gets.
        const std::string stamp = "Last-Modified: Tue, 15 Jun 2010 10:00:00 GMT\r\n";
        const std::string full = AnswerHead("200 OK", LengthHeader(size) + stamp);
        if (index == 0) {
            c.Send(full + body.substr(0, 20000));
            return;  // drops the connection mid-body
        }
        if (index == 3) {
            c.Send(full + body);
            return;
        }
        if (index == 1) {
            // Trickles: one byte, then silence longer than the receive limit.
            c.Send(AnswerHead("206 Partial Content", LengthHeader(size - 20000)) +
                   body.substr(20000, 1));
            c.ReadExactly(1, 10000);  // silent until the client gives up and closes
            return;
        }
        c.Send(AnswerHead("206 Partial Content", LengthHeader(size - 20001) + stamp) +
               body.substr(20001));
    });
    TempDir dir;
    const std::string target = dir / "b.bin";
    QuickDownload download;
    download.chunkPauseMs = 1;  // the throttled path, in chunks of the ring's size
    std::vector<int> codes;
    int64_t lastDone = -1;
    bool monotonic = true;
    download.SetNotify(
        [&](const DownloadProgress& p) {
            codes.push_back(p.code);
            if (p.code == kNotifyProgress && p.doneSize < lastDone)
                monotonic = false;
            lastDone = p.doneSize;
            EXPECT_EQ(p.user1, 7);
            EXPECT_EQ(p.fileName, "b.bin");
            EXPECT_EQ(p.totalSize, static_cast<int64_t>(size));
        },
        7, -1, -1, true);
    EXPECT_EQ(download.Download(server.Url("/b.bin"), target, false), kDownloaded);
    EXPECT_TRUE(ReadTestFile(target) == body);
    const std::vector<std::string> heads = server.heads();
    ASSERT_EQ(heads.size(), 3u);
    EXPECT_NE(heads[1].find("Range: bytes=20000-\r\n"), std::string::npos);
    EXPECT_NE(heads[2].find("Range: bytes=20001-\r\n"), std::string::npos);
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 3),
              (std::vector<int>{kNotifyStarted, kNotifyTotalKnown, kNotifyProgress}));
    for (size_t i = 3; i < codes.size(); ++i)
        EXPECT_EQ(codes[i], kNotifyProgress);
    EXPECT_TRUE(monotonic);
    EXPECT_EQ(lastDone, static_cast<int64_t>(size));
    // The stamp is the server's Last-Modified, so the next try is up to date.
    codes.clear();
    EXPECT_EQ(download.Download(server.Url("/b.bin"), target, false), kAlreadyCurrent);
    EXPECT_TRUE(codes.empty());
    EXPECT_TRUE(ReadTestFile(target) == body);
}

TEST(HttpDownload, HeaderLinesLongerThanTheLineBufferAreJoined) {
    const std::string body = PatternBytes(700);
    LoopbackServer server([&](int, ServerConnection& c) {
        c.ReadHead();
        // 1023 characters exactly: its line end must not end the header.
        const std::string exact = "X-Exact: " + std::string(1023 - 9, 'e') + "\r\n";
        const std::string longer = "X-Long: " + std::string(3000, 'l') + "\r\n";
        c.Send(AnswerHead("200 OK", exact + longer + LengthHeader(body.size())) + body);
    });
    TempDir dir;
    QuickDownload download;
    EXPECT_EQ(download.Download(server.Url("/x"), dir / "x", false), kDownloaded);
    EXPECT_EQ(ReadTestFile(dir / "x"), body);
    EXPECT_NE(download.headerText().find("X-Long: " + std::string(3000, 'l') + "\r\n"),
              std::string::npos);
}

TEST(HttpDownload, UnusableAnswersDiscardTheTemporaryFileOnce) {
    struct Case {
        const char* name;
        std::string answer;
        int result;
    } cases[] = {
        {"no length",
         AnswerHead("200 OK", "Transfer-Encoding: chunked\r\n") + "5\r\nhello\r\n0\r\n\r\n",
         kUnusableAnswer},
        {"404", AnswerHead("404 Not Found", LengthHeader(0)), kUnusableAnswer},
        {"zero length", AnswerHead("200 OK", LengthHeader(0)), kEmptyBody},
        {"endless header", "HTTP/1.1 200 OK\r\n" + std::string(200000, 'h'), kUnusableAnswer},
        {"500", AnswerHead("500 Internal Server Error", LengthHeader(0)), kConnectFailed},
    };
    for (const Case& c : cases) {
        LoopbackServer server([&](int, ServerConnection& connection) {
            connection.ReadHead();
            connection.Send(c.answer);
        });
        TempDir dir;
        QuickDownload download;
        EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), c.result) << c.name;
        EXPECT_EQ(server.connections(), 1) << c.name;
        EXPECT_FALSE(platform::PathExists(dir / "f")) << c.name;
    }
    // With a temporary file, the first failure discards it and starts afresh.
    LoopbackServer server([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("416 Range Not Satisfiable", LengthHeader(0)));
    });
    TempDir dir;
    WriteTestFile(dir / "f.down", "stale");
    QuickDownload download;
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kUnusableAnswer);
    EXPECT_EQ(server.connections(), 2);
    EXPECT_FALSE(platform::PathExists(dir / "f.down"));
}

TEST(HttpDownload, EndlessLoopsAreBounded) {
    LoopbackServer loop([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("302 Found", "Location: /again\r\n" + LengthHeader(0)));
    });
    TempDir dir;
    QuickDownload download;
    download.maxRedirects = 4;
    EXPECT_EQ(download.Download(loop.Url("/start"), dir / "f", false), kUnusableAnswer);
    EXPECT_EQ(loop.connections(), 5);

    // Always the whole body from the start, always cut at the same point.
    LoopbackServer cutter([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", LengthHeader(1000)) + PatternBytes(400));
    });
    download.maxStalledReconnects = 3;
    EXPECT_EQ(download.Download(cutter.Url("/f"), dir / "f", false), kConnectFailed);
    EXPECT_EQ(cutter.connections(), 5);
    EXPECT_EQ(ReadTestFile(dir / "f.down"), PatternBytes(400));  // kept for a later resume
}

TEST(HttpDownload, RetryModesCountConnectionFailures) {
    LoopbackServer busy([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("503 Busy", LengthHeader(0)));
    });
    TempDir dir;
    QuickDownload download;
    download.retryMode = kRetryCounted;
    download.retryMax = 2;
    EXPECT_EQ(download.Download(busy.Url("/f"), dir / "f", false), kRetriesSpent);
    EXPECT_EQ(busy.connections(), 4);  // the first try and retryMax + 1 retries
    download.retryMode = 7;
    EXPECT_EQ(download.Download(busy.Url("/f"), dir / "f", false), kBadRetryMode);

    // Nothing listens: connect fails.
    uint16_t port = 0;
    { platform::Socket probe = platform::ListenLoopback(0, port); }
    download.retryMode = kRetryOnce;
    EXPECT_EQ(
        download.Download("http://127.0.0.1:" + std::to_string(port) + "/f", dir / "f", false),
        kConnectFailed);
}

TEST(HttpDownload, CancelKeepsTheTemporaryFile) {
    LoopbackServer server([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", LengthHeader(100000)) + PatternBytes(30000));
        c.ReadExactly(1, 1000);
    });
    TempDir dir;
    QuickDownload download;
    download.SetNotify(
        [&](const DownloadProgress& p) {
            if (p.doneSize > 0)
                download.cancel = 1;
        },
        1, -1, -1, true);
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kDownloadCancelled);
    const std::string kept = ReadTestFile(dir / "f.down");
    EXPECT_FALSE(kept.empty());
    EXPECT_EQ(kept, PatternBytes(kept.size()));
    EXPECT_FALSE(platform::PathExists(dir / "f"));
}

TEST(HttpDownload, InputChecksComeFirst) {
    QuickDownload download;
    EXPECT_EQ(download.Download("  ", "x", false), kEmptyUrl);
    EXPECT_EQ(download.Download("justahost", "x", false), kBadUrl);
    EXPECT_EQ(download.Download("http://h/x", " \t", false), kEmptyLocalPath);
    download.proxyType = 2;
    TempDir dir;
    EXPECT_EQ(download.Download("http://127.0.0.1:1/x", dir / "x", false), kUnusableAnswer);
}

TEST(HttpDownload, Socks5MethodRefusalIsAConnectionFailure) {
    LoopbackServer proxy([&](int, ServerConnection& c) {
        c.ReadExactly(3);
        c.Send(std::string("\x05\xff", 2));
    });
    TempDir dir;
    QuickDownload download;
    download.proxyType = kProxySocks5;
    download.proxyHost = "127.0.0.1";
    download.proxyPort = proxy.port();
    EXPECT_EQ(download.Download("http://127.0.0.1/f", dir / "f", false), kConnectFailed);
}

}  // namespace
}  // namespace vt::net
