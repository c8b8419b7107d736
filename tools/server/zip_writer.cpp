#include "zip_writer.h"

#include <zlib.h>

namespace vt::server {

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The fields the local and the central header share, from the method on.
struct MemberFields {
    uint16_t method, time, date;
    uint32_t crc, packedSize, size, nameLength;
};

void PutMemberFields(std::string& out, const MemberFields& f) {
    Put16(out, f.method);
    Put16(out, f.time);
    Put16(out, f.date);
    Put32(out, f.crc);
    Put32(out, f.packedSize);
    Put32(out, f.size);
    Put16(out, f.nameLength);
}

// Raw deflate (no zlib header), as zip members carry it.
bool Deflate(const std::string& in, std::string& out) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return false;
    out.resize(deflateBound(&stream, in.size()));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

}  // namespace

std::string BuildZip(const std::vector<ZipMember>& members, uint16_t dosTime, uint16_t dosDate) {
    std::string archive, directory;
    for (const ZipMember& member : members) {
        const uint32_t crc =
            static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(member.data.data()),
                                        static_cast<uInt>(member.data.size())));
        std::string packed;
        bool deflated = member.deflate && !member.data.empty() && Deflate(member.data, packed);
        if (!deflated)
            packed = member.data;
        const uint16_t method = deflated ? 8 : 0;
        const uint32_t offset = static_cast<uint32_t>(archive.size());

        const MemberFields fields{method,
                                  dosTime,
                                  dosDate,
                                  crc,
                                  static_cast<uint32_t>(packed.size()),
                                  static_cast<uint32_t>(member.data.size()),
                                  static_cast<uint32_t>(member.name.size())};
        Put32(archive, 0x04034B50);
        Put16(archive, 20);  // version needed
        Put16(archive, 0);   // flags
        PutMemberFields(archive, fields);
        Put16(archive, 0);  // extra length
        archive += member.name;
        archive += packed;

        Put32(directory, 0x02014B50);
        Put16(directory, 20);  // made by
        Put16(directory, 20);  // version needed
        Put16(directory, 0);   // flags
        PutMemberFields(directory, fields);
        Put16(directory, 0);  // extra length
        Put16(directory, 0);  // comment length
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        const bool folder = !member.name.empty() && member.name.back() == '/';
        Put32(directory, folder ? 0x10 : 0x20);
        Put32(directory, offset);
        directory += member.name;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    Put32(archive, 0x06054B50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<uint32_t>(members.size()));
    Put16(archive, static_cast<uint32_t>(members.size()));
    Put32(archive, static_cast<uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, 0);
    return archive;
}

}  // namespace vt::server
