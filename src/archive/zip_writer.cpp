#include "archive/zip_writer.h"

#include <zlib.h>

namespace vt::archive {

namespace {

constexpr uint16_t kVersion = 20;
constexpr uint32_t kDefaultDosTime = 0x5A216000;

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Raw deflate (no zlib header), as zip members carry it.
std::string Deflate(const std::string& in) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(in.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

uint32_t Crc32(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

uint32_t Size32(const std::string& text) {
    return static_cast<uint32_t>(text.size());
}

}  // namespace

ZipWriterMember MakeZipMember(std::string name, std::string data, bool deflate) {
    ZipWriterMember member;
    member.name = std::move(name);
    member.data = std::move(data);
    member.method = deflate ? 8 : 0;
    return member;
}

std::string WriteZip(const std::vector<ZipWriterMember>& members, const std::string& prefix) {
    std::string body, central;
    for (const ZipWriterMember& m : members) {
        const std::string packed = m.method == 8 ? Deflate(m.data) : m.data;
        const uint32_t crc = Crc32(m.data);
        const uint16_t flags = static_cast<uint16_t>(m.flags | (m.dataDescriptor ? 8 : 0));
        const uint32_t dosTime = m.dosTime.value_or(kDefaultDosTime);
        const bool folder = !m.name.empty() && m.name.back() == '/';
        const uint32_t offset = Size32(body);

        body += "PK\x03\x04";
        Put16(body, kVersion);
        Put16(body, flags);
        Put16(body, m.localMethod.value_or(m.method));
        Put32(body, dosTime);
        Put32(body, m.dataDescriptor ? 0 : m.localCrc.value_or(crc));
        Put32(body, m.dataDescriptor ? 0 : Size32(packed));
        Put32(body, m.dataDescriptor ? 0 : Size32(m.data));
        Put16(body, m.localNameLength.value_or(static_cast<uint16_t>(m.name.size())));
        Put16(body, Size32(m.localExtra));
        body += m.name + m.localExtra + packed;
        if (m.dataDescriptor) {
            body += "PK\x07\x08";
            Put32(body, crc);
            Put32(body, Size32(packed));
            Put32(body, Size32(m.data));
        }

        central += "PK\x01\x02";
        Put16(central, m.madeBy.value_or(kVersion));
        Put16(central, kVersion);
        Put16(central, flags);
        Put16(central, m.method);
        Put32(central, dosTime);
        Put32(central, m.centralCrc.value_or(crc));
        Put32(central, m.centralCompressed.value_or(Size32(packed)));
        Put32(central, m.centralUncompressed.value_or(Size32(m.data)));
        Put16(central, Size32(m.name));
        Put16(central, Size32(m.centralExtra));
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, m.externalAttributes.value_or(folder ? 0x10 : 0x20));
        Put32(central, m.localOffset.value_or(offset));
        central += m.name + m.centralExtra;
    }
    std::string zip = prefix + body + central;
    zip += "PK\x05\x06";
    Put16(zip, 0);  // this disk
    Put16(zip, 0);  // the directory's disk
    Put16(zip, static_cast<uint32_t>(members.size()));
    Put16(zip, static_cast<uint32_t>(members.size()));
    Put32(zip, Size32(central));
    Put32(zip, Size32(body));
    Put16(zip, 0);  // comment
    return zip;
}

}  // namespace vt::archive
