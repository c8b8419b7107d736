// The download client's bounds against servers that trickle or lie, and the
// file failures it must report: no transfer runs forever, none fills the
// disk, none says "downloaded" when the file is not there.
#include <gtest/gtest.h>

#include <atomic>

#include "net/http_download.h"
#include "net/loopback_server.h"
#include "net/quick_download.h"
#include "platform/file_faults.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace vt::net {
namespace {

using test::AnswerHead;
using test::PatternBytes;
using test::ReadTestFile;
using test::ServerConnection;
using test::SteppedDownload;

// Sends bytes one by one until the client goes away (or a bound is reached).
void Trickle(ServerConnection& c, const std::string& bytes) {
    for (char byte : bytes) {
        if (!c.Send(std::string(1, byte)))
            return;
        platform::SleepMs(2);
    }
}

TEST(HttpDownloadBounds, ABodyTrickledBelowTheMinimumRateEnds) {
    test::LoopbackServer server([](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", "Content-Length: 1000000\r\n"));
        Trickle(c, PatternBytes(3000));
    });
    test::TempDir dir;
    SteppedDownload download;
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kTooSlow);
    const std::string kept = ReadTestFile(dir / "f.down");
    EXPECT_FALSE(kept.empty());  // kept for a resume
    EXPECT_EQ(kept, PatternBytes(kept.size()));
    EXPECT_FALSE(platform::PathExists(dir / "f"));
}

TEST(HttpDownloadBounds, ReconnectsThatEachBringAByteStillEnd) {
    test::LoopbackServer server([](int index, ServerConnection& c) {
        const std::string head = c.ReadHead();
        const bool ranged = head.find("Range: bytes=") != std::string::npos;
        c.Send(
            AnswerHead(ranged ? "206 Partial Content" : "200 OK", "Content-Length: 1000000\r\n") +
            PatternBytes(1, static_cast<size_t>(index)));
    });
    test::TempDir dir;
    SteppedDownload download;
    download.maxStalledReconnects = 1000;
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kTooSlow);
    EXPECT_GE(server.connections(), 2);
}

TEST(HttpDownloadBounds, AHeaderTrickledForeverEnds) {
    test::LoopbackServer server([](int, ServerConnection& c) {
        c.ReadHead();
        Trickle(c, "HTTP/1.1 200 OK\r\nX-Slow: " + std::string(5000, 'x'));
    });
    test::TempDir dir;
    SteppedDownload download;
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kConnectFailed);
    EXPECT_FALSE(platform::PathExists(dir / "f.down"));
}

TEST(HttpDownloadBounds, AnAnnouncedSizeBeyondTheCapWritesNothing) {
    test::LoopbackServer server([](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", "Content-Length: 5000000000\r\n") + PatternBytes(10000));
    });
    test::TempDir dir;
    SteppedDownload download;
    download.maxSize = 1 << 20;
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kTooLarge);
    EXPECT_FALSE(platform::PathExists(dir / "f.down"));
}

TEST(HttpDownloadBounds, FileFailuresAreReportedNotDownloaded) {
    const std::string body = PatternBytes(5000);
    test::LoopbackServer server([&](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", "Content-Length: 5000\r\n") + body);
    });
    test::TempDir dir;
    // The target name is held by a folder: the finished file cannot take it.
    ASSERT_TRUE(platform::MakeDirectory(dir / "f"));
    SteppedDownload download;
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", true), kRenameFailed);
    EXPECT_TRUE(platform::IsDirectory(dir / "f"));
    EXPECT_EQ(ReadTestFile(dir / "f.down"), body);

    platform::FailFileOperation(platform::FileOp::kWrite, 1);
    EXPECT_EQ(download.Download(server.Url("/g"), dir / "g", false), kTempWriteFailed);
    platform::ClearFileFaults();
    EXPECT_FALSE(platform::PathExists(dir / "g"));
}

// A write that fails inside the body loop ends the transfer as a write
// failure: neither a body that broke off nor one still arriving turns it
// into reconnects, which would fetch again what cannot be stored.
TEST(HttpDownloadBounds, AFailedWriteInTheBodyLoopEndsTheTransfer) {
    const std::string big = PatternBytes(3 << 20);
    test::LoopbackServer server([&](int, ServerConnection& c) {
        const std::string head = c.ReadHead();
        if (head.rfind("GET /broken", 0) == 0) {
            c.Send(AnswerHead("200 OK", "Content-Length: 5000\r\n") + big.substr(0, 1000));
        } else {
            c.Send(AnswerHead("200 OK", "Content-Length: " + std::to_string(big.size()) + "\r\n") +
                   big);
        }
    });
    test::TempDir dir;
    SteppedDownload download;
    download.clock = nullptr;  // no rate bound: only the write may end these
    for (const char* path : {"/broken", "/big"}) {
        const int before = server.connections();
        platform::FailFileOperation(platform::FileOp::kWrite, 1);
        EXPECT_EQ(download.Download(server.Url(path), dir / "t", false), kTempWriteFailed) << path;
        platform::ClearFileFaults();
        EXPECT_EQ(server.connections() - before, 1) << path;
        EXPECT_FALSE(platform::PathExists(dir / "t"));
    }
}

TEST(HttpDownloadBounds, TheOwnersStopFlagEndsTheTransferAndStaysSet) {
    test::LoopbackServer server([](int, ServerConnection& c) {
        c.ReadHead();
        c.Send(AnswerHead("200 OK", "Content-Length: 100000\r\n") + PatternBytes(30000));
        c.ReadExactly(1, 3000);  // then silence
    });
    test::TempDir dir;
    std::atomic<bool> stop{false};
    SteppedDownload download;
    download.minimumRate = 0;
    download.receiveTimeout = 60000;  // only the stop flag can end the wait in time
    download.stop = &stop;
    download.SetNotify(
        [&](const DownloadProgress& p) {
            if (p.doneSize >= 30000)
                stop = true;
        },
        1, -1, -1, true);
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kDownloadCancelled);
    EXPECT_EQ(ReadTestFile(dir / "f.down"), PatternBytes(30000));
    // A stop that came before the transfer is not forgotten when it starts.
    EXPECT_EQ(download.Download(server.Url("/f"), dir / "f", false), kDownloadCancelled);
}

}  // namespace
}  // namespace vt::net
