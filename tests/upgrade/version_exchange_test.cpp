#include "upgrade/version_exchange.h"

#include <gtest/gtest.h>

#include <set>

#include "cipher/blowfish_cipher.h"
#include "net/exchange_peer.h"
#include "net/loopback_server.h"
#include "upgrade_test_server.h"

namespace vt::upgrade {
namespace {

using test::kUpgradeKey;

UpgradeSettings SettingsFor(const std::string& hostPort) {
    UpgradeSettings settings;
    settings.serverHost = hostPort;
    settings.interfacePath = "/Interfaces/gettoolver.aspx";
    settings.interfaceKey = kUpgradeKey;
    settings.projectName = "vael";
    return settings;
}

UpgradeCheckLimits ShortLimits() {
    UpgradeCheckLimits limits;
    limits.postTimeoutMs = 2000;
    limits.downloadTimeoutMs = 2000;
    return limits;
}

TEST(MakeToken, GivesZeroPaddedDigitsOfTheAskedKind) {
    for (int n : {1, 2, 3, 4}) {
        const std::string hex = MakeToken(n, true);
        ASSERT_EQ(hex.size(), static_cast<size_t>(n));
        EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
        const std::string dec = MakeToken(n, false);
        ASSERT_EQ(dec.size(), static_cast<size_t>(n));
        EXPECT_EQ(dec.find_first_not_of("0123456789"), std::string::npos) << dec;
    }
    EXPECT_EQ(MakeToken(0, true).size(), 5u);
    EXPECT_EQ(MakeToken(9, false).size(), 5u);
    // The count in the seed makes tokens of one second differ.
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i)
        seen.insert(MakeToken(4, true));
    EXPECT_GT(seen.size(), 10u);
}

TEST(VersionRequestBody, FramesTheCiphertextWithTheTokenHalves) {
    const std::string body = BuildVersionRequestBody("1A2B", "3C4D", kUpgradeKey, "vael");
    // token (8) + "toolsign=vael" (13) + NUL = 22 bytes, padded to 24: 48 digits.
    ASSERT_EQ(body.size(), 5u + 4 + 48 + 4);
    EXPECT_EQ(body.substr(0, 9), "data=1A2B");
    EXPECT_EQ(body.substr(body.size() - 4), "3C4D");
    std::string token, form;
    ASSERT_TRUE(net::DecodeExchangeRequest(body.substr(5), kUpgradeKey, token, form));
    EXPECT_EQ(token, "3C4D1A2B");
    EXPECT_EQ(form, "toolsign=vael");
    // The project name is URL-encoded; a name too long to send is refused.
    ASSERT_TRUE(net::DecodeExchangeRequest(
        BuildVersionRequestBody("0000", "1111", kUpgradeKey, "a b/\xD6\xD0").substr(5), kUpgradeKey,
        token, form));
    EXPECT_EQ(form, "toolsign=a+b%2F%E4%B8%AD");
    EXPECT_TRUE(
        BuildVersionRequestBody("0000", "1111", kUpgradeKey, std::string(6000, 'x')).empty());
}

// Decoding a reply for the token "3C4D1A2B".
class VersionReplyDecoding : public ::testing::Test {
  protected:
    const std::string token_ = "3C4D1A2B";
    std::string Cipher(const std::string& form, const std::string& key = kUpgradeKey) {
        return net::EncodeExchangeAnswer(form, key, token_).substr(5);
    }
    int Decode(const std::string& reply) {
        return DecodeVersionReply(reply, kUpgradeKey, token_, text_);
    }
    std::string text_;
};

TEST_F(VersionReplyDecoding, AcceptsTheMarkerInAnyCase) {
    EXPECT_EQ(Decode("bingo" + Cipher("code=100")), kVersionReplyOk);
    EXPECT_EQ(text_, "code=100");
    EXPECT_EQ(Decode("BINGO" + Cipher("code=100&softVer=1")), kVersionReplyOk);
    EXPECT_EQ(text_, "code=100&softVer=1");
    EXPECT_EQ(Decode("BiNgO" + Cipher("")), kVersionReplyOk);
    EXPECT_EQ(text_, "");
}

TEST_F(VersionReplyDecoding, RefusesMissingMarkersEmptyRepliesAndForeignKeys) {
    EXPECT_EQ(Decode(""), kVersionNoMarker);
    EXPECT_EQ(Decode("bing"), kVersionNoMarker);
    EXPECT_EQ(Decode(" bingo" + Cipher("code=100")), kVersionNoMarker);
    EXPECT_EQ(Decode("<html>error</html>"), kVersionNoMarker);
    EXPECT_EQ(Decode("bingo"), kVersionEmptyReply);
    EXPECT_EQ(Decode("BINGO"), kVersionEmptyReply);
    EXPECT_EQ(Decode("bingo" + Cipher("code=100", "another key")), kVersionTokenMismatch);
    EXPECT_EQ(text_, "");
    // A reply made for another request (another token) fails the same way.
    EXPECT_EQ(
        Decode("bingo" + net::EncodeExchangeAnswer("code=100", kUpgradeKey, "00000000").substr(5)),
        kVersionTokenMismatch);
    EXPECT_EQ(Decode("bingoZZZZ"), kVersionTokenMismatch);
}

TEST_F(VersionReplyDecoding, ReadsAtMost4096BytesAndStaysTerminated) {
    // A plaintext longer than the bound is cut at 4096 bytes, token included.
    const std::string longForm = "code=100&softUpDesc=" + std::string(6000, 'x');
    ASSERT_EQ(Decode("bingo" + Cipher(longForm)), kVersionReplyOk);
    EXPECT_EQ(text_.size(), 4096u - 8);
    EXPECT_EQ(text_, longForm.substr(0, 4096 - 8));
    // Ciphertext that decrypts to no zero byte at all still ends at the bound.
    std::string plain = token_ + std::string(8192, 'y');
    const std::string keyBytes = kUpgradeKey + token_;
    const std::string hex = cipher::BlowfishCipher(keyBytes.data(), keyBytes.size())
                                .EncryptToHex(plain.data(), plain.size());
    ASSERT_EQ(Decode("bingo" + hex), kVersionReplyOk);
    EXPECT_EQ(text_.size(), 4096u - 8);
    // A trailing odd digit is ignored.
    EXPECT_EQ(Decode("bingo" + Cipher("code=100") + "F"), kVersionReplyOk);
    EXPECT_EQ(text_, "code=100");
}

TEST(ParseVersionReply, SplitsNamesAndDecodesOnlyValues) {
    EXPECT_TRUE(ParseVersionReply("").empty());
    const VersionReply reply =
        ParseVersionReply("code=100&softUpDesc=a%20b+c&na%20me=x&softVer=9126&empty=");
    ASSERT_EQ(reply.size(), 5u);
    EXPECT_EQ(reply[1], (std::pair<std::string, std::string>("softUpDesc", "a b c")));
    EXPECT_EQ(reply[2].first, "na%20me");
    EXPECT_EQ(ReplyValue(reply, "code"), "100");
    EXPECT_EQ(ReplyValue(reply, "softVer"), "9126");
    EXPECT_EQ(ReplyValue(reply, "empty"), "");
    EXPECT_EQ(ReplyValue(reply, "Ver"), "");      // exact names only
    EXPECT_EQ(ReplyValue(reply, "softver"), "");  // and with their case
    // A segment without "=" becomes part of the next name; with no "=" left
    // the name is empty.
    const VersionReply odd = ParseVersionReply("junk&code=100&tail");
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd[0].first, "junk&code");
    EXPECT_EQ(odd[1], (std::pair<std::string, std::string>("", "tail")));
    // The first of two fields of one name wins; Chinese text arrives in GBK.
    const VersionReply twice = ParseVersionReply("code=100&code=200&d=%E4%B8%AD");
    EXPECT_EQ(ReplyValue(twice, "code"), "100");
    EXPECT_EQ(ReplyValue(twice, "d"), "\xD6\xD0");
}

TEST(RequestVersionInfo, PostsOneEncryptedFormAndReturnsThePlaintext) {
    test::UpgradeTestServer server;
    server.SetForm("code=100&softVer=9126");
    std::string text, raw;
    ASSERT_EQ(RequestVersionInfo(SettingsFor(server.HostPort()), ShortLimits(), text, &raw),
              kVersionReplyOk);
    EXPECT_EQ(text, "code=100&softVer=9126");
    EXPECT_EQ(raw.rfind("bingo", 0), 0u);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_TRUE(requests[0].decoded);
    EXPECT_EQ(requests[0].form, "toolsign=vael");
    // The token halves travel around the ciphertext, second half first in the token.
    EXPECT_EQ(requests[0].body.substr(5, 4), requests[0].token.substr(4));
    EXPECT_EQ(requests[0].body.substr(requests[0].body.size() - 4), requests[0].token.substr(0, 4));
    // A server given as "http://host:port" is reached too.
    EXPECT_EQ(RequestVersionInfo(SettingsFor("http://" + server.HostPort()), ShortLimits(), text),
              kVersionReplyOk);
}

TEST(RequestVersionInfo, GivesEachResultOfTheTable) {
    test::UpgradeTestServer server;
    const UpgradeSettings settings = SettingsFor(server.HostPort());
    std::string text;
    const auto request = [&](const test::UpgradeTestServer::Reply& reply) {
        server.SetReply(reply);
        return RequestVersionInfo(settings, ShortLimits(), text);
    };
    test::UpgradeTestServer::Reply reply;
    reply.raw = "BINGO$CIPHER";
    reply.form = "code=100";
    EXPECT_EQ(request(reply), kVersionReplyOk);
    // Line breaks anywhere in the reply, even inside the hex text, are dropped.
    reply.raw = "bin\r\ngo$CIPHER\r\n\r\n";
    EXPECT_EQ(request(reply), kVersionReplyOk);
    EXPECT_EQ(text, "code=100");
    reply.raw = "bingo\n$CIPHER\n";
    EXPECT_EQ(request(reply), kVersionReplyOk);
    // The HTTP status is not looked at: a good reply under 500 is accepted,
    // an error page under 200 is not.
    reply.raw = "bingo$CIPHER";
    reply.status = 500;
    EXPECT_EQ(request(reply), kVersionReplyOk);
    reply.raw = "<html>Not Found</html>";
    reply.status = 404;
    EXPECT_EQ(request(reply), kVersionNoMarker);
    reply.raw = "garbage \x01\xFF";
    reply.status = 200;
    EXPECT_EQ(request(reply), kVersionNoMarker);
    reply.raw = "bingo\r\n";
    EXPECT_EQ(request(reply), kVersionEmptyReply);
    reply.raw = "";
    reply.answerKey = "not the interface key";
    EXPECT_EQ(request(reply), kVersionTokenMismatch);
    reply.answerKey = test::kUpgradeKey;
    reply.raw = "bingo$TOKEN";  // the token in clear text is no reply
    EXPECT_EQ(request(reply), kVersionTokenMismatch);

    UpgradeSettings longName = settings;
    longName.projectName.assign(20000, 'p');
    EXPECT_EQ(RequestVersionInfo(longName, ShortLimits(), text), kVersionFormFailed);
    const size_t posted = server.Requests().size();
    UpgradeSettings nowhere = settings;
    nowhere.serverHost = "127.0.0.1:1";
    EXPECT_EQ(RequestVersionInfo(nowhere, ShortLimits(), text), kVersionPostFailed);
    nowhere.serverHost = "";
    EXPECT_EQ(RequestVersionInfo(nowhere, ShortLimits(), text), kVersionPostFailed);
    EXPECT_EQ(server.Requests().size(), posted);
}

TEST(RequestVersionInfo, KeepsABoundedPartOfAHugeReply) {
    test::UpgradeTestServer server;
    test::UpgradeTestServer::Reply reply;
    reply.form = "code=100";
    reply.raw = "bingo$CIPHER" + std::string(4 << 20, '0');
    server.SetReply(reply);
    std::string text, raw;
    EXPECT_EQ(RequestVersionInfo(SettingsFor(server.HostPort()), ShortLimits(), text, &raw),
              kVersionReplyOk);
    EXPECT_EQ(raw.size(), kMaxVersionReplyLength);
    EXPECT_EQ(text, "code=100");
}

TEST(RequestVersionInfo, GivesUpOnAServerThatNeverAnswers) {
    // The server reads the request and then says nothing until the client
    // leaves, or hangs up after 10 seconds.
    test::LoopbackServer silent([](int, test::ServerConnection& connection) {
        connection.ReadHead();
        connection.ReadExactly(1 << 20, 10000);
    });
    UpgradeCheckLimits limits;
    limits.postTimeoutMs = 1000;
    std::string text;
    const int result =
        RequestVersionInfo(SettingsFor("127.0.0.1:" + std::to_string(silent.port())), limits, text);
    // Either the client gives up, or (WinInet under wine, which does not
    // apply the timeout) it reads the hang-up as an empty reply.
    EXPECT_TRUE(result == kVersionPostFailed || result == kVersionNoMarker) << result;
}

}  // namespace
}  // namespace vt::upgrade
