#include "settings/random_digits.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vt {

std::string RandomDigits(int count, bool hexadecimal) {
    static std::atomic<unsigned> calls{0};
    if (count < 1 || count > 5)
        count = 5;
    const unsigned counter = ++calls;
    std::srand(static_cast<unsigned>(std::time(nullptr) + 1) * counter);
    unsigned modulus = 1;
    for (int i = 0; i < count; ++i)
        modulus *= hexadecimal ? 16 : 10;
    // rand() may stop at 32767; two draws cover every modulus up to 16^5.
    const unsigned value =
        ((static_cast<unsigned>(std::rand()) << 15) ^ static_cast<unsigned>(std::rand())) % modulus;
    char text[8];
    std::snprintf(text, sizeof text, hexadecimal ? "%0*X" : "%0*u", count, value);
    return text;
}

}  // namespace vt
