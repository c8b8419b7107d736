// The usage ping: tells the catalogue server's statistics interface that an
// addon was requested.
#pragma once

#include <cstdint>

namespace vt {

// Posts "PlugId=<id>" through the encrypted form exchange; the answer is not
// used. Blocks for the whole exchange.
void SendUsagePing(int32_t id);

}  // namespace vt
