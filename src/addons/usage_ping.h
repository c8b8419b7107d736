// The usage ping: tells the catalogue server's statistics interface that an
// addon was requested.
#pragma once

#include <cstdint>

namespace vt::settings {
struct ServerConfig;
}  // namespace vt::settings

namespace vt::addons {

// Posts "PlugId=<id>" to the catalogue server of servers through the
// encrypted form exchange; the answer is not used. Blocks for the whole
// exchange.
void SendUsagePing(const settings::ServerConfig& servers, int32_t id);

}  // namespace vt::addons
