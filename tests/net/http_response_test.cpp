#include "net/http_response.h"

#include <gtest/gtest.h>

#include "net/http_date.h"
#include "net/url.h"

namespace vt::net {
namespace {

TEST(ParseUrl, SplitsHostPortAndPath) {
    struct Case {
        const char* url;
        bool ok;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"http://example:8080/p", true, "example", 8080, "/p"},
        {"  HTTP://Example.com/a/b.zip?x=1/2 ", true, "Example.com", 80, "/a/b.zip?x=1/2"},
        {"http://h:abc/p", true, "h", 0, "/p"},
        {"http://h:70000/p", true, "h", 0, "/p"},
        {"http://h/", true, "h", 80, "/"},
        {"http://h", false, "", 0, ""},
        {"https://h/p", false, "", 0, ""},
        {"ftp://h/p", false, "", 0, ""},
        {"host/file.zip", false, "", 0, ""},
        {"", false, "", 0, ""},
    };
    for (const Case& c : cases) {
        UrlParts parts;
        EXPECT_EQ(ParseUrl(c.url, parts), c.ok) << c.url;
        if (!c.ok)
            continue;
        EXPECT_EQ(parts.host, c.host) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        EXPECT_EQ(parts.objectPath, c.path) << c.url;
    }
}

RequestTarget TargetFor(const std::string& url) {
    RequestTarget target;
    target.url = url;
    EXPECT_TRUE(ParseUrl(url, target.parts));
    return target;
}

ResponseHeader Parse(const std::string& header, RequestTarget& target) {
    return ParseResponseHeader(header, target, 12345);
}

TEST(ParseResponseHeader, AcceptsSuccessWithLengthAndDate) {
    RequestTarget target = TargetFor("http://h/x/y/a.zip");
    const ResponseHeader ok = Parse(
        "HTTP/1.1 206 Partial Content\r\ncontent-LENGTH:  500 \r\n"
        "Last-Modified: Tue, 15 Jun 2010 10:00:00 GMT\r\n",
        target);
    EXPECT_EQ(ok.verdict, kResponseAccepted);
    EXPECT_EQ(ok.status, 206);
    EXPECT_EQ(ok.contentLength, 500);
    EXPECT_EQ(ok.lastModified, ParseHttpDate("Tue, 15 Jun 2010 10:00:00 GMT"));

    const ResponseHeader noDate = Parse("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n", target);
    EXPECT_EQ(noDate.verdict, kResponseAccepted);
    EXPECT_EQ(noDate.lastModified, 12345);
}

TEST(ParseResponseHeader, SortsStatusesAndRejectsBrokenHeads) {
    RequestTarget target = TargetFor("http://h/a");
    struct Case {
        const char* header;
        ResponseVerdict verdict;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n", kResponseUnusable},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5", kResponseUnusable},   // no line end
        {"HTTP/1.1 200\r\nContent-Length: 5\r\n", kResponseUnusable},  // no second blank
        {"garbage", kResponseUnusable},
        {"", kResponseUnusable},
        {"HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\n", kResponseUnusable},
        {"HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 5\r\n", kResponseUnusable},
        {"HTTP/1.1 302 Found\r\nContent-Length: 5\r\n", kResponseUnusable},  // no Location
        {"HTTP/1.1 500 Internal Server Error\r\n", kResponseServerError},
        {"HTTP/1.1 503 Busy\r\n", kResponseServerError},
        {"HTTP/1.1 99999999999999999999 X\r\nContent-Length: 1\r\n", kResponseServerError},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.header, target).verdict, c.verdict) << c.header;
    }
}

TEST(ParseResponseHeader, FollowsEachFormOfRedirect) {
    struct Case {
        const char* from;
        const char* location;
        const char* url;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"http://h/x/y/a.zip", "http://other:81/n.zip", "http://other:81/n.zip", "other", 81,
         "/n.zip"},
        {"http://h:8080/x/a.zip", "/new/file.zip", "http://h:8080/new/file.zip", "h", 8080,
         "/new/file.zip"},
        {"http://h/x/a.zip", "\\new\\file.zip", "http://h/new/file.zip", "h", 80, "/new/file.zip"},
        {"http://h/x/y/a.zip", "../b.zip", "http://h/x/b.zip", "h", 80, "/x/b.zip"},
        {"http://h/x/y/a.zip", "b.zip", "http://h/x/y/b.zip", "h", 80, "/x/y/b.zip"},
        {"http://h/x/y/a.zip", "../../c/b.zip", "http://h/c/b.zip", "h", 80, "/c/b.zip"},
    };
    for (const Case& c : cases) {
        RequestTarget target = TargetFor(c.from);
        const std::string header =
            std::string("HTTP/1.1 302 Found\r\nLocation: ") + c.location + "\r\n";
        EXPECT_EQ(Parse(header, target).verdict, kResponseRedirect) << c.location;
        EXPECT_EQ(target.url, c.url) << c.location;
        EXPECT_EQ(target.parts.host, c.host) << c.location;
        EXPECT_EQ(target.parts.port, c.port) << c.location;
        EXPECT_EQ(target.parts.objectPath, c.path) << c.location;
    }
    // Climbing above the host leaves no URL that parses.
    RequestTarget target = TargetFor("http://h/a.zip");
    EXPECT_EQ(Parse("HTTP/1.1 301 Moved\r\nLocation: ../../../../x\r\n", target).verdict,
              kResponseUnusable);
}

TEST(ParseHttpDate, ReadsRfc1123AsLocalTime) {
    std::tm expected{};
    expected.tm_year = 110;
    expected.tm_mon = 5;
    expected.tm_mday = 15;
    expected.tm_hour = 10;
    expected.tm_isdst = -1;
    EXPECT_EQ(ParseHttpDate("Tue, 15 Jun 2010 10:00:00 GMT"), std::mktime(&expected));
    EXPECT_EQ(ParseHttpDate("tue,15 JUN 2010 10:00:00 gmt"), std::mktime(&expected));

    std::tm fallback{};  // unknown month: January; no blank after the year: 2000
    fallback.tm_year = 100;
    fallback.tm_mday = 15;
    fallback.tm_hour = 20;  // "2010" is then read as the time
    fallback.tm_isdst = -1;
    EXPECT_EQ(ParseHttpDate("Tue, 15 Xyz 2010"), std::mktime(&fallback));
    // Nothing here may crash or overflow.
    ParseHttpDate("");
    ParseHttpDate(",");
    ParseHttpDate("Tue, 99 Jun 99999999999999 99:99:99");
}

}  // namespace
}  // namespace vt::net
