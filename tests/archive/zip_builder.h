// The archives of the reader's tests: zip_writer.h's, made on Unix (rw-r--r--
// files) on 2021-06-15 12:34:46 unless a member says otherwise, with every
// field open to lies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/zip_writer.h"

namespace vt::test {

using TestMember = archive::ZipWriterMember;

inline std::string BuildZip(std::vector<TestMember> members, const std::string& prefix = "") {
    for (TestMember& member : members) {
        member.madeBy = member.madeBy.value_or(0x031E);
        member.externalAttributes = member.externalAttributes.value_or(0100644u << 16);
        member.dosTime = member.dosTime.value_or(0x52CF6457);
    }
    return archive::WriteZip(members, prefix);
}

inline void PutLe16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

// An "UT" extended timestamp block with the given flags and times.
inline std::string ExtendedTimestamp(uint8_t flags, const std::vector<uint32_t>& times,
                                     std::optional<uint16_t> declaredSize = std::nullopt) {
    std::string block = "UT";
    PutLe16(block, declaredSize.value_or(static_cast<uint16_t>(1 + 4 * times.size())));
    block += static_cast<char>(flags);
    for (uint32_t t : times)
        PutLe32(block, t);
    return block;
}

}  // namespace vt::test
