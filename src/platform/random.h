// The program's one source of random text: the salts of the form exchanges,
// the tokens of the version check and the cache-busting digits of page
// addresses. Every draw comes from a generator of its own (std::minstd_rand)
// seeded by the rule its feature fixes, so no feature disturbs another's
// draws as the run-time library's shared rand() would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vt::platform {

// The seed of the count-th draw of a feature that counts its draws: (seconds
// since 1970 now + 1) x count. Draws within one second differ by their count.
uint32_t CountedSeed(unsigned count);
// Seconds since 1970 now, the seed of draws that change once a second.
uint32_t SecondsSeed();

// count characters of "0123456789ABCDEF", each the next value of a generator
// seeded with seed, modulo 16.
std::string RandomHexText(uint32_t seed, size_t count);
// One value of a generator seeded with seed, modulo 10^digits (16^digits
// when hexadecimal), as exactly digits digits: zero-padded, upper-case.
// digits is 1 to 8.
std::string RandomNumberText(uint32_t seed, int digits, bool hexadecimal);

// count digits (1 to 5; any other count means 5) for a page address: a
// RandomNumberText seeded with the CountedSeed of a process-wide count of
// these calls.
std::string RandomDigits(int count, bool hexadecimal);

}  // namespace vt::platform
