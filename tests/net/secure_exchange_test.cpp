#include "net/secure_exchange.h"

#include <gtest/gtest.h>

#include <set>

#include "cipher/blowfish_cipher.h"
#include "net/exchange_peer.h"
#include "net/form_post.h"
#include "net/loopback_server.h"
#include "net/url_codec.h"

namespace vt::net {
namespace {

const std::string kKey =
    "0123456789abcdefghijklmnopqrstuvwxyz";  // 36 printable characters like the real one

TEST(SecureExchangeBody, FramesCiphertextWithTheSaltHalves) {
    const std::string body = BuildExchangeBody("", kKey, "1234ABCD");
    ASSERT_EQ(body.size(), 5u + 4 + 32 + 4);
    EXPECT_EQ(body.substr(0, 9), "data=ABCD");
    EXPECT_EQ(body.substr(body.size() - 4), "1234");
    const std::string keyBytes = kKey + "1234ABCD";
    char plain[16] = {};
    cipher::BlowfishCipher(keyBytes.data(), keyBytes.size())
        .DecryptFromHex(body.substr(9, 32), plain, sizeof plain);
    EXPECT_STREQ(plain, "1234ABCD");

    std::string salt, data;
    ASSERT_TRUE(DecodeExchangeRequest(BuildExchangeBody("PlugId=12", kKey, "00FF11EE").substr(5),
                                      kKey, salt, data));
    EXPECT_EQ(salt, "00FF11EE");
    EXPECT_EQ(data, "PlugId=12");
}

TEST(SecureExchangeBody, RequestsBeyondTheLimitAreRefused) {
    const size_t fits = (kMaxExchangeRequestLength - 8) / 16 * 8 - 9;  // salt and NUL take 9 bytes
    EXPECT_FALSE(BuildExchangeBody(std::string(fits, 'a'), kKey, "1234ABCD").empty());
    EXPECT_TRUE(BuildExchangeBody(std::string(fits + 8, 'a'), kKey, "1234ABCD").empty());
}

TEST(SecureExchangeBody, PeerRejectsMalformedRequests) {
    const std::string good = BuildExchangeBody("a=1", kKey, "1234ABCD").substr(5);
    std::string salt, data;
    EXPECT_FALSE(DecodeExchangeRequest(good, "another key", salt, data));
    EXPECT_FALSE(DecodeExchangeRequest(good.substr(1), kKey, salt, data));
    EXPECT_FALSE(DecodeExchangeRequest("", kKey, salt, data));
    EXPECT_FALSE(DecodeExchangeRequest(std::string(good.size(), 'Z'), kKey, salt, data));
    EXPECT_FALSE(DecodeExchangeRequest(std::string(200000, '0'), kKey, salt, data));
}

TEST(SecureExchangeAnswer, MarkerSaltAndBounds) {
    const std::string salt = "1234ABCD";
    std::string plain;
    EXPECT_EQ(
        DecodeExchangeAnswer(EncodeExchangeAnswer("XMLMD5%3D77", kKey, salt), kKey, salt, plain),
        ExchangeStatus::kOk);
    EXPECT_EQ(plain, "XMLMD5=77");

    EXPECT_EQ(DecodeExchangeAnswer("no marker here", kKey, salt, plain), ExchangeStatus::kNoMarker);
    EXPECT_EQ(DecodeExchangeAnswer("Bingo" + EncodeExchangeAnswer("x", kKey, salt).substr(5), kKey,
                                   salt, plain),
              ExchangeStatus::kNoMarker);
    // One character before the marker shifts the hex text by one digit.
    EXPECT_EQ(DecodeExchangeAnswer("x" + EncodeExchangeAnswer("x", kKey, salt), kKey, salt, plain),
              ExchangeStatus::kNoSalt);
    EXPECT_EQ(DecodeExchangeAnswer(EncodeExchangeAnswer("x", "wrong key", salt), kKey, salt, plain),
              ExchangeStatus::kNoSalt);
    EXPECT_EQ(DecodeExchangeAnswer("bingo", kKey, salt, plain), ExchangeStatus::kNoSalt);
    EXPECT_EQ(plain, "");

    // An answer longer than the limit is cut at the limit and stays terminated.
    std::string huge = EncodeExchangeAnswer(std::string(150000, 'A'), kKey, salt);
    ASSERT_EQ(DecodeExchangeAnswer(huge, kKey, salt, plain), ExchangeStatus::kOk);
    EXPECT_EQ(plain.size(), kMaxExchangeAnswerLength - 8);
}

// The salt ties an answer to its request: the peer reads it back from the
// framed body, and an answer made for one second's salt is refused under the
// next second's.
TEST(MakeSalt, TiesEachAnswerToTheSecondOfItsRequest) {
    const uint32_t second = 1700000000;
    const std::string salt = MakeSalt(8, second);
    ASSERT_EQ(salt.size(), 8u);
    EXPECT_EQ(salt.find_first_not_of("0123456789ABCDEF"), std::string::npos);  // sent unencoded
    EXPECT_EQ(MakeSalt(8, second), salt);  // exchanges in one second share it
    EXPECT_EQ(MakeSalt(8).size(), 8u);

    std::string seen, data;
    ASSERT_TRUE(
        DecodeExchangeRequest(BuildExchangeBody("a=1", kKey, salt).substr(5), kKey, seen, data));
    EXPECT_EQ(seen, salt);

    const std::string answer = EncodeExchangeAnswer("x", kKey, salt);
    std::set<std::string> salts{salt};
    for (uint32_t later = second + 1; later <= second + 60; ++later) {
        const std::string other = MakeSalt(8, later);
        salts.insert(other);
        std::string plain;
        EXPECT_EQ(DecodeExchangeAnswer(answer, kKey, other, plain), ExchangeStatus::kNoSalt);
    }
    EXPECT_EQ(salts.size(), 61u);
}

// The loopback server plays the catalogue server's interface.
class SecureExchangeLoopback : public ::testing::Test {
  protected:
    // Answers a decodable request with the whole answer make(salt, data)
    // gives; anything else with 400.
    static test::LoopbackServer::Script Replying(
        std::function<std::string(const std::string&, const std::string&)> make) {
        return [make](int, test::ServerConnection& connection) {
            std::string body, salt, data;
            connection.ReadRequest(body);
            if (body.rfind("data=", 0) != 0 ||
                !DecodeExchangeRequest(body.substr(5), kKey, salt, data)) {
                connection.Send(test::Answer(400, "bad request"));
                return;
            }
            // The client may hang up early on a long answer; that ends the send.
            connection.Send(make(salt, data));
        };
    }
};

TEST_F(SecureExchangeLoopback, RoundTripCarriesFormAndAnswer) {
    std::string seenData;
    test::LoopbackServer server(Replying([&](const std::string& salt, const std::string& data) {
        seenData = data;
        const std::string text = "XMLMD5=" + UrlEncode("\xD6\xD0") + "&n=5";
        return test::Answer(200, EncodeExchangeAnswer(text, kKey, salt) + "\r\nsecond line\r\n");
    }));
    ASSERT_NE(server.port(), 0);
    std::string query;
    AppendQueryParam(query, "PlugId", "12");
    std::string answer;
    int status = 0;
    ASSERT_EQ(RunSecureExchange(query, server.Url("/Interfaces/StatisticsPlugPopu.aspx"), kKey,
                                answer, &status),
              ExchangeStatus::kOk);
    EXPECT_EQ(status, 200);
    EXPECT_EQ(seenData, "PlugId=12");
    EXPECT_EQ(answer, "XMLMD5=\xD6\xD0&n=5");

    const auto heads = server.heads();
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].rfind("POST /Interfaces/StatisticsPlugPopu.aspx HTTP/1.1\r\n", 0), 0u)
        << heads[0];
    EXPECT_NE(heads[0].find("Content-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos);
    EXPECT_NE(heads[0].find("Accept: */*\r\n"), std::string::npos);
}

TEST_F(SecureExchangeLoopback, BadAnswersFail) {
    struct Case {
        const char* what;
        std::function<std::string(const std::string& salt)> answer;
        ExchangeStatus expected;
    };
    const Case cases[] = {
        {"no marker", [](const std::string&) { return test::Answer(200, "hello\r\n"); },
         ExchangeStatus::kNoMarker},
        {"marker late",
         [](const std::string& salt) {
             return test::Answer(200, std::string(kMaxAnswerLineLength, 'x') +
                                          EncodeExchangeAnswer("a", kKey, salt));
         },
         ExchangeStatus::kNoMarker},
        {"marker on the second line",
         [](const std::string& salt) {
             return test::Answer(200, "\r\n" + EncodeExchangeAnswer("a", kKey, salt));
         },
         ExchangeStatus::kNoMarker},
        {"wrong key",
         [](const std::string& salt) {
             return test::Answer(200, EncodeExchangeAnswer("a", "other", salt));
         },
         ExchangeStatus::kNoSalt},
        {"missing salt",
         [](const std::string& salt) {
             const std::string keyBytes = kKey + salt;
             const char plain[] = "no salt in here";
             return test::Answer(200,
                                 "bingo" + cipher::BlowfishCipher(keyBytes.data(), keyBytes.size())
                                               .EncryptToHex(plain, sizeof plain));
         },
         ExchangeStatus::kNoSalt},
        {"server error",
         [](const std::string& salt) {
             return test::Answer(500, EncodeExchangeAnswer("a", kKey, salt));
         },
         ExchangeStatus::kPostFailed},
        {"not found", [](const std::string&) { return test::Answer(404, ""); },
         ExchangeStatus::kPostFailed},
        {"empty body", [](const std::string&) { return test::Answer(200, ""); },
         ExchangeStatus::kNoMarker},
        // WinInet reads an answer without a status line as HTTP/0.9 with an
        // empty body, libcurl refuses it; either way the exchange fails.
        {"garbage head", [](const std::string&) { return "NOT HTTP AT ALL\r\n\r\n"; },
         ExchangeStatus::kOk},
        {"huge body without line break",
         [](const std::string&) { return test::Answer(200, std::string(1 << 20, 'Q')); },
         ExchangeStatus::kNoMarker},
    };
    for (const Case& c : cases) {
        test::LoopbackServer server(
            Replying([&](const std::string& salt, const std::string&) { return c.answer(salt); }));
        std::string answer;
        const ExchangeStatus status = RunSecureExchange(
            "", server.Url("/Interfaces/IGetPlugXmlConfigInfo.aspx"), kKey, answer);
        if (c.expected == ExchangeStatus::kOk)
            EXPECT_NE(status, ExchangeStatus::kOk) << c.what;
        else
            EXPECT_EQ(status, c.expected) << c.what;

        EXPECT_LE(answer.size(), kMaxExchangeAnswerLength) << c.what;
    }
}

TEST_F(SecureExchangeLoopback, HugeValidAnswerIsBounded) {
    test::LoopbackServer server(Replying([](const std::string& salt, const std::string&) {
        return test::Answer(200, EncodeExchangeAnswer(std::string(300000, 'z'), kKey, salt) + "\n" +
                                     std::string(1 << 20, 'y'));
    }));
    std::string answer;
    ASSERT_TRUE(SecureExchange("", server.Url("/x"), kKey, answer));
    EXPECT_EQ(answer, std::string(kMaxExchangeAnswerLength - 8, 'z'));
}

TEST(SecureExchangeUrl, UnusableUrlsFail) {
    std::string answer;
    EXPECT_FALSE(SecureExchange("", "not a url", kKey, answer));
    EXPECT_FALSE(SecureExchange("", "ftp://127.0.0.1/x", kKey, answer));
    uint16_t port = 0;
    { platform::Socket closed = platform::ListenLoopback(0, port); }
    EXPECT_FALSE(
        SecureExchange("", "http://127.0.0.1:" + std::to_string(port) + "/x", kKey, answer));
}

}  // namespace
}  // namespace vt::net
