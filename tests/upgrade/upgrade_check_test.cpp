#include "upgrade/upgrade_check.h"

#include <gtest/gtest.h>

#include "updater_archive.h"
#include "upgrade_check_fixture.h"

namespace vt::upgrade {
namespace {

using test::UpgradeCheckTest;

const std::string kCurrentUpdater = "&updSoftVerV2=3&updSoftDownUrlV2=";

TEST_F(UpgradeCheckTest, AFailedExchangeIsStatusTwo) {
    test::UpgradeTestServer::Reply reply;
    for (const std::string raw : {"garbage", "bingo", "<html>busy</html>"}) {
        reply.raw = raw;
        server_.SetReply(reply);
        EXPECT_EQ(Check().status, kUpgradeExchangeFailed) << raw;
    }
    reply.raw = "";
    reply.form = "code=100&softVer=9126";
    reply.answerKey = "another key";
    server_.SetReply(reply);
    const UpgradeCheckReport foreign = Check();
    EXPECT_EQ(foreign.status, kUpgradeExchangeFailed);
    EXPECT_EQ(foreign.requestResult, kVersionTokenMismatch);
    EXPECT_FALSE(foreign.refitterResult.has_value());

    settings_.serverHost = "127.0.0.1:1";
    const UpgradeCheckReport unreachable = Check();
    EXPECT_EQ(unreachable.status, kUpgradeExchangeFailed);
    EXPECT_EQ(unreachable.requestResult, kVersionPostFailed);
}

TEST_F(UpgradeCheckTest, AnUnusableReplyIsStatusThree) {
    // Only the token: no fields at all.
    EXPECT_EQ(Check("").status, kUpgradeReplyUnusable);
    EXPECT_EQ(Check("softVer=9126" + kCurrentUpdater).status, kUpgradeReplyUnusable);
    EXPECT_EQ(Check("code=200&softVer=9126" + kCurrentUpdater).status, kUpgradeReplyUnusable);
    EXPECT_EQ(Check("code=100%20&softVer=9126" + kCurrentUpdater).status, kUpgradeReplyUnusable);
    EXPECT_EQ(Check("Code=100&softVer=9126" + kCurrentUpdater).status, kUpgradeReplyUnusable);
    // Without an updater version the updater step fails and the program
    // decision is never reached.
    for (const std::string form :
         {"code=100&softVer=9126&softDownUrl=http://h/p.zip",
          "code=100&softVer=9126&softDownUrl=http://h/p.zip&updSoftVerV2=&updSoftDownUrlV2=x"}) {
        const UpgradeCheckReport report = Check(form);
        EXPECT_EQ(report.status, kUpgradeReplyUnusable);
        EXPECT_EQ(report.refitterResult, kRefitterNoVersion);
        EXPECT_FALSE(report.handOverResult.has_value());
    }
    EXPECT_EQ(block_, nullptr);
}

TEST_F(UpgradeCheckTest, ACurrentProgramIsStatusZeroAfterTheUpdaterStep) {
    const UpgradeCheckReport report = Check("code=100&softVer=9125&softDownUrl=" + kCurrentUpdater);
    EXPECT_EQ(report.status, kUpgradeUpToDate);
    EXPECT_EQ(report.refitterResult, kRefitterCurrent);
    EXPECT_EQ(report.handOverResult, kHandOverCurrent);
    // "v9126" is 0 as a number, never newer.
    EXPECT_EQ(Check("code=100&softVer=v9126&softDownUrl=http://h/p.zip" + kCurrentUpdater).status,
              kUpgradeUpToDate);
    EXPECT_EQ(block_, nullptr);
}

TEST_F(UpgradeCheckTest, AnOutdatedProgramWithoutItsUrlOrVersionIsStatusThree) {
    EXPECT_EQ(Check("code=100&softVer=9126&softDownUrl=" + kCurrentUpdater).status,
              kUpgradeReplyUnusable);
    EXPECT_EQ(Check("code=100&softVer=9126" + kCurrentUpdater).status, kUpgradeReplyUnusable);
    EXPECT_EQ(Check("code=100&softVer=&softDownUrl=http://h/p.zip" + kCurrentUpdater).status,
              kUpgradeReplyUnusable);
    EXPECT_EQ(block_, nullptr);
}

TEST_F(UpgradeCheckTest, ANewerProgramIsHandedOverWithDecodedValues) {
    const UpgradeCheckReport report = Check(
        "code=100&softVer=9126abc&softDownUrl=http%3A%2F%2Fh%2Fp.zip&softHandworkDownUrl=x"
        "&softUpDesc=new%20version+%E4%B8%AD&softUpDate=2024-05-01" +
        kCurrentUpdater);
    EXPECT_EQ(report.status, kUpgradeHandedOver);
    EXPECT_EQ(report.handOverResult, kHandOverStarted);
    EXPECT_EQ(report.handOver.commandLine, settings_.mapName + "|VaelTessel.exe");
    ASSERT_NE(block_, nullptr);
    EXPECT_EQ(InfoBlockText(*block_, kInfoSoftVer), "9126abc");
    EXPECT_EQ(InfoBlockText(*block_, kInfoSoftDownUrl), "http://h/p.zip");
    EXPECT_EQ(InfoBlockText(*block_, kInfoSoftUpDesc), "new version \xD6\xD0");
    EXPECT_EQ(InfoBlockText(*block_, kInfoSoftUpDate), "2024-05-01");
    EXPECT_EQ(InfoBlockNumber(*block_, kInfoHostWindow), 0x4321u);
    EXPECT_EQ(ReplyValue(report.fields, "softHandworkDownUrl"), "x");
}

TEST_F(UpgradeCheckTest, FetchesAnOutdatedUpdaterBeforeTheDecision) {
    server_.SetFile("/upgrade/Refitter.zip",
                    test::BuildZip({test::Member("Refitter.exe", "updater 4"),
                                    test::Member("RefitterVer.ini", "[UpdateVer]\nver=4\n")}));
    const std::string form = "code=100&softVer=9125&updSoftVerV2=4&updSoftDownUrlV2=" +
                             server_.Url("/upgrade/Refitter.zip");
    const UpgradeCheckReport report = Check(form);
    EXPECT_EQ(report.status, kUpgradeUpToDate);
    EXPECT_EQ(report.refitterResult, kRefitterFetched);
    EXPECT_EQ(test::ReadTestFile(dir_ / "Refitter.exe"), "updater 4");

    // A failed fetch ends the check before the program decision.
    const UpgradeCheckReport failed =
        Check("code=100&softVer=9126&softDownUrl=http://h/p.zip&updSoftVerV2=5&updSoftDownUrlV2=" +
              server_.Url("/upgrade/missing.zip"));
    EXPECT_EQ(failed.status, kUpgradeReplyUnusable);
    EXPECT_EQ(failed.refitterResult, kRefitterDownloadFailed);
    EXPECT_FALSE(failed.handOverResult.has_value());
}

}  // namespace
}  // namespace vt::upgrade
