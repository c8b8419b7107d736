#include "archive_baseline.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "platform/files.h"

namespace vt::bench {

namespace {

uint32_t Le16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | (Le16(p + 2) << 16);
}

}  // namespace

bool BaselineExtract(const std::string& archivePath, const std::string& targetDir) {
    std::string zip;
    if (!platform::ReadWholeFile(archivePath, zip) || zip.size() < 22)
        return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(zip.data());
    const uint8_t* end = bytes + zip.size() - 22;  // archives without a comment
    const uint32_t count = Le16(end + 10);
    size_t at = Le32(end + 16);
    std::vector<uint8_t> out;
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = bytes + at;
        const uint32_t method = Le16(entry + 10);
        const uint32_t packed = Le32(entry + 20);
        const uint32_t size = Le32(entry + 24);
        const uint32_t nameLength = Le16(entry + 28);
        const std::string name(reinterpret_cast<const char*>(entry + 46), nameLength);
        const uint8_t* local = bytes + Le32(entry + 42);
        const uint8_t* data = local + 30 + Le16(local + 26) + Le16(local + 28);
        at += 46 + nameLength + Le16(entry + 30) + Le16(entry + 32);
        if (name.back() == '/') {
            platform::MakeDirectory(targetDir + name);
            continue;
        }
        out.resize(size);
        if (method == 8) {
            inflateReset(&stream);
            stream.next_in = const_cast<uint8_t*>(data);
            stream.avail_in = packed;
            stream.next_out = out.data();
            stream.avail_out = size;
            inflate(&stream, Z_FINISH);
        } else {
            out.assign(data, data + size);
        }
        platform::File file;
        if (file.Open(targetDir + name, platform::File::Mode::kWrite))
            file.Write(out.data(), size);
    }
    inflateEnd(&stream);
    return true;
}

}  // namespace vt::bench
