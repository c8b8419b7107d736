// The one-call inflater behind whole members, on the build's own library
// (libdeflate natively, zlib under wine): exact output or a refusal.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "archive/whole_inflate.h"

namespace vt::archive {
namespace {

std::vector<uint8_t> RawDeflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&stream, data.size()));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Text(size_t size) {
    std::string text;
    for (size_t i = 0; text.size() < size; ++i)
        text += std::to_string(i * 2654435761u % 100003) + (i % 9 ? "," : "\n");
    text.resize(size);
    return text;
}

TEST(WholeInflate, GivesExactlyTheDataAndItsCrcAcrossSizes) {
    WholeInflater inflater;
    for (const size_t size : {size_t{0}, size_t{1}, size_t{70000}, size_t{3} << 20}) {
        const std::string data = Text(size);
        const std::vector<uint8_t> packed = RawDeflate(data);
        std::vector<uint8_t> out(size + 1);
        ASSERT_TRUE(inflater.Inflate(packed.data(), packed.size(), out.data(), size)) << size;
        EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(size)), data);
        const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
        const uint32_t whole = ZipCrc32(0, bytes, size);
        EXPECT_EQ(whole, crc32(0, bytes, static_cast<uInt>(size))) << size;
        // Pieces chain like zlib's.
        EXPECT_EQ(ZipCrc32(ZipCrc32(0, bytes, size / 3), bytes + size / 3, size - size / 3), whole);
    }
}

TEST(WholeInflate, RefusesStreamsThatDoNotFitTheirSizeOrAreDamaged) {
    const std::string data = Text(50000);
    const std::vector<uint8_t> packed = RawDeflate(data);
    std::vector<uint8_t> out(data.size() + 100);
    WholeInflater inflater;
    // The stream ends before the promised size, or goes on past it.
    EXPECT_FALSE(inflater.Inflate(packed.data(), packed.size(), out.data(), data.size() + 1));
    EXPECT_FALSE(inflater.Inflate(packed.data(), packed.size(), out.data(), data.size() - 1));
    // Input cut short, and bytes changed throughout.
    EXPECT_FALSE(inflater.Inflate(packed.data(), packed.size() / 2, out.data(), data.size()));
    for (size_t at = 0; at < packed.size(); at += 97) {
        std::vector<uint8_t> damaged = packed;
        damaged[at] ^= 0x5A;
        // A change may still decode to the right length: then the CRC tells.
        if (inflater.Inflate(damaged.data(), damaged.size(), out.data(), data.size()) &&
            std::string(out.begin(), out.begin() + static_cast<long>(data.size())) != data) {
            EXPECT_NE(ZipCrc32(0, out.data(), data.size()),
                      ZipCrc32(0, reinterpret_cast<const uint8_t*>(data.data()), data.size()))
                << at;
        }
    }
    // A refusal leaves nothing behind for the next member.
    ASSERT_TRUE(inflater.Inflate(packed.data(), packed.size(), out.data(), data.size()));
    EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(data.size())), data);
}

}  // namespace
}  // namespace vt::archive
