// Random decimal or hexadecimal digits for cache-busting query values.
#pragma once

#include <string>

namespace vt {

// count digits (1 to 5; any other count means 5), zero-padded, upper-case when
// hexadecimal. The generator is reseeded on every call.
std::string RandomDigits(int count, bool hexadecimal);

}  // namespace vt
