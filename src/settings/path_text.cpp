#include "settings/path_text.h"

namespace vt {

size_t LastPathSeparator(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < path.size()) {
            ++i;  // a lead byte: skip its trail byte
        } else if (c == '\\' || c == '/') {
            last = i;
        }
    }
    return last;
}

}  // namespace vt
