// Handing a newer program version over to the updater: the record in the
// named shared block and the start of the updater.
#pragma once

#include <memory>
#include <string>

#include "platform/shared_memory.h"
#include "upgrade/upgrade_info_block.h"
#include "upgrade/upgrade_settings.h"

namespace vt::upgrade {

// HandOverUpdate's results.
enum HandOverResult : int {
    kHandOverNoVersion = -1,  // softVer is empty
    kHandOverCurrent = 0,     // the program is not older than softVer
    kHandOverNoUrl = -2,      // the program is outdated but softDownUrl is empty
    kHandOverStarted = 1,     // the record was handed over and the updater started
};

// The reply fields the updater gets.
struct UpdateOffer {
    std::string softVer;
    std::string softDownUrl;
    std::string softHandworkDownUrl;
    std::string softUpDesc;
    std::string softUpDate;
};

// What a hand-over did, for front ends that report it.
struct HandOverReport {
    bool blockWritten = false;  // the window's record was filled
    platform::SharedMemory::Result mapping = platform::SharedMemory::Result::kFailed;
    std::string program;      // the updater started
    std::string commandLine;  // its whole command line
    bool started = false;
};

// The updater's command line: mapName + "|" + hostExeName, nothing else.
std::string UpdaterCommandLine(const UpgradeSettings& settings);

// Compares softVer with currentVersion and, for a newer one, writes the offer
// into infoBlock (made zero-filled when null, kept by the caller's window),
// puts a copy in the shared block mapName unless a block of that name
// exists (it is then left as it is, and held), waits 50 ms and starts the
// updater in moduleDir. The block stays held until the process ends. Whether
// the updater started does not change the result.
HandOverResult HandOverUpdate(const UpgradeSettings& settings, const UpdateOffer& offer,
                              std::unique_ptr<UpgradeInfoBlock>& infoBlock,
                              HandOverReport* report = nullptr);

}  // namespace vt::upgrade
