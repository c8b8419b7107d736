// The request reader and the byte-range rules, without sockets: tables of
// good and hostile requests, fed whole and one byte at a time.
#include <gtest/gtest.h>

#include "http_message.h"

namespace vt::server {
namespace {

// Feeds text in pieces of step bytes; the parser's state at the end and the
// bytes it left unread.
RequestParser::State FeedInSteps(RequestParser& parser, const std::string& text, size_t step,
                                 std::string* rest = nullptr) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t piece = std::min(step, text.size() - at);
        const size_t used = parser.Feed(text.data() + at, piece);
        at += used;
        if (used < piece)
            break;
    }
    if (rest)
        *rest = text.substr(at);
    return parser.state();
}

TEST(RequestParser, ReadsRequestsWhateverTheSplit) {
    const std::string post =
        "POST /Interfaces/StatisticsPlugPopu.aspx?x=1 HTTP/1.1\r\nHost: h\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 9\r\n\r\n"
        "data=ABCD";
    const std::string chunked =
        "POST /p HTTP/1.1\nTransfer-Encoding: Chunked\n\n4;ext=1\r\ndata\r\n5\r\n=ABCD\r\n0\r\n"
        "X-Trailer: t\r\n\r\n";
    for (size_t step : {size_t{1}, size_t{3}, size_t{1000}}) {
        HttpLimits limits;
        RequestParser parser(limits);
        std::string rest;
        ASSERT_EQ(FeedInSteps(parser, post + "GET /next", step, &rest),
                  RequestParser::State::kComplete)
            << step;
        const HttpRequest& r = parser.request();
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.path, "/Interfaces/StatisticsPlugPopu.aspx");
        EXPECT_EQ(r.query, "x=1");
        EXPECT_EQ(r.body, "data=ABCD");
        EXPECT_EQ(r.Header("content-type"), "application/x-www-form-urlencoded");
        EXPECT_TRUE(r.keepAlive);
        EXPECT_EQ(rest, "GET /next");

        parser.Reset();
        ASSERT_EQ(FeedInSteps(parser, chunked, step), RequestParser::State::kComplete) << step;
        EXPECT_EQ(parser.request().body, "data=ABCD");
        EXPECT_EQ(parser.request().Header("X-Trailer"), "");
    }

    RequestParser parser{HttpLimits()};
    ASSERT_EQ(
        FeedInSteps(parser, "\r\nGET /files/%31.zip HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 7),
        RequestParser::State::kComplete);
    EXPECT_EQ(parser.request().path, "/files/1.zip");
    EXPECT_TRUE(parser.request().keepAlive);
    parser.Reset();
    ASSERT_EQ(FeedInSteps(parser, "GET / HTTP/1.1\r\nConnection: Keep-Alive, close\r\n\r\n", 5),
              RequestParser::State::kComplete);
    EXPECT_FALSE(parser.request().keepAlive);
}

TEST(RequestParser, RefusesMalformedAndOversizedRequests) {
    HttpLimits limits;
    limits.maxLineBytes = 100;
    limits.maxHeaderLines = 5;
    limits.maxHeaderBytes = 300;
    limits.maxBodyBytes = 50;
    const std::string line(90, 'a');
    const struct {
        std::string text;
        int status;
    } cases[] = {
        {"GET  / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.1 extra\r\n\r\n", 400},
        {"GET http://host/ HTTP/1.1\r\n\r\n", 400},
        {"G(T / HTTP/1.1\r\n\r\n", 400},
        {"GET / HTTP/1.x\r\n\r\n", 400},
        {"GET / HTTP/3.0\r\n\r\n", 505},
        {"GET /a%2 HTTP/1.1\r\n\r\n", 400},
        {"GET /a%00b HTTP/1.1\r\n\r\n", 400},
        {"GET /a\rb HTTP/1.1\r\n\r\n", 400},
        {"GET /" + std::string(200, 'x') + " HTTP/1.1\r\n\r\n", 414},
        {"GET / HTTP/1.1\r\nNoColon\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nName : v\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nA: b\x01\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nA: " + std::string(200, 'v') + "\r\n\r\n", 431},
        {"GET / HTTP/1.1\r\nA: 1\r\nA: 2\r\nA: 3\r\nA: 4\r\nA: 5\r\nA: 6\r\n\r\n", 431},
        {"GET / HTTP/1.1\r\nA: " + line + "\r\nB: " + line + "\r\nC: " + line + "\r\n\r\n", 431},
        {"POST / HTTP/1.1\r\nContent-Length: 51\r\n\r\n", 413},
        {"POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n33\r\n", 413},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n20\r\n" + std::string(32, 'x') +
             "\r\n20\r\n",
         413},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n-1\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n;x\r\n", 400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(120, '0') + "\r\n",
         400},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\nT: 1\r\nT: 2\r\nT: 3\r\nT: "
         "4\r\nT: 5\r\nT: 6\r\n\r\n",
         431},
    };
    for (const auto& c : cases) {
        for (size_t step : {size_t{1}, c.text.size()}) {
            RequestParser parser(limits);
            EXPECT_EQ(FeedInSteps(parser, c.text, step), RequestParser::State::kFailed)
                << c.text << " step " << step;
            EXPECT_EQ(parser.errorStatus(), c.status) << c.text;
        }
    }
    // The exact limits themselves still pass.
    RequestParser parser(limits);
    EXPECT_EQ(
        FeedInSteps(parser, "POST / HTTP/1.1\r\nContent-Length: 50\r\n\r\n" + std::string(50, 'b'),
                    1),
        RequestParser::State::kComplete);
}

TEST(ResolveRange, JoinsOrRefusesButNeverSplits) {
    const int64_t size = 1000;
    const struct {
        const char* header;
        RangeVerdict verdict;
        int64_t start, length;
    } cases[] = {
        {"bytes=0-99", RangeVerdict::kPartial, 0, 100},
        {"bytes=900-", RangeVerdict::kPartial, 900, 100},
        {"bytes=900-5000", RangeVerdict::kPartial, 900, 100},
        {"bytes=-100", RangeVerdict::kPartial, 900, 100},
        {"bytes=-5000", RangeVerdict::kPartial, 0, 1000},
        {"BYTES = 1-1", RangeVerdict::kWhole, 0, 0},
        {"bytes=1-1", RangeVerdict::kPartial, 1, 1},
        {"bytes=0-99,50-199", RangeVerdict::kPartial, 0, 200},
        {"bytes=100-199,0-99", RangeVerdict::kPartial, 0, 200},
        {"bytes=0-999,0-999,0-999,", RangeVerdict::kPartial, 0, 1000},
        {"bytes=0-0,2-2", RangeVerdict::kWhole, 0, 0},
        {"bytes=-1,0-0", RangeVerdict::kWhole, 0, 0},
        {"bytes=1000-", RangeVerdict::kUnsatisfiable, 0, 0},
        {"bytes=-0", RangeVerdict::kUnsatisfiable, 0, 0},
        {"bytes=5000-6000,0-9", RangeVerdict::kPartial, 0, 10},
        {"bytes=9-1", RangeVerdict::kWhole, 0, 0},
        {"bytes=a-b", RangeVerdict::kWhole, 0, 0},
        {"bytes=", RangeVerdict::kWhole, 0, 0},
        {"items=0-1", RangeVerdict::kWhole, 0, 0},
        {"bytes=0-99999999999999999999", RangeVerdict::kWhole, 0, 0},
    };
    for (const auto& c : cases) {
        ByteRange range;
        EXPECT_EQ(ResolveRange(c.header, size, range), c.verdict) << c.header;
        if (c.verdict == RangeVerdict::kPartial) {
            EXPECT_EQ(range.start, c.start) << c.header;
            EXPECT_EQ(range.length, c.length) << c.header;
        }
    }
    // More ranges than are worth reading: the whole file.
    std::string many = "bytes=";
    for (size_t i = 0; i <= kMaxRanges; ++i)
        many += "0-1,";
    ByteRange range;
    EXPECT_EQ(ResolveRange(many, size, range), RangeVerdict::kWhole);
}

TEST(SerializeHead, CarriesLengthAndConnection) {
    HttpResponse response;
    response.status = 404;
    response.SetContent("gone", "text/plain");
    response.SetHeader("content-type", "text/html");
    EXPECT_EQ(SerializeHead(response, false),
              "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: "
              "4\r\nConnection: close\r\n\r\n");
    response.status = 304;
    EXPECT_EQ(SerializeHead(response, true).find("Content-Length"), std::string::npos);
}

}  // namespace
}  // namespace vt::server
