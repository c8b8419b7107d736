// tessel check-upgrade: one check of the upgrade module, run headless in the
// program directory against the upgrade server of servers.ini.
#include "cli.h"
#include "net/http_download.h"
#include "settings/server_config.h"
#include "settings/settings.h"
#include "upgrade/module_binding.h"
#include "upgrade/upgrade_check.h"

namespace vt::cli {

namespace {

// Stands in for the module window: keeps the record and the posted status.
class HeadlessCheckHost : public upgrade::UpgradeCheckHost {
  public:
    void PostResult(int) override {}
    void PostCheckEnded() override {}
    std::unique_ptr<upgrade::UpgradeInfoBlock>& InfoBlock() override { return block_; }

  private:
    std::unique_ptr<upgrade::UpgradeInfoBlock> block_;
};

const char* StatusText(upgrade::UpgradeStatus status) {
    switch (status) {
        case upgrade::kUpgradeUpToDate:
            return "up to date";
        case upgrade::kUpgradeHandedOver:
            return "a newer version was handed to the updater";
        case upgrade::kUpgradeExchangeFailed:
            return "the version exchange failed";
        default:
            return "the reply was unusable or a step after it failed";
    }
}

std::string ExchangeText(upgrade::VersionRequestResult result) {
    switch (result) {
        case upgrade::kVersionReplyOk:
            return "reply accepted";
        case upgrade::kVersionPostFailed:
            return "no answer from the upgrade server";
        case upgrade::kVersionNoMarker:
            return "the reply does not start with \"bingo\"";
        case upgrade::kVersionEmptyReply:
            return "nothing follows the reply's marker";
        case upgrade::kVersionTokenMismatch:
            return "the reply does not decrypt to this request's token (wrong key?)";
        default:
            return "the request could not be built";
    }
}

std::string UpdaterText(const upgrade::UpgradeCheckReport& report) {
    if (!report.refitterResult)
        return "not looked at";
    const upgrade::RefitterReport& r = report.refitter;
    const std::string versions = "installed " + std::to_string(r.installedVersion) + ", required " +
                                 std::to_string(r.requiredVersion);
    switch (*report.refitterResult) {
        case upgrade::kRefitterCurrent:
            return "current (" + versions + ")";
        case upgrade::kRefitterNoVersion:
            return "the reply names no updater version";
        case upgrade::kRefitterNoUrl:
            return "needs fetching (" + versions + ") but the reply names no archive";
        case upgrade::kRefitterDownloadFailed:
            return std::string("download failed: ") + net::DownloadResultText(*r.downloadResult);
        default:
            return r.unpacked ? "fetched and unpacked " + std::to_string(r.archive.members.size()) +
                                    " members (" + versions + ")"
                              : std::string(
                                    "fetched, but the archive failed its check and "
                                    "was not unpacked");
    }
}

std::string ProgramText(const upgrade::UpgradeCheckReport& report, int currentVersion) {
    if (!report.handOverResult)
        return "not looked at";
    const std::string offered = upgrade::ReplyValue(report.fields, "softVer");
    switch (*report.handOverResult) {
        case upgrade::kHandOverNoVersion:
            return "the reply names no program version";
        case upgrade::kHandOverCurrent:
            return "current (" + std::to_string(currentVersion) + ", offered \"" + offered + "\")";
        case upgrade::kHandOverNoUrl:
            return "outdated, but the reply names no package";
        default: {
            const upgrade::HandOverReport& h = report.handOver;
            const char* block = h.mapping == platform::SharedMemory::Result::kCreated
                                    ? "written to a new shared block"
                                : h.mapping == platform::SharedMemory::Result::kOpenedExisting
                                    ? "shared block existed and was left as it was"
                                    : "shared block could not be made";
            return "handed over (" + std::string(block) + "); updater " + h.program +
                   (h.started ? " started" : " could not be started") + " with command line \"" +
                   h.commandLine + "\"";
        }
    }
}

int RunCheckUpgrade(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "check-upgrade");
    PrepareProgramFiles(context);
    const std::string programDir = context.app.ProgramDir();
    const upgrade::UpgradeHostValues values = upgrade::ProgramUpgradeValues(
        programDir, context.servers.upgrade, settings::kProgramVersion);
    const upgrade::UpgradeSettings settings =
        upgrade::SettingsFromHostValues(values, programDir, 0);
    HeadlessCheckHost host;
    const upgrade::UpgradeCheckReport report = upgrade::CheckForUpgrade(settings, host);

    const bool ok =
        report.status == upgrade::kUpgradeUpToDate || report.status == upgrade::kUpgradeHandedOver;
    const std::string updater = UpdaterText(report);
    const std::string program = ProgramText(report, settings.currentVersion);
    if (context.json) {
        JsonLine fields;
        for (const auto& [name, value] : report.fields)
            fields.Add(ToTerminal(name), ToTerminal(value));
        JsonLine line;
        line.Add("status", report.status)
            .Add("statusText", StatusText(report.status))
            .Add("server", ToTerminal(settings.serverHost))
            .Add("exchange", report.requestResult)
            .Add("exchangeText", ExchangeText(report.requestResult))
            .AddRaw("fields", fields.Text())
            .Add("updater", ToTerminal(updater))
            .Add("updaterResult", report.refitterResult.value_or(upgrade::kRefitterCurrent))
            .Add("updaterDownload",
                 report.refitter.downloadResult ? int{*report.refitter.downloadResult} : -1)
            .Add("program", ToTerminal(program))
            .Add("programResult", report.handOverResult.value_or(upgrade::kHandOverCurrent))
            .Add("updaterStarted", report.handOver.started)
            .Add("commandLine", ToTerminal(report.handOver.commandLine))
            .Print();
        return ok ? kExitOk : kExitFailure;
    }
    Print("server: " + ToTerminal(settings.serverHost) + settings.interfacePath + "\n");
    Print("exchange: " + ExchangeText(report.requestResult) + "\n");
    for (const auto& [name, value] : report.fields)
        Print("  " + ToTerminal(name) + " = " + ToTerminal(value) + "\n");
    Print("updater: " + ToTerminal(updater) + "\n");
    Print("program: " + ToTerminal(program) + "\n");
    Print("status: " + std::to_string(report.status) + " (" + StatusText(report.status) + ")\n");
    return ok ? kExitOk : Fail(StatusText(report.status));
}

const bool registered = RegisterCommand(
    {"check-upgrade", "", "向升级服务器检查新版本，更新升级程序并交接", RunCheckUpgrade});

}  // namespace

}  // namespace vt::cli
