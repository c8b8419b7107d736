#include "net/url_codec.h"

#include <gtest/gtest.h>

#include "net/base64.h"

namespace vt::net {
namespace {

const char kZhongLocal[] = "\xD6\xD0";  // U+4E2D in the local code page (GBK)

TEST(UrlEncode, KeepsUnreservedAndEncodesTheRest) {
    EXPECT_EQ(UrlEncode("AZaz09-_.!~*'()|"), "AZaz09-_.!~*'()|");
    EXPECT_EQ(UrlEncode("a b\tc\r\n"), "a+b+c++");
    EXPECT_EQ(UrlEncode("/?&=%+#\""), "%2F%3F%26%3D%25%2B%23%22");
    EXPECT_EQ(UrlEncode(kZhongLocal), "%E4%B8%AD");
    EXPECT_EQ(UrlEncode(std::string("x") + kZhongLocal + "y"), "x%E4%B8%ADy");
    EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlEncode, CharactersBelow0x800StillTakeThreeBytes) {
    // GBK A1 E3 is U+00B0 (degree sign): two UTF-8 bytes in standard form,
    // three in the form the servers expect.
    EXPECT_EQ(UrlEncode("\xA1\xE3"), "%E0%82%B0");
}

TEST(UrlDecodeToLocal, DecodesPercentTriplesPlusAndUtf8) {
    EXPECT_EQ(UrlDecodeToLocal("%E4%B8%AD"), kZhongLocal);
    EXPECT_EQ(UrlDecodeToLocal("%e4%b8%ad+x"), std::string(kZhongLocal) + " x");
    EXPECT_EQ(UrlDecodeToLocal("%GHij"), "GHij");
    EXPECT_EQ(UrlDecodeToLocal("50%"), "50");
    EXPECT_EQ(UrlDecodeToLocal("a%2"), "a2");
    EXPECT_EQ(UrlDecodeToLocal(UrlEncode(std::string("name=") + kZhongLocal + " & more")),
              std::string("name=") + kZhongLocal + " & more");
}

TEST(UrlDecodeToLocal, HostileBytesStayBounded) {
    EXPECT_EQ(UrlDecodeToLocal("%FFa"), "?a");         // not a lead byte
    EXPECT_EQ(UrlDecodeToLocal("a%E4%B8"), "a?");      // sequence cut off by the end
    EXPECT_EQ(UrlDecodeToLocal("%F0%9F%98%80"), "?");  // beyond 16 bits
    EXPECT_EQ(UrlDecodeToLocal("ab%00cd"), "ab");      // a decoded NUL ends the text
}

TEST(QueryText, AppendAndRead) {
    std::string query;
    EXPECT_EQ(AppendQueryParam(query, "", "x"), 0);
    EXPECT_EQ(query, "");
    EXPECT_EQ(AppendQueryParam(query, "PlugId", "12"), 1);
    EXPECT_EQ(query, "PlugId=12");
    EXPECT_EQ(AppendQueryParam(query, "x", "a b"), 1);
    EXPECT_EQ(query, "PlugId=12&x=a+b");

    EXPECT_EQ(QueryValue("code=100&softVer=9", "code"), "100");
    EXPECT_EQ(QueryValue("code=100&softVer=9", "Ver"), "9");
    EXPECT_EQ(QueryValue("code=100&softVer=9", "url"), "");
    EXPECT_EQ(QueryValue("a=%41&b=", "a"), "%41");
    EXPECT_EQ(QueryValue("a=1&b=", "b"), "");
}

TEST(QueryText, NumberAfterEquals) {
    EXPECT_EQ(NumberAfterEquals("XMLMD5=1234"), 1234);
    EXPECT_EQ(NumberAfterEquals("42"), 42);
    EXPECT_EQ(NumberAfterEquals("a=b=7"), 0);
    EXPECT_EQ(NumberAfterEquals("v=-3x"), -3);
    EXPECT_EQ(NumberAfterEquals(""), 0);
    EXPECT_EQ(NumberAfterEquals("abc"), 0);
    EXPECT_EQ(NumberAfterEquals("n=99999999999999999999"), 2147483647);
}

TEST(Base64Encode, Rfc4648Vectors) {
    const char* const cases[][2] = {{"", ""},
                                    {"a", "YQ=="},
                                    {"f", "Zg=="},
                                    {"fo", "Zm8="},
                                    {"foo", "Zm9v"},
                                    {"foob", "Zm9vYg=="},
                                    {"fooba", "Zm9vYmE="},
                                    {"foobar", "Zm9vYmFy"},
                                    {"\xFF\xFE\xFD", "//79"}};
    for (const auto& c : cases)
        EXPECT_EQ(Base64Encode(c[0]), c[1]) << c[0];
    EXPECT_EQ(Base64Encode(std::string("ab\0cd", 5)), "YWI=");
}

}  // namespace
}  // namespace vt::net
