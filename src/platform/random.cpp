#include "platform/random.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <random>

namespace vt::platform {

uint32_t SecondsSeed() {
    return static_cast<uint32_t>(std::time(nullptr));
}

uint32_t CountedSeed(unsigned count) {
    return (SecondsSeed() + 1) * count;
}

std::string RandomHexText(uint32_t seed, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::minstd_rand generator(seed);
    std::string text(count, '0');
    for (char& c : text)
        c = kDigits[generator() % 16];
    return text;
}

std::string RandomNumberText(uint32_t seed, int digits, bool hexadecimal) {
    if (digits < 1 || digits > 8)
        digits = 8;
    uint64_t modulus = 1;
    for (int i = 0; i < digits; ++i)
        modulus *= hexadecimal ? 16 : 10;
    std::minstd_rand generator(seed);
    const auto value = static_cast<unsigned long long>(generator() % modulus);
    char text[24];
    std::snprintf(text, sizeof text, hexadecimal ? "%0*llX" : "%0*llu", digits, value);
    return text;
}

std::string RandomDigits(int count, bool hexadecimal) {
    static std::atomic<unsigned> calls{0};
    return RandomNumberText(CountedSeed(++calls), count >= 1 && count <= 5 ? count : 5,
                            hexadecimal);
}

}  // namespace vt::platform
