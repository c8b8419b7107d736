// The least an extractor must do, as a program of its own: read the archive
// whole, walk the central directory, inflate each member into memory and
// write it with open, write and close; directory members are made with
// mkdir. No checks, no attributes, no times: the floor for whole-process
// extraction.   archive_extract_zlib ARCHIVE TARGET_DIR
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint32_t Le16(const uint8_t* p) {
    return p[0] | (p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | (Le16(p + 2) << 16);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const std::string zip((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (zip.size() < 22)
        return 1;
    const std::string target = std::string(argv[2]) + "/";
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
        const std::string path = target + name;
        if (name.back() == '/') {
            ::mkdir(path.c_str(), 0755);
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
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return 1;
        const bool written = ::write(fd, out.data(), size) == static_cast<ssize_t>(size);
        ::close(fd);
        if (!written)
            return 1;
    }
    inflateEnd(&stream);
    return 0;
}
