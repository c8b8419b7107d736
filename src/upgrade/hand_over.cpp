#include "upgrade/hand_over.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/process.h"
#include "platform/system.h"

namespace vt::upgrade {

namespace {

// The shared blocks made or opened by hand-overs: the updater opens them by
// name after the module has moved on, so they are never released.
void HoldForProcessLifetime(platform::SharedMemory block) {
    static std::mutex mutex;
    static std::vector<platform::SharedMemory> held;
    std::lock_guard<std::mutex> lock(mutex);
    held.push_back(std::move(block));
}

}  // namespace

std::string UpdaterCommandLine(const UpgradeSettings& settings) {
    return settings.mapName + "|" + settings.hostExeName;
}

HandOverResult HandOverUpdate(const UpgradeSettings& settings, const UpdateOffer& offer,
                              std::unique_ptr<UpgradeInfoBlock>& infoBlock,
                              HandOverReport* report) {
    HandOverReport local;
    HandOverReport& r = report ? *report : local;
    r = HandOverReport{};
    if (offer.softVer.empty())
        return kHandOverNoVersion;
    if (settings.currentVersion >= TextToInt(offer.softVer))
        return kHandOverCurrent;
    if (offer.softDownUrl.empty())
        return kHandOverNoUrl;

    if (!infoBlock)
        infoBlock = std::make_unique<UpgradeInfoBlock>(UpgradeInfoBlock{});
    UpgradeInfo info;
    info.hostWindow = static_cast<uint32_t>(settings.hostWindow);
    info.exitMessage = settings.exitMessage;
    info.softVer = offer.softVer;
    info.softDownUrl = offer.softDownUrl;
    info.softHandworkDownUrl = offer.softHandworkDownUrl;
    info.moduleDir = settings.moduleDir;
    info.softUpDesc = offer.softUpDesc;
    info.softUpDate = offer.softUpDate;
    WriteUpgradeInfoBlock(*infoBlock, info);
    r.blockWritten = true;

    platform::SharedMemory block;
    r.mapping = block.CreateOrOpen(settings.mapName, kUpgradeInfoBlockSize);
    if (r.mapping == platform::SharedMemory::Result::kCreated)
        std::memcpy(block.data(), infoBlock->data(), kUpgradeInfoBlockSize);
    if (r.mapping != platform::SharedMemory::Result::kFailed)
        HoldForProcessLifetime(std::move(block));

    platform::SleepMs(50);
    r.program = settings.moduleDir + settings.refitterExeName;
    r.commandLine = UpdaterCommandLine(settings);
    r.started = platform::StartProcess(r.program, r.commandLine, settings.moduleDir);
    return kHandOverStarted;
}

}  // namespace vt::upgrade
