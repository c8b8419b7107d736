// The usage ping: tells the catalogue server's statistics interface that an
// addon was requested.
#pragma once

#include <cstdint>

#include "net/form_post.h"

namespace vt::settings {
struct ServerConfig;
}  // namespace vt::settings

namespace vt::addons {

// Posts "PlugId=<id>" to the catalogue server of servers through the
// encrypted form exchange; the answer is not used. Blocks for the whole
// exchange; connecting and each wait may take timeoutMs.
void SendUsagePing(const settings::ServerConfig& servers, int32_t id,
                   int timeoutMs = net::kFormPostTimeoutMs);

}  // namespace vt::addons
