// The standard initial state of Blowfish, shared by every key schedule.
#pragma once

#include <cstdint>

namespace vt::cipher {

constexpr int kRounds = 16;
extern const uint32_t kInitialP[kRounds + 2];
extern const uint32_t kInitialS[4][256];

}  // namespace vt::cipher
