// The public release key built into the updater (TESSEL_RELEASE_KEY of the
// build). Only packages signed with its private half are installed.
#pragma once

#include "platform/signature.h"

namespace vt::refitter {

const platform::P256PublicKey& BuiltInReleaseKey();

}  // namespace vt::refitter
