// Reading members through the public operations: sources, descriptions,
// memory extraction, attributes and times.
#include "archive/zip_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/zip_builder.h"
#include "archive/zip_result.h"
#include "support/temp_dir.h"

namespace vt::archive {
namespace {

using test::BuildZip;
using test::TestMember;

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    uint32_t x = 7;
    for (char& c : data) {
        x = x * 1103515245 + 12345;
        c = static_cast<char>(x >> 24);
    }
    return data;
}

ZipHandle OpenMemory(const std::string& zip) {
    return ZipHandle(OpenZip(zip.data(), static_cast<uint32_t>(zip.size()), kZipSourceMemory));
}

// Reads a member to memory in chunks of chunkSize, checking the 0x600 protocol.
ZipResult ReadMember(HZIP zip, int index, std::string& out, uint32_t chunkSize = 1000) {
    std::string chunk(chunkSize, '\0');
    out.clear();
    for (int calls = 0; calls < 100000; ++calls) {
        uint32_t delivered = 0;
        const ZipResult result =
            UnzipItem(zip, index, chunk.data(), chunkSize, kZipTargetMemory, &delivered);
        EXPECT_EQ(LastZipResult(), result);
        if (result != kZipMore)
            return result;
        EXPECT_GT(delivered, 0u);
        out.append(chunk, 0, delivered);
    }
    return kZipBadArgument;
}

TEST(ZipReader, ListsAndExtractsStoredAndDeflatedMembersToMemory) {
    const std::string big = Pattern(100000);  // several input buffers
    const std::string text(50000, 'a');
    const std::string zip =
        BuildZip({{.name = "big.bin", .data = big, .method = 8},
                  {.name = "plain.txt", .data = text, .method = 0},
                  {.name = "empty", .data = "", .method = 0},
                  {.name = "dir/", .data = "", .method = 0, .externalAttributes = 040755u << 16}});
    ZipHandle zip_handle = OpenMemory(zip);
    ASSERT_TRUE(zip_handle);
    EXPECT_EQ(LastZipResult(), kZipOk);

    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip_handle.get(), -1, &entry), kZipOk);
    EXPECT_EQ(entry.index, 4);
    EXPECT_STREQ(entry.name, "");

    ASSERT_EQ(GetZipItem(zip_handle.get(), 1, &entry), kZipOk);
    EXPECT_STREQ(entry.name, "plain.txt");
    EXPECT_EQ(entry.uncompressedSize, text.size());
    EXPECT_EQ(entry.compressedSize, text.size());

    std::string out;
    EXPECT_EQ(ReadMember(zip_handle.get(), 0, out, 7777), kZipOk);
    EXPECT_EQ(out, big);
    EXPECT_EQ(ReadMember(zip_handle.get(), 1, out), kZipOk);
    EXPECT_EQ(out, text);
    EXPECT_EQ(ReadMember(zip_handle.get(), 2, out), kZipOk);
    EXPECT_EQ(out, "");
    // Backwards again: the walk restarts from the first entry.
    EXPECT_EQ(ReadMember(zip_handle.get(), 0, out, 65536), kZipOk);
    EXPECT_EQ(out, big);

    ASSERT_EQ(GetZipItem(zip_handle.get(), 3, &entry), kZipOk);
    EXPECT_EQ(entry.attr, 0x90u);
    EXPECT_EQ(CloseZip(zip_handle.release()), kZipOk);
}

TEST(ZipReader, BytesInFrontAreSkippedForEverySource) {
    const std::string zip =
        BuildZip({{.name = "a.txt", .data = "alpha"}, {.name = "b.txt", .data = Pattern(40000)}},
                 std::string(5000, 'X'));
    test::TempDir dir;
    test::WriteTestFile(dir / "prefixed.zip", zip);

    ZipHandle byMemory = OpenMemory(zip);
    ZipHandle byName(OpenZip((dir / "prefixed.zip").c_str(), 0, kZipSourceName));
    platform::File file;
    ASSERT_TRUE(file.Open(dir / "prefixed.zip", platform::File::Mode::kRead));
    ASSERT_TRUE(file.Seek(5000));  // the archive starts at the handle's position
    ZipHandle byHandle(OpenZip(&file, 0, kZipSourceHandle));
    for (HZIP zip_handle : {byMemory.get(), byName.get(), byHandle.get()}) {
        ASSERT_NE(zip_handle, nullptr);
        std::string out;
        EXPECT_EQ(ReadMember(zip_handle, 1, out), kZipOk);
        EXPECT_EQ(out, Pattern(40000));
        EXPECT_EQ(ReadMember(zip_handle, 0, out), kZipOk);
        EXPECT_EQ(out, "alpha");
    }
}

// Members larger and smaller than the read-ahead, read forwards, backwards
// and out of order from a file: every byte comes from its own place.
TEST(ZipReader, MembersReadInAnyOrderAcrossTheReadAhead) {
    const std::vector<std::string> data = {
        "small one",         Pattern(600000),
        "small two",         Pattern(300000).substr(1000) + std::string(90000, 'z'),
        std::string(5, 'e'), Pattern(131072)};
    std::vector<TestMember> members;
    for (size_t i = 0; i < data.size(); ++i)
        members.push_back({.name = "m" + std::to_string(i),
                           .data = data[i],
                           .method = static_cast<uint16_t>(i % 2 ? 0 : 8)});
    test::TempDir dir;
    test::WriteTestFile(dir / "big.zip", BuildZip(members, std::string(3000, 'X')));
    platform::File file;
    ASSERT_TRUE(file.Open(dir / "big.zip", platform::File::Mode::kRead));
    ASSERT_TRUE(file.Seek(3000));
    ZipHandle byHandle(OpenZip(&file, 0, kZipSourceHandle));
    ZipHandle byName(OpenZip((dir / "big.zip").c_str(), 0, kZipSourceName));
    for (HZIP zip : {byName.get(), byHandle.get()}) {
        ASSERT_NE(zip, nullptr);
        for (const std::vector<int>& order : std::vector<std::vector<int>>{
                 {0, 1, 2, 3, 4, 5}, {5, 4, 3, 2, 1, 0}, {3, 0, 5, 1, 4, 2, 3}}) {
            for (int index : order) {
                std::string out;
                EXPECT_EQ(ReadMember(zip, index, out, 70000), kZipOk) << index;
                EXPECT_TRUE(out == data[static_cast<size_t>(index)]) << index;
            }
        }
    }
}

TEST(ZipReader, DataDescriptorMembersAcceptZerosInTheLocalHeader) {
    const std::string zip =
        BuildZip({{.name = "s.txt", .data = Pattern(3000), .dataDescriptor = true},
                  {.name = "t.txt", .data = "tail", .method = 0}});
    ZipHandle zip_handle = OpenMemory(zip);
    ASSERT_TRUE(zip_handle);
    std::string out;
    EXPECT_EQ(ReadMember(zip_handle.get(), 0, out), kZipOk);
    EXPECT_EQ(out, Pattern(3000));
    EXPECT_EQ(ReadMember(zip_handle.get(), 1, out), kZipOk);
    EXPECT_EQ(out, "tail");
}

TEST(ZipReader, AttributesFromDosAndUnixBits) {
    struct Case {
        uint32_t external;
        uint32_t attr;
    } cases[] = {
        {0100644u << 16, 0x80},                 // Unix file, owner may write
        {0100444u << 16, 0x81},                 // Unix read-only
        {0x00000020, 0xA1},                     // Windows: archive, no Unix mode -> read-only
        {0x00000001 | (0100644u << 16), 0x81},  // DOS read-only wins
        {0x00000016 | (0100644u << 16), 0x96},  // DOS directory, hidden, system
        {040755u << 16, 0x90},                  // Unix directory
        {0x40000000 | (0200u << 16), 0x90},     // directory bit alone
        {0x00000010, 0x91},                     // Windows directory without Unix mode
    };
    for (const Case& c : cases) {
        const std::string zip =
            BuildZip({{.name = "x", .data = "", .method = 0, .externalAttributes = c.external}});
        ZipHandle zip_handle = OpenMemory(zip);
        ASSERT_TRUE(zip_handle);
        ZipEntry entry;
        ASSERT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipOk);
        EXPECT_EQ(entry.attr, c.attr) << std::hex << c.external;
    }
}

TEST(ZipReader, TimesFromDosDateAndExtendedTimestamp) {
    const platform::FileTime dos = platform::UnixTimeToFileTime(1623760486);  // 2021-06-15 12:34:46
    struct Case {
        std::string extra;
        platform::FileTime modify, access, create;
    } cases[] = {
        {"", dos, dos, dos},
        {test::ExtendedTimestamp(1, {1000000000}), platform::UnixTimeToFileTime(1000000000), dos,
         dos},
        {test::ExtendedTimestamp(7, {100, 200, 300}), platform::UnixTimeToFileTime(100),
         platform::UnixTimeToFileTime(200), platform::UnixTimeToFileTime(300)},
        // Another block first; the walk finds "UT" behind it.
        {std::string("\x01\x00\x04\x00zzzz", 8) + test::ExtendedTimestamp(1, {500}),
         platform::UnixTimeToFileTime(500), dos, dos},
        // Flags promise three times, the block holds one: only that one is read.
        {test::ExtendedTimestamp(7, {600}), platform::UnixTimeToFileTime(600), dos, dos},
        // The block claims more than the field holds.
        {test::ExtendedTimestamp(3, {700}, 40), platform::UnixTimeToFileTime(700), dos, dos},
        // Too short to hold anything.
        {std::string("UT\x00\x00", 4), dos, dos, dos},
    };
    for (const Case& c : cases) {
        const std::string zip = BuildZip({{.name = "t", .data = "x", .localExtra = c.extra}});
        ZipHandle zip_handle = OpenMemory(zip);
        ASSERT_TRUE(zip_handle);
        ZipEntry entry;
        ASSERT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipOk);
        EXPECT_EQ(entry.modifyTime, c.modify);
        EXPECT_EQ(entry.accessTime, c.access);
        EXPECT_EQ(entry.createTime, c.create);
    }
    // An impossible DOS date (month 0) gives no time rather than a wrong one.
    const std::string zip = BuildZip({{.name = "t", .data = "x", .dosTime = 0}});
    ZipHandle zip_handle = OpenMemory(zip);
    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipOk);
    EXPECT_EQ(entry.modifyTime, 0u);
}

TEST(ZipReader, NamesFlaggedUtf8ArriveInTheLocalCodePage) {
    const std::string zip =
        BuildZip({{.name = "\xE4\xB8\xAD\xE6\x96\x87.txt", .data = "x", .flags = 0x800},
                  {.name = "\xD6\xD0\xCE\xC4.txt", .data = "y"}});
    ZipHandle zip_handle = OpenMemory(zip);
    ASSERT_TRUE(zip_handle);
    ZipEntry entry;
    ASSERT_EQ(GetZipItem(zip_handle.get(), 0, &entry), kZipOk);
    EXPECT_STREQ(entry.name, "\xD6\xD0\xCE\xC4.txt");  // GBK
    ASSERT_EQ(GetZipItem(zip_handle.get(), 1, &entry), kZipOk);
    EXPECT_STREQ(entry.name, "\xD6\xD0\xCE\xC4.txt");  // stored as GBK already
}

TEST(ZipReader, BadArgumentsAndHandles) {
    const std::string zip = BuildZip({{.name = "a", .data = "1"}});
    ZipHandle zip_handle = OpenMemory(zip);
    ZipEntry entry;
    char buffer[16];
    EXPECT_EQ(GetZipItem(nullptr, 0, &entry), kZipBadArgument);
    EXPECT_EQ(GetZipItem(zip_handle.get(), 1, &entry), kZipBadArgument);
    EXPECT_EQ(GetZipItem(zip_handle.get(), -2, &entry), kZipBadArgument);
    EXPECT_EQ(UnzipItem(zip_handle.get(), 1, buffer, sizeof buffer, kZipTargetMemory),
              kZipBadArgument);
    EXPECT_EQ(UnzipItem(zip_handle.get(), 0, buffer, sizeof buffer, 4), kZipBadArgument);
    EXPECT_EQ(LastZipResult(), kZipBadArgument);
    EXPECT_EQ(CloseZip(nullptr), kZipBadArgument);

    EXPECT_EQ(OpenZip(zip.data(), 0, 9), nullptr);
    EXPECT_EQ(LastZipResult(), kZipBadArgument);
    EXPECT_EQ(OpenZip("no such archive.zip", 0, kZipSourceName), nullptr);
    EXPECT_EQ(LastZipResult(), kZipCannotCreate);
    platform::File closed;
    EXPECT_EQ(OpenZip(&closed, 0, kZipSourceHandle), nullptr);
    EXPECT_EQ(LastZipResult(), kZipCannotDuplicate);
}

}  // namespace
}  // namespace vt::archive
