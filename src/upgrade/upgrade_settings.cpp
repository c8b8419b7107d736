#include "upgrade/upgrade_settings.h"

#include <algorithm>
#include <cstdlib>

namespace vt::upgrade {

int32_t TextToInt(const std::string& text) {
    // strtol saturates instead of overflowing, unlike atoi.
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

}  // namespace vt::upgrade
