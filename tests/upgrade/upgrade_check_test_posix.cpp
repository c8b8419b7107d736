#include <gtest/gtest.h>

#include <sstream>

#include "platform/system.h"
#include "updater_archive.h"
#include "upgrade_check_fixture.h"

namespace vt::upgrade {
namespace {

// The lines a check wrote to the debug channel (stderr with TESSEL_DEBUG set).
class DebugLinesTest : public test::UpgradeCheckTest {
  protected:
    std::vector<std::string> CheckAndCollect() {
        platform::SetEnv("TESSEL_DEBUG", "1");
        ::testing::internal::CaptureStderr();
        Check();
        const std::string captured = ::testing::internal::GetCapturedStderr();
        platform::SetEnv("TESSEL_DEBUG", "");
        std::vector<std::string> lines;
        std::istringstream stream(captured);
        for (std::string line; std::getline(stream, line);) {
            if (line.rfind("[debug] ", 0) == 0)
                lines.push_back(line.substr(8));
        }
        return lines;
    }
};

TEST_F(DebugLinesTest, AFullCheckWritesEveryStepInOrder) {
    server_.SetFile("/Refitter.zip", test::BuildZip({test::Member("Refitter.exe", "u"),
                                                     test::Member("ImageRes/a.png", "a")}));
    const std::string url = server_.Url("/Refitter.zip");
    test::UpgradeTestServer::Reply reply;
    reply.form = "code=100&softVer=9125&updSoftVerV2=4&updSoftDownUrlV2=" + url;
    reply.raw = "bingo$CIPHER\r\n";
    server_.SetReply(reply);
    const std::vector<std::string> lines = CheckAndCollect();
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string token = requests[0].token;
    const std::string archive = dir_ / "Refitter.exetmp";
    const std::vector<std::string> expected = {
        "toolsign== vael == encode == vael",
        "bingo" + net::EncodeExchangeAnswer(reply.form, test::kUpgradeKey, token).substr(5),
        "PostKeyInformation:end",
        token + reply.form,
        "SurgewellDll::DownloadRefitterV2_b",
        "4",
        url,
        "SurgewellDll::UnpackageZip",
        "Unpacking...",
        archive,
        "",
        "Refitter.exe",
        "SurgewellDll::UnpackageZip_e",
        "SurgewellDll::DownloadRefitterV2_e",
        "SurgewellDll::DownloadSoft_b",
        "SurgewellDll::DownloadSoft_e",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(DebugLinesTest, AFailedPostSaysSoAndStops) {
    settings_.serverHost = "127.0.0.1:1";
    const std::vector<std::string> expected = {"toolsign== vael == encode == vael", "chucuole ~!"};
    EXPECT_EQ(CheckAndCollect(), expected);
}

TEST_F(DebugLinesTest, AForeignReplyShowsItsPlaintextAndStops) {
    test::UpgradeTestServer::Reply reply;
    reply.form = "code=100";
    reply.answerKey = "another key";
    server_.SetReply(reply);
    const std::vector<std::string> lines = CheckAndCollect();
    // The builder's line, the reply, the end of the post, then the decrypted
    // bytes (garbage under the wrong key, possibly with line breaks); no step
    // after the exchange.
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "PostKeyInformation:end");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("SurgewellDll::"), std::string::npos) << line;
}

}  // namespace
}  // namespace vt::upgrade
