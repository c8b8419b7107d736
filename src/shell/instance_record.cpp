#include "shell/instance_record.h"

#include <cstdio>

namespace vt::shell {

std::string FormatInstanceRecord(uintptr_t handle) {
    char text[kInstanceRecordBytes + 8];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(handle & 0xFFFFFFFFu));
    return text;
}

std::optional<uintptr_t> ParseInstanceRecord(const uint8_t* bytes, size_t size) {
    uintptr_t value = 0;
    size_t digits = 0;
    for (size_t at = 0; at < size && bytes[at] != 0; ++at) {
        const uint8_t c = bytes[at];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        if (++digits > kInstanceRecordBytes - 1)
            return std::nullopt;
        value = value * 16 + digit;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

}  // namespace vt::shell
