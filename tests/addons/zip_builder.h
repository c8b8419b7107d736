// Builds small zip archives (stored members) for the pipeline tests.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vt::test {

using ZipMembers = std::vector<std::pair<std::string, std::string>>;  // (name, content)

inline void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A zip archive whose members are stored uncompressed; names use "\\" or "/"
// as given.
inline std::string BuildZip(const ZipMembers& members) {
    std::string out;
    std::string central;
    for (const auto& [name, content] : members) {
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(content.data()), content.size()));
        const uint32_t offset = static_cast<uint32_t>(out.size());
        PutLe(out, 0x04034b50, 4);
        PutLe(out, 20, 2);
        PutLe(out, 0, 2);
        PutLe(out, 0, 2);  // stored
        PutLe(out, 0, 4);  // time and date
        PutLe(out, crc, 4);
        PutLe(out, static_cast<uint32_t>(content.size()), 4);
        PutLe(out, static_cast<uint32_t>(content.size()), 4);
        PutLe(out, static_cast<uint32_t>(name.size()), 2);
        PutLe(out, 0, 2);
        out += name;
        out += content;

        PutLe(central, 0x02014b50, 4);
        PutLe(central, 20, 2);
        PutLe(central, 20, 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 4);
        PutLe(central, crc, 4);
        PutLe(central, static_cast<uint32_t>(content.size()), 4);
        PutLe(central, static_cast<uint32_t>(content.size()), 4);
        PutLe(central, static_cast<uint32_t>(name.size()), 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 2);
        PutLe(central, 0, 2);
        PutLe(central, name.back() == '/' ? 0x10 : 0x20, 4);
        PutLe(central, offset, 4);
        central += name;
    }
    const uint32_t centralOffset = static_cast<uint32_t>(out.size());
    out += central;
    PutLe(out, 0x06054b50, 4);
    PutLe(out, 0, 2);
    PutLe(out, 0, 2);
    PutLe(out, static_cast<uint32_t>(members.size()), 2);
    PutLe(out, static_cast<uint32_t>(members.size()), 2);
    PutLe(out, static_cast<uint32_t>(central.size()), 4);
    PutLe(out, centralOffset, 4);
    PutLe(out, 0, 2);
    return out;
}

// The version file of an addon folder.
inline std::string VersionFileText(const std::string& project, const std::string& ver) {
    std::string text = "## Interface: 1\r\n";
    if (!project.empty())
        text += "## X-Tessel-Project-Name: " + project + "\r\n";
    if (!ver.empty())
        text += "## X-Tessel-UpdateVer: " + ver + "\r\n";
    return text;
}

}  // namespace vt::test
