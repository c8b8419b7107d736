// One version check of the upgrade module, start to end: the exchange, the
// updater kept current, the program decision and the hand-over, ending in
// exactly one result for the program's main window.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "upgrade/hand_over.h"
#include "upgrade/refitter.h"
#include "upgrade/upgrade_info_block.h"
#include "upgrade/upgrade_settings.h"
#include "upgrade/version_exchange.h"

namespace vt::upgrade {

// What a check needs of the module window it runs for. The module window
// implements it with posted window messages; front ends and tests record.
class UpgradeCheckHost {
  public:
    virtual ~UpgradeCheckHost() = default;
    // Posts the result message (status, the window's userRequested as it is
    // at this moment) to the program's main window.
    virtual void PostResult(int status) = 0;
    // Posts the module's own end-of-check message to the module window.
    virtual void PostCheckEnded() = 0;
    // The window's record for the updater (null until the first hand-over).
    virtual std::unique_ptr<UpgradeInfoBlock>& InfoBlock() = 0;
};

// What a check did, step by step, for front ends that report it.
struct UpgradeCheckReport {
    VersionRequestResult requestResult = kVersionReplyOk;
    std::string rawReply;  // as the server sent it (lines joined)
    VersionReply fields;
    std::optional<EnsureRefitterResult> refitterResult;  // when the step ran
    RefitterReport refitter;
    std::optional<HandOverResult> handOverResult;  // when the decision ran
    HandOverReport handOver;
    UpgradeStatus status = kUpgradeExchangeFailed;  // as posted
};

// Runs one check on the calling thread and reports its status through host
// (then the end-of-check message); returns what it did.
UpgradeCheckReport CheckForUpgrade(const UpgradeSettings& settings, UpgradeCheckHost& host,
                                   const UpgradeCheckLimits& limits = {});

}  // namespace vt::upgrade
