// Writing zip archives in memory: the catalogue server's archives and every
// archive the tests need. A member left at its defaults is honest (made on
// Windows by version 2.0, DOS attributes from its name); tests set the other
// fields to build the damaged and lying archives the reader must refuse.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vt::archive {

// Every field has a default, so tests name only the fields they set.
struct ZipWriterMember {
    std::string name = {};  // stored as given; folders end in "/"
    std::string data = {};
    uint16_t method = 8;  // 8 deflated, 0 stored; any other value is recorded, the data stored
    uint16_t flags = 0;   // general purpose bits; bit 3 comes with dataDescriptor
    std::optional<uint16_t> madeBy =
        {};  // 20 (Windows) unless set; 0x031E: Unix, a mode << 16 below
    // 0x10 for a folder and 0x20 for a file unless set.
    std::optional<uint32_t> externalAttributes = {};
    std::optional<uint32_t> dosTime = {};  // date << 16 | time; 2025-01-01 12:00:00 unless set
    std::string localExtra = {};
    std::string centralExtra = {};
    bool dataDescriptor = false;  // zeros in the local header, a descriptor after the data
    // Lies told by the central directory or by the local header.
    std::optional<uint32_t> centralCrc = {}, centralCompressed = {}, centralUncompressed = {};
    std::optional<uint16_t> localMethod = {}, localNameLength = {};
    std::optional<uint32_t> localCrc = {};
    std::optional<uint32_t> localOffset =
        {};  // the central directory's pointer to the local header
};

// An honest member: data deflated, or stored when deflate is false.
ZipWriterMember MakeZipMember(std::string name, std::string data = {}, bool deflate = true);

// The whole archive: prefix (bytes in front), the local records, the central
// directory and the end record.
std::string WriteZip(const std::vector<ZipWriterMember>& members, const std::string& prefix = "");

}  // namespace vt::archive
