// The server against hostile clients on loopback: every attack must be
// answered within the reader's bounds while another client is served
// normally, and the server must live on. Also the connection-level protocol
// (keep-alive, pipelining, 100-continue) that those bounds must not break.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "exchange_client.h"
#include "raw_client.h"
#include "server_fixture.h"

namespace vt::test {
namespace {

constexpr int64_t kArchiveBytes = 20 << 20;

class HttpServerAttack : public ServerFixture {
  protected:
    // A client that means no harm is answered at once, attack or not.
    void ExpectServedNormally() {
        auto client = Client();
        client.set_connection_timeout(10, 0);
        client.set_read_timeout(10, 0);
        auto status = client.Get("/Status");
        ASSERT_TRUE(status) << "a normal client got no answer";
        EXPECT_EQ(status->status, 200);
        std::string answer;
        EXPECT_TRUE(net::SecureExchange("", Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"),
                                        kCatalogueKey, answer));
        EXPECT_EQ(net::QueryValue(answer, "XMLMD5").size(), 32u);
    }
    // A 20 MB archive, files/20.zip.
    void WriteLargeArchive() {
        std::string bytes(kArchiveBytes, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7 + i / 251);
        WriteTestFile(root_ / "files\\20.zip", bytes);
    }
    static std::string Get(const std::string& path, const std::string& headers = "") {
        return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
    }
    static std::string PostHead(const std::string& headers) {
        return "POST /Interfaces/StatisticsPlugPopu.aspx HTTP/1.1\r\nHost: 127.0.0.1\r\n"
               "Content-Type: application/x-www-form-urlencoded\r\n" +
               headers + "\r\n";
    }
};

TEST_F(HttpServerAttack, ManyRangesGetOneAnswerNoLargerThanTheFile) {
    WriteLargeArchive();
    std::string ranges = "bytes=";
    for (int i = 0; i < 150; ++i)
        ranges += "0-20971519,";
    RawClient flood(port_);
    ASSERT_TRUE(flood.Send(Get("/files/20.zip", "Range: " + ranges + "\r\n")));
    const int status = flood.ReadStatus();
    EXPECT_TRUE(status == 206 || status == 200) << flood.received().substr(0, 200);
    EXPECT_EQ(flood.Header("Content-Length"), std::to_string(kArchiveBytes));
    EXPECT_EQ(flood.Header("Content-Type"), "application/octet-stream");

    // Others are served while this answer waits for its reader, and while
    // more such readers pile up.
    std::vector<std::unique_ptr<RawClient>> idleReaders;
    for (int i = 0; i < 32; ++i) {
        idleReaders.push_back(std::make_unique<RawClient>(port_));
        ASSERT_TRUE(idleReaders.back()->Send(Get("/files/20.zip", "Range: " + ranges + "\r\n")));
    }
    ExpectServedNormally();
    EXPECT_EQ(flood.ReadBody(kArchiveBytes), kArchiveBytes);

    // Many small disjoint ranges are not worth a multi-part answer: the
    // whole file comes instead.
    std::string scattered = "bytes=";
    for (int i = 0; i < 60; ++i)
        scattered += std::to_string(i * 1000) + "-" + std::to_string(i * 1000 + 9) + ",";
    RawClient many(port_);
    ASSERT_TRUE(many.Send(Get("/files/20.zip", "Range: " + scattered + "\r\n")));
    EXPECT_EQ(many.ReadStatus(), 200);
    EXPECT_EQ(many.Header("Content-Length"), std::to_string(kArchiveBytes));
    ExpectServedNormally();
}

TEST_F(HttpServerAttack, ChunkedPostIsRefusedAfterTheLimit) {
    RawClient flood(port_);
    ASSERT_TRUE(flood.Send(PostHead("Transfer-Encoding: chunked\r\n")));
    const std::string chunk = "10000\r\n" + std::string(0x10000, 'A') + "\r\n";
    // Part of the body first; the server waits for the rest and serves others.
    ASSERT_TRUE(flood.Send(chunk + chunk));
    ExpectServedNormally();
    EXPECT_TRUE(flood.StreamUntilAnswered([&] { return chunk; }, int64_t{400} << 20));
    EXPECT_EQ(flood.ReadStatus(), 413);
    // The server stopped reading soon after the limit (socket buffers aside).
    EXPECT_LT(flood.sent(), int64_t{32} << 20);
    ExpectServedNormally();

    // A chunk announced larger than the limit is refused before its bytes.
    RawClient huge(port_);
    ASSERT_TRUE(huge.Send(PostHead("Transfer-Encoding: chunked\r\n") + "7FFFFFFFFFFF\r\nAAAA"));
    EXPECT_EQ(huge.ReadStatus(), 413);
    RawClient overflow(port_);
    ASSERT_TRUE(overflow.Send(PostHead("Transfer-Encoding: chunked\r\n") +
                              "FFFFFFFFFFFFFFFFFFFFFFFF\r\nAAAA"));
    EXPECT_EQ(overflow.ReadStatus(), 413);
    RawClient declared(port_);
    ASSERT_TRUE(declared.Send(PostHead("Content-Length: 419430400\r\n")));
    EXPECT_EQ(declared.ReadStatus(), 413);
    ExpectServedNormally();
}

TEST_F(HttpServerAttack, AmbiguousFramingIsRefused) {
    const struct {
        const char* headers;
        int status;
    } cases[] = {
        {"Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", 400},
        {"Content-Length: 5\r\nContent-Length: 6\r\n", 400},
        {"Transfer-Encoding: gzip, chunked\r\n", 501},
        {"Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n", 400},
        {"Content-Length: -1\r\n", 400},
        {"Content-Length: 1e3\r\n", 400},
    };
    for (const auto& c : cases) {
        RawClient client(port_);
        ASSERT_TRUE(client.Send(PostHead(c.headers) + "12345"));
        EXPECT_EQ(client.ReadStatus(), c.status) << c.headers;
        EXPECT_EQ(client.Header("Connection"), "close") << c.headers;
    }
    // A bad chunk-size line, and a chunk not followed by its line end.
    for (const char* body : {"zz\r\nAAAA\r\n0\r\n\r\n", "4\r\nAAAAB\r\n0\r\n\r\n"}) {
        RawClient client(port_);
        ASSERT_TRUE(client.Send(PostHead("Transfer-Encoding: chunked\r\n") + body));
        EXPECT_EQ(client.ReadStatus(), 400) << body;
    }
}

TEST_F(HttpServerAttack, HeaderFloodIsRefused) {
    RawClient flood(port_);
    ASSERT_TRUE(flood.Send("GET /Status HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
    int line = 0;
    const std::string value(8180, 'a');
    ExpectServedNormally();
    EXPECT_TRUE(flood.StreamUntilAnswered(
        [&] { return "X-Flood-" + std::to_string(++line) + ": " + value + "\r\n"; },
        int64_t{305} << 20));
    const int status = flood.ReadStatus();
    EXPECT_TRUE(status == 431 || status == 400) << status;
    EXPECT_LT(flood.sent(), int64_t{32} << 20);
    ExpectServedNormally();

    // Many short lines, one endless line, one endless request line.
    const struct {
        const char* start;
        std::string repeated;
        int status;
    } floods[] = {
        {"GET / HTTP/1.1\r\n", "A: b\r\n", 431},
        {"GET / HTTP/1.1\r\nX-Long: ", std::string(4096, 'b'), 431},
        {"GET /", std::string(4096, 'c'), 414},
    };
    for (const auto& f : floods) {
        RawClient client(port_);
        ASSERT_TRUE(client.Send(f.start));
        ASSERT_TRUE(client.StreamUntilAnswered([&] { return f.repeated; }, int64_t{64} << 20));
        EXPECT_EQ(client.ReadStatus(), f.status) << f.start;
    }
    ExpectServedNormally();
}

TEST_F(HttpServerAttack, SlowClientsDoNotLockOthersOut) {
    // Many more trickling clients than there are workers: each sends one
    // byte of its head now and then.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 64; ++i) {
        slow.push_back(std::make_unique<RawClient>(port_));
        ASSERT_TRUE(slow.back()->connected());
    }
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        const std::string head = Get("/Status");
        for (size_t at = 0; !done && at < head.size() - 2; ++at) {
            for (auto& client : slow)
                client->Send(head.substr(at, 1), 100);
            for (int i = 0; i < 10 && !done; ++i)
                platform::SleepMs(20);
        }
    });
    for (int i = 0; i < 5; ++i)
        ExpectServedNormally();
    // Slow bodies and clients that never read their answers hold no worker
    // either.
    WriteLargeArchive();
    std::vector<std::unique_ptr<RawClient>> more;
    for (int i = 0; i < 16; ++i) {
        more.push_back(std::make_unique<RawClient>(port_));
        ASSERT_TRUE(more.back()->Send(PostHead("Content-Length: 1000\r\n") + "data="));
        more.push_back(std::make_unique<RawClient>(port_));
        ASSERT_TRUE(more.back()->Send(Get("/files/20.zip")));
    }
    ExpectServedNormally();
    done = true;
    trickle.join();
}

TEST_F(HttpServerAttack, ConnectionFloodLeavesRoomForNewClients) {
    Stop();
    options_.maxConnections = 32;
    Start();
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 100; ++i) {
        idle.push_back(std::make_unique<RawClient>(port_));
        idle.back()->Send("GET /Sta");
    }
    ExpectServedNormally();
}

class HttpServerDeadlines : public HttpServerAttack {
  protected:
    void SetUp() override {
        options_.headerTimeoutMs = 1000;
        options_.bodyTimeoutMs = 1000;
        HttpServerAttack::SetUp();
    }
    // Sends text one byte every 100 ms for up to 20 s; true when the
    // server answered or closed the connection before the client finished.
    static bool CutOffWhileTrickling(RawClient& client, const std::string& text) {
        for (size_t i = 0; i < 200; ++i) {
            if (!client.Send(std::string(1, text[i % text.size()]), 1000))
                return true;
            client.Receive(100);
            if (!client.received().empty() || client.closed())
                return true;
        }
        return false;
    }
};

TEST_F(HttpServerDeadlines, HeadAndBodyMustArriveWhole) {
    // Every byte restarts no timer: the head as a whole is late.
    RawClient head(port_);
    EXPECT_TRUE(CutOffWhileTrickling(head, "GET /Status HTTP/1.1\r\nX-Slow: aaaaaaaaaaaaaaa"));
    EXPECT_EQ(head.ReadStatus(), 408);

    RawClient body(port_);
    ASSERT_TRUE(body.Send(PostHead("Content-Length: 1000\r\n")));
    EXPECT_TRUE(CutOffWhileTrickling(body, "data=0123456789"));
    EXPECT_EQ(body.ReadStatus(), 408);

    // A connection that never sends anything is closed without an answer.
    RawClient silent(port_);
    for (int i = 0; i < 200 && !silent.closed(); ++i)
        silent.Receive(100);
    EXPECT_TRUE(silent.closed());
    EXPECT_TRUE(silent.received().empty());
    ExpectServedNormally();
}

TEST_F(HttpServerAttack, KeepAlivePipeliningAndContinue) {
    // Two pipelined requests in one send get two answers in order.
    RawClient client(port_);
    ASSERT_TRUE(client.Send(Get("/forum.php") + "HEAD /files/1.zip HTTP/1.1\r\nHost: x\r\n\r\n"));
    EXPECT_EQ(client.ReadStatus(), 200);
    const size_t first = client.received().find("\r\n\r\n");
    const int64_t pageLength = std::stoll(client.Header("Content-Length"));
    client.ReadBody(pageLength);
    for (int i = 0; i < 100 && client.received().find("HTTP/1.1", first) == std::string::npos; ++i)
        client.Receive(50);
    const size_t second = client.received().find("HTTP/1.1 200", first);
    ASSERT_NE(second, std::string::npos) << client.received();
    EXPECT_NE(client.received().find("Accept-Ranges: bytes", second), std::string::npos);

    // "Expect: 100-continue" gets the interim answer before the body is sent.
    RawClient expecting(port_);
    ASSERT_TRUE(expecting.Send(PostHead("Content-Length: 9\r\nExpect: 100-continue\r\n")));
    EXPECT_EQ(expecting.ReadStatus(), 100);
    ASSERT_TRUE(expecting.Send("PlugId=12"));
    for (int i = 0; i < 100 && expecting.received().find("HTTP/1.1 400") == std::string::npos; ++i)
        expecting.Receive(50);
    EXPECT_NE(expecting.received().find("HTTP/1.1 400"), std::string::npos);

    // HTTP/1.0 closes after the answer; a wrong method on a known path is 405.
    RawClient old(port_);
    ASSERT_TRUE(old.Send("GET /forum.php HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(old.ReadStatus(), 200);
    EXPECT_EQ(old.Header("Connection"), "close");
    RawClient wrong(port_);
    ASSERT_TRUE(wrong.Send("DELETE /files/1.zip HTTP/1.1\r\nHost: x\r\n\r\n"));
    EXPECT_EQ(wrong.ReadStatus(), 405);
    EXPECT_EQ(wrong.Header("Allow"), "GET, HEAD");
    RawClient http2(port_);
    ASSERT_TRUE(http2.Send("GET / HTTP/2.0\r\n\r\n"));
    EXPECT_EQ(http2.ReadStatus(), 505);
}

}  // namespace
}  // namespace vt::test
