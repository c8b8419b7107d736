// Damaged and lying archives: every failure is reported, nothing crashes and
// no corrupt data is passed off as good.
#include <gtest/gtest.h>

#include "archive/zip_builder.h"
#include "archive/zip_reader.h"

namespace vt::archive {
namespace {

using test::BuildZip;
using test::TestMember;

// The archive text must outlive the handle.
ZipHandle OpenMemory(const std::string& zip) {
    return ZipHandle(OpenZip(zip.data(), static_cast<uint32_t>(zip.size()), kZipSourceMemory));
}

// Drains a member to memory; the final result and the bytes delivered.
ZipResult Drain(HZIP zip, int index, std::string& out) {
    char chunk[4096];
    out.clear();
    for (;;) {
        uint32_t delivered = 0;
        const ZipResult result =
            UnzipItem(zip, index, chunk, sizeof chunk, kZipTargetMemory, &delivered);
        if (result != kZipMore)
            return result;
        out.append(chunk, delivered);
    }
}

std::string Sample() {
    std::string data;
    for (int i = 0; i < 3000; ++i)
        data += std::to_string(i * 7919 % 1000) + ",";
    return data;
}

TEST(ZipHostile, EndRecordAtOffsetZeroOrMissingDoesNotOpen) {
    const std::string empty = BuildZip({});
    EXPECT_EQ(empty.size(), 22u);
    EXPECT_FALSE(OpenMemory(empty));
    EXPECT_EQ(LastZipResult(), kZipReadError);
    EXPECT_FALSE(OpenMemory("not a zip at all, just some text"));
    EXPECT_EQ(LastZipResult(), kZipReadError);
    EXPECT_FALSE(OpenMemory(""));
}

TEST(ZipHostile, InconsistentEndRecordIsABadArchive) {
    std::string zip = BuildZip({{.name = "a", .data = "x"}});
    std::string twoDisks = zip;
    twoDisks[twoDisks.size() - 22 + 4] = 1;  // this disk
    EXPECT_FALSE(OpenMemory(twoDisks));
    EXPECT_EQ(LastZipResult(), kZipBadArchive);
    std::string counts = zip;
    counts[counts.size() - 22 + 8] = 2;  // entries on this disk != total
    EXPECT_FALSE(OpenMemory(counts));
    EXPECT_EQ(LastZipResult(), kZipBadArchive);
    std::string bigDirectory = zip;
    bigDirectory[bigDirectory.size() - 22 + 15] = 0x7F;  // directory larger than what precedes
    EXPECT_FALSE(OpenMemory(bigDirectory));
    EXPECT_EQ(LastZipResult(), kZipBadArchive);
}

TEST(ZipHostile, WrongCrcFailsTheMember) {
    const std::string zip =
        BuildZip({{.name = "d", .data = Sample(), .centralCrc = 0x12345678, .localCrc = 0x12345678},
                  {.name = "s", .data = "stored", .method = 0, .centralCrc = 1, .localCrc = 1}});
    ZipHandle zip_handle = OpenMemory(zip);
    ASSERT_TRUE(zip_handle);
    std::string out;
    EXPECT_EQ(Drain(zip_handle.get(), 0, out), kZipIncomplete);
    EXPECT_EQ(Drain(zip_handle.get(), 1, out), kZipIncomplete);
}

TEST(ZipHostile, LyingSizesNeitherAllocateNorPassAsGood) {
    const std::string data = Sample();
    for (const TestMember& lie : {
             // Claims 4 GB of output from a small deflate stream.
             TestMember{.name = "huge",
             .data = data,
             .dataDescriptor = true,
             .centralUncompressed = 0xFFFFFFF0},
             // Claims less than the stream holds: cut short, CRC then differs.
             TestMember{
                 .name = "short", .data = data, .dataDescriptor = true, .centralUncompressed = 100},
             // Compressed data reaching past the end of the archive.
             TestMember{.name = "past",
             .data = data,
             .method = 0,
             .dataDescriptor = true,
             .centralCompressed = 0xFFFFFF00,
             .centralUncompressed = 0xFFFFFF00},
             // Stored, more output promised than input present.
             TestMember{.name = "thin",
             .data = data,
             .method = 0,
             .dataDescriptor = true,
             .centralCompressed = 10},
         }) {
        const std::string zip = BuildZip({lie});
        ZipHandle zip_handle = OpenMemory(zip);
        ASSERT_TRUE(zip_handle) << lie.name;
        std::string out;
        const ZipResult result = Drain(zip_handle.get(), 0, out);
        EXPECT_TRUE(result == kZipIncomplete || result == kZipMemoryReadError) << lie.name;
        EXPECT_LE(out.size(), data.size()) << lie.name;
    }
}

TEST(ZipHostile, LocalHeaderThatDisagreesGives0x700) {
    for (const TestMember& bad : {
             TestMember{.name = "m", .data = "x", .localMethod = 0},
             TestMember{.name = "n", .data = "x", .localNameLength = 3},
             TestMember{.name = "c", .data = "x", .localCrc = 99},
             TestMember{.name = "o", .data = "x", .localOffset = 5},
             TestMember{.name = "z", .data = "x", .method = 12},  // unsupported method
             TestMember{.name = "e", .data = "x", .method = 14},
         }) {
        const std::string zip = BuildZip({bad, {.name = "good", .data = "fine"}});
        ZipHandle zip_handle = OpenMemory(zip);
        ASSERT_TRUE(zip_handle);
        ZipEntry entry;
        EXPECT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipHeaderMismatch) << bad.name;
        char buffer[64];
        EXPECT_EQ(UnzipItem(zip_handle.get(), 0, buffer, sizeof buffer, kZipTargetMemory),
                  kZipHeaderMismatch);
        // The member after it is unaffected.
        std::string out;
        EXPECT_EQ(Drain(zip_handle.get(), 1, out), kZipOk);
        EXPECT_EQ(out, "fine");
    }
}

TEST(ZipHostile, LocalExtraFieldPastTheEndGives0x800) {
    std::string zip = BuildZip({{.name = "a", .data = "", .method = 0}});
    zip[28] = '\xFF';  // local extra length 0xFFFF
    zip[29] = '\xFF';
    ZipHandle zip_handle = OpenMemory(zip);
    ASSERT_TRUE(zip_handle);
    ZipEntry entry;
    EXPECT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipExtraUnreadable);
}

TEST(ZipHostile, NamesOfTheMaximumLengthOrMoreAreRefused) {
    const std::string longest(259, 'n');
    const std::string zip = BuildZip({{.name = longest, .data = "ok"},
                                      {.name = std::string(260, 'n'), .data = "no"},
                                      {.name = std::string(1000, 'n'), .data = "no"},
                                      {.name = "after", .data = "ok"}});
    ZipHandle zip_handle = OpenMemory(zip);
    ASSERT_TRUE(zip_handle);
    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipOk);
    EXPECT_EQ(std::string(entry.name), longest);
    EXPECT_EQ(GetZipItem(zip_handle.get(), 1, &entry), kZipBadArgument);
    EXPECT_EQ(GetZipItem(zip_handle.get(), 2, &entry), kZipBadArgument);
    ASSERT_EQ(GetZipItem(zip_handle.get(), 3, &entry), kZipOk);
    EXPECT_STREQ(entry.name, "after");
}

// Every truncation and every single-byte change: no crash, and whatever a
// member delivers as good is exactly its data.
TEST(ZipHostile, TruncatedAndFlippedArchivesNeverPassBadData) {
    const std::string a = Sample();
    const std::string b(3000, 'b');
    const std::string zip = BuildZip({{.name = "a.txt", .data = a},
                                      {.name = "b.txt", .data = b, .method = 0},
                                      {.name = "c.txt", .data = a, .dataDescriptor = true}});
    const std::string expected[] = {a, b, a};
    const auto exercise = [&](const std::string& damaged) {
        ZipHandle zip_handle = OpenMemory(damaged);
        if (!zip_handle)
            return;
        ZipEntry entry;
        ASSERT_EQ(GetZipItem(zip_handle.get(), -1, &entry), kZipOk);
        for (int i = 0; i < entry.index && i < 3; ++i) {
            std::string out;
            if (Drain(zip_handle.get(), i, out) == kZipOk) {
                EXPECT_EQ(out, expected[i]) << "member " << i;
            }
        }
    };
    // The sweep says something only when the undamaged archive passes whole.
    {
        ZipHandle intact = OpenMemory(zip);
        ASSERT_TRUE(intact);
        ZipEntry entry;
        ASSERT_EQ(GetZipItem(intact.get(), -1, &entry), kZipOk);
        ASSERT_EQ(entry.index, 3);
        for (int i = 0; i < 3; ++i) {
            std::string out;
            EXPECT_EQ(Drain(intact.get(), i, out), kZipOk) << "member " << i;
            EXPECT_EQ(out, expected[i]) << "member " << i;
        }
    }
    for (size_t length = 0; length < zip.size(); length += 7)
        exercise(zip.substr(0, length));
    for (size_t at = 0; at < zip.size(); at += 3) {
        std::string flipped = zip;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        exercise(flipped);
    }
}

}  // namespace
}  // namespace vt::archive
