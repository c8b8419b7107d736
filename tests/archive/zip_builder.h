// Hand-made zip archives for the reader's tests, with every field open to
// lies: sizes, CRCs, methods, local headers that disagree, extra fields.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vt::test {

struct TestMember {
    std::string name;
    std::string data;
    uint16_t method = 8;  // 0 stored, 8 deflated; any other value is stored as is
    uint16_t flags = 0;
    uint32_t externalAttributes = 0100644u << 16;  // Unix regular file, rw-r--r--
    uint32_t dosTime = 0x52CF6457;                 // 2021-06-15 12:34:46
    std::string localExtra;
    std::string centralExtra;
    bool dataDescriptor = false;  // zeros in the local header, descriptor after the data
    // Lies told by the central directory or by the local header.
    std::optional<uint32_t> centralCrc, centralCompressed, centralUncompressed;
    std::optional<uint16_t> localMethod, localNameLength;
    std::optional<uint32_t> localCrc;
    std::optional<uint32_t> localOffset;  // central directory's pointer to the local header
};

inline void PutLe16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

inline std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

inline uint32_t Crc32(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Bytes in front, the local records, the central directory and the end record.
inline std::string BuildZip(const std::vector<TestMember>& members,
                            const std::string& prefix = "") {
    std::string body;
    std::string central;
    for (const TestMember& m : members) {
        const std::string packed = m.method == 8 ? RawDeflate(m.data) : m.data;
        const uint32_t crc = Crc32(m.data);
        const uint16_t flags = static_cast<uint16_t>(m.flags | (m.dataDescriptor ? 8 : 0));
        const uint32_t offset = static_cast<uint32_t>(body.size());
        const auto size32 = [](const std::string& s) { return static_cast<uint32_t>(s.size()); };
        body += "PK\x03\x04";
        PutLe16(body, 20);
        PutLe16(body, flags);
        PutLe16(body, m.localMethod.value_or(m.method));
        PutLe32(body, m.dosTime);
        PutLe32(body, m.dataDescriptor ? 0 : m.localCrc.value_or(crc));
        PutLe32(body, m.dataDescriptor ? 0 : size32(packed));
        PutLe32(body, m.dataDescriptor ? 0 : size32(m.data));
        PutLe16(body, m.localNameLength.value_or(static_cast<uint16_t>(m.name.size())));
        PutLe16(body, size32(m.localExtra));
        body += m.name + m.localExtra + packed;
        if (m.dataDescriptor) {
            body += "PK\x07\x08";
            PutLe32(body, crc);
            PutLe32(body, size32(packed));
            PutLe32(body, size32(m.data));
        }
        central += "PK\x01\x02";
        PutLe16(central, 0x031E);  // made by Unix
        PutLe16(central, 20);
        PutLe16(central, flags);
        PutLe16(central, m.method);
        PutLe32(central, m.dosTime);
        PutLe32(central, m.centralCrc.value_or(crc));
        PutLe32(central, m.centralCompressed.value_or(size32(packed)));
        PutLe32(central, m.centralUncompressed.value_or(size32(m.data)));
        PutLe16(central, size32(m.name));
        PutLe16(central, size32(m.centralExtra));
        PutLe16(central, 0);  // comment
        PutLe16(central, 0);  // disk
        PutLe16(central, 0);  // internal attributes
        PutLe32(central, m.externalAttributes);
        PutLe32(central, m.localOffset.value_or(offset));
        central += m.name + m.centralExtra;
    }
    std::string zip = prefix + body + central;
    zip += "PK\x05\x06";
    PutLe16(zip, 0);
    PutLe16(zip, 0);
    PutLe16(zip, static_cast<uint32_t>(members.size()));
    PutLe16(zip, static_cast<uint32_t>(members.size()));
    PutLe32(zip, static_cast<uint32_t>(central.size()));
    PutLe32(zip, static_cast<uint32_t>(body.size()));
    PutLe16(zip, 0);
    return zip;
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
