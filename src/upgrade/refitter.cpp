#include "upgrade/refitter.h"

#include "net/http_download.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"

namespace vt::upgrade {

namespace {

constexpr char kImagesFolder[] = "ImageRes";
constexpr int kVersionWhenUnknown = 2;

int InstalledVersion(const UpgradeSettings& settings) {
    const std::string text = platform::ReadProfileString(
        settings.refitterIniPath, settings.refitterIniSection, settings.refitterIniKey,
        std::to_string(kVersionWhenUnknown), 64);
    return TextToInt(text);
}

}  // namespace

std::string RefitterArchivePath(const UpgradeSettings& settings) {
    return settings.moduleDir + settings.refitterExeName + "tmp";
}

EnsureRefitterResult EnsureRefitter(const UpgradeSettings& settings,
                                    const std::string& requiredVersion, const std::string& url,
                                    const UpgradeCheckLimits& limits, RefitterReport* report) {
    RefitterReport local;
    RefitterReport& r = report ? *report : local;
    r = RefitterReport{};
    if (requiredVersion.empty())
        return kRefitterNoVersion;
    r.installedVersion = InstalledVersion(settings);
    r.requiredVersion = TextToInt(requiredVersion);
    const std::string exe = settings.moduleDir + settings.refitterExeName;
    r.exePresent = platform::PathExists(exe) && !platform::IsDirectory(exe);
    r.imagesPresent = platform::IsDirectory(settings.moduleDir + kImagesFolder);
    if (r.installedVersion >= r.requiredVersion && r.exePresent && r.imagesPresent)
        return kRefitterCurrent;
    if (url.empty())
        return kRefitterNoUrl;

    const std::string target = RefitterArchivePath(settings);
    platform::RemoveFile(target + ".down");
    net::HttpDownload download;
    download.connectTimeout = download.sendTimeout = download.receiveTimeout =
        limits.downloadTimeoutMs;
    r.downloadResult = download.Download(url, target, false);
    if (r.downloadResult != net::kDownloaded && r.downloadResult != net::kAlreadyCurrent)
        return kRefitterDownloadFailed;
    platform::DebugOutput("SurgewellDll::UnpackageZip");
    UnpackArchive(target, &r);
    platform::DebugOutput("SurgewellDll::UnpackageZip_e");
    return kRefitterFetched;
}

void UnpackArchive(const std::string& path, RefitterReport* report) {
    const size_t separator = path.find_last_of("\\/");
    const std::string dir = separator == std::string::npos ? "." : path.substr(0, separator);
    platform::DebugOutput("Unpacking...");
    platform::DebugOutput(path);
    archive::ArchiveReport check = archive::VerifyZipArchive(path);
    // Each member's line names the member before it, as the entries are read.
    std::string lastName;
    for (const archive::ArchiveMemberResult& member : check.members) {
        platform::DebugOutput(lastName);
        lastName = member.name;
    }
    const bool intact = check.Ok();
    if (intact)
        check = archive::ExtractArchive(path, dir);
    platform::RemoveFile(path);
    if (report) {
        report->unpacked = intact;
        report->archive = std::move(check);
    }
}

}  // namespace vt::upgrade
