#include "upgrade/upgrade_check.h"

#include "platform/system.h"

namespace vt::upgrade {

namespace {

// The status the reply and the later steps lead to.
UpgradeStatus RunCheck(const UpgradeSettings& settings, UpgradeCheckHost& host,
                       const UpgradeCheckLimits& limits, UpgradeCheckReport& report) {
    std::string text;
    report.requestResult = RequestVersionInfo(settings, limits, text, &report.rawReply);
    if (report.requestResult != kVersionReplyOk)
        return kUpgradeExchangeFailed;
    report.fields = ParseVersionReply(text);
    if (report.fields.empty() || ReplyValue(report.fields, "code") != "100")
        return kUpgradeReplyUnusable;

    const auto value = [&](const char* name) { return ReplyValue(report.fields, name); };
    const std::string updaterVersion = value("updSoftVerV2");
    const std::string updaterUrl = value("updSoftDownUrlV2");
    platform::DebugOutput("SurgewellDll::DownloadRefitterV2_b");
    platform::DebugOutput(updaterVersion);
    platform::DebugOutput(updaterUrl);
    report.refitterResult =
        EnsureRefitter(settings, updaterVersion, updaterUrl, limits, &report.refitter);
    platform::DebugOutput("SurgewellDll::DownloadRefitterV2_e");
    if (*report.refitterResult < 0)
        return kUpgradeReplyUnusable;

    const UpdateOffer offer{value("softVer"), value("softDownUrl"), value("softHandworkDownUrl"),
                            value("softUpDesc"), value("softUpDate")};
    platform::DebugOutput("SurgewellDll::DownloadSoft_b");
    report.handOverResult = HandOverUpdate(settings, offer, host.InfoBlock(), &report.handOver);
    platform::DebugOutput("SurgewellDll::DownloadSoft_e");
    if (*report.handOverResult < 0)
        return kUpgradeReplyUnusable;
    return *report.handOverResult == kHandOverStarted ? kUpgradeHandedOver : kUpgradeUpToDate;
}

}  // namespace

UpgradeCheckReport CheckForUpgrade(const UpgradeSettings& settings, UpgradeCheckHost& host,
                                   const UpgradeCheckLimits& limits) {
    UpgradeCheckReport report;
    report.status = RunCheck(settings, host, limits, report);
    host.PostResult(report.status);
    host.PostCheckEnded();
    return report;
}

}  // namespace vt::upgrade
