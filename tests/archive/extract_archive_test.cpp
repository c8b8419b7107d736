// Extraction to files: directory chains, names that try to leave the target,
// read-only members, times, damaged members, and the handle target.
#include "archive/extract_archive.h"

#include <gtest/gtest.h>

#include "archive/zip_builder.h"
#include "archive/zip_reader.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace vt::archive {
namespace {

using test::BuildZip;
using test::ReadTestFile;
using test::TempDir;
using test::TestMember;

TEST(ExtractArchive, CreatesDirectoryChainsAndWritesMembers) {
    TempDir dir;
    platform::MakeDirectory(dir / "out");
    test::WriteTestFile(
        dir / "a.zip",
        BuildZip({{.name = "dir/sub/file.txt", .data = "deep"},
                  {.name = "dir\\back\\slash.txt", .data = "back", .method = 0},
                  {.name = "empty/", .data = "", .method = 0, .externalAttributes = 040755u << 16},
                  {.name = "top.txt", .data = std::string(70000, 't')}}));
    const ArchiveReport report = ExtractArchive(dir / "a.zip", dir / "out");
    EXPECT_TRUE(report.Ok());
    ASSERT_EQ(report.members.size(), 4u);
    EXPECT_EQ(ReadTestFile(dir / "out\\dir\\sub\\file.txt"), "deep");
    EXPECT_EQ(ReadTestFile(dir / "out\\dir\\back\\slash.txt"), "back");
    EXPECT_TRUE(platform::IsDirectory(dir / "out\\empty"));
    EXPECT_EQ(ReadTestFile(dir / "out\\top.txt"), std::string(70000, 't'));
    // The archive stays; the caller decides when it goes.
    EXPECT_TRUE(platform::PathExists(dir / "a.zip"));
}

TEST(ExtractArchive, NamesLeavingTheTargetAreRefusedAndTouchNothing) {
    TempDir dir;
    platform::MakeDirectory(dir / "out");
    test::WriteTestFile(dir / "keep.txt", "original");
    const std::vector<std::string> hostile = {
        "../keep.txt", "..\\keep.txt", "dir/../../keep.txt", "/keep.txt", "\\keep.txt",
        "C:/keep.txt", "C:keep.txt",   "... /keep.txt",      "../evil/",  "ok/..",
    };
    std::vector<TestMember> members;
    for (const std::string& name : hostile)
        members.push_back({.name = name, .data = "evil"});
    members.push_back({.name = "safe.txt", .data = "safe"});
    test::WriteTestFile(dir / "h.zip", BuildZip(members));

    const ArchiveReport report = ExtractArchive(dir / "h.zip", dir / "out");
    ASSERT_EQ(report.members.size(), hostile.size() + 1);
    for (size_t i = 0; i < hostile.size(); ++i) {
        EXPECT_EQ(report.members[i].result, kZipCannotCreate) << hostile[i];
    }
    EXPECT_EQ(report.members.back().result, kZipOk);
    EXPECT_EQ(ReadTestFile(dir / "keep.txt"), "original");
    EXPECT_FALSE(platform::PathExists(dir / "evil"));
    EXPECT_EQ(ReadTestFile(dir / "out\\safe.txt"), "safe");
    EXPECT_EQ(platform::ListFiles(dir.path()).size(), 2u);  // keep.txt and h.zip only
    const ArchiveReport verified = VerifyZipArchive(dir / "h.zip");
    ASSERT_EQ(verified.members.size(), hostile.size() + 1);
    for (size_t i = 0; i < verified.members.size(); ++i) {
        EXPECT_EQ(verified.members[i].result, report.members[i].result) << i;
    }
}

TEST(ExtractArchive, WindowsMadeReadOnlyMemberEndsWritableAndReplacesOldFile) {
    TempDir dir;
    platform::MakeDirectory(dir / "out");
    test::WriteTestFile(dir / "out\\locked.txt", "old");
    platform::SetAttributes(dir / "out\\locked.txt", platform::kAttrReadOnly);
    // External attributes of a Windows tool: archive bit, no Unix mode.
    test::WriteTestFile(
        dir / "w.zip",
        BuildZip({{.name = "locked.txt", .data = "new", .externalAttributes = 0x20}}));
    const ArchiveReport report = ExtractArchive(dir / "w.zip", dir / "out");
    ASSERT_EQ(report.members.size(), 1u);
    EXPECT_EQ(report.members[0].result, kZipOk);
    EXPECT_EQ(report.members[0].attr & platform::kAttrReadOnly, platform::kAttrReadOnly);
    EXPECT_EQ(ReadTestFile(dir / "out\\locked.txt"), "new");
    EXPECT_FALSE(platform::IsReadOnly(dir / "out\\locked.txt"));
}

// Unpacking over an earlier copy: the directories exist, some files are
// read-only, members come before their directory entries and spell their
// separators either way. A second run over the first gives the same tree.
TEST(ExtractArchive, OverExistingDirectoriesAndFiles) {
    TempDir dir;
    platform::MakeDirectory(dir / "out");
    platform::MakeDirectory(dir / "out\\Addon");
    test::WriteTestFile(dir / "out\\Addon\\old.lua", "old");
    platform::SetAttributes(dir / "out\\Addon\\old.lua", platform::kAttrReadOnly);
    test::WriteTestFile(dir / "out\\top.lua", "old top");
    platform::SetAttributes(dir / "out\\top.lua", platform::kAttrReadOnly);
    test::WriteTestFile(
        dir / "a.zip",
        BuildZip(
            {{.name = "Addon/old.lua", .data = "new"},
             {.name = "Addon/New/deep/x.lua", .data = "x"},
             {.name = "Addon\\New\\y.lua", .data = "y", .method = 0},
             {.name = "Addon/New/", .data = "", .method = 0, .externalAttributes = 040755u << 16},
             {.name = "Addon/New/z.lua", .data = "z", .externalAttributes = 0x21},
             {.name = "top.lua", .data = "new top"}}));
    for (int run = 0; run < 2; ++run) {
        const ArchiveReport report = ExtractArchive(dir / "a.zip", dir / "out");
        EXPECT_TRUE(report.Ok()) << run;
        EXPECT_EQ(ReadTestFile(dir / "out\\Addon\\old.lua"), "new");
        EXPECT_EQ(ReadTestFile(dir / "out\\Addon\\New\\deep\\x.lua"), "x");
        EXPECT_EQ(ReadTestFile(dir / "out\\Addon\\New\\y.lua"), "y");
        EXPECT_EQ(ReadTestFile(dir / "out\\Addon\\New\\z.lua"), "z");
        EXPECT_EQ(ReadTestFile(dir / "out\\top.lua"), "new top");
        for (const char* name : {"Addon\\old.lua", "Addon\\New\\z.lua", "top.lua"})
            EXPECT_FALSE(platform::IsReadOnly(dir / (std::string("out\\") + name))) << name << run;
    }
}

TEST(ExtractArchive, ChineseNamesAndModificationTimes) {
    TempDir dir;
    platform::MakeDirectory(dir / "out");
    const std::string folder = platform::Utf8ToLocal("插件");
    const std::string file = platform::Utf8ToLocal("说明.txt");
    test::WriteTestFile(
        dir / "c.zip",
        BuildZip({{.name = folder + "/" + file, .data = "gbk"},
                  {.name = "utf8/\xE8\xAF\xB4\xE6\x98\x8E.txt", .data = "u8", .flags = 0x800},
                  // GBK characters whose second byte is 0x5C, a backslash.
                  {.name = "\x95\x5C/x\xD5\x5C.txt", .data = "5c"},
                  {.name = "ut.txt",
                   .data = "t",
                   .localExtra = test::ExtendedTimestamp(1, {1500000000})}}));
    const ArchiveReport report = ExtractArchive(dir / "c.zip", dir / "out");
    EXPECT_TRUE(report.Ok());
    EXPECT_EQ(ReadTestFile(dir / ("out\\" + folder + "\\" + file)), "gbk");
    EXPECT_EQ(ReadTestFile(dir / ("out\\utf8\\" + file)), "u8");
    EXPECT_EQ(ReadTestFile(dir / platform::Utf8ToLocal("out\\昞\\x誠.txt")), "5c");
    EXPECT_EQ(platform::ListSubdirectories(dir / "out").size(), 3u);  // no half-character folders
    EXPECT_EQ(platform::GetModifiedTime(dir / ("out\\" + folder + "\\" + file)),
              platform::UnixTimeToFileTime(1623760486));
    EXPECT_EQ(platform::GetModifiedTime(dir / "out\\ut.txt"),
              platform::UnixTimeToFileTime(1500000000));
}

TEST(ExtractArchive, DamagedMembersAreReportedAndTheRestExtracted) {
    TempDir dir;
    platform::MakeDirectory(dir / "out");
    std::string zip = BuildZip({{.name = "bad.txt", .data = std::string(5000, 'x'), .method = 0},
                                {.name = "good.txt", .data = "good"}});
    zip[30 + 7 + 100] = 'y';  // inside bad.txt's stored data
    test::WriteTestFile(dir / "d.zip", zip);
    ArchiveReport report = ExtractArchive(dir / "d.zip", dir / "out");
    ASSERT_EQ(report.members.size(), 2u);
    EXPECT_EQ(report.members[0].result, kZipIncomplete);
    EXPECT_EQ(report.members[1].result, kZipOk);
    EXPECT_FALSE(report.Ok());

    report = VerifyZipArchive(dir / "d.zip");
    ASSERT_EQ(report.members.size(), 2u);
    EXPECT_EQ(report.members[0].result, kZipIncomplete);
    EXPECT_EQ(report.members[1].result, kZipOk);

    test::WriteTestFile(dir / "junk.zip", "PK\x05\x06 is not enough");
    report = ExtractArchive(dir / "junk.zip", dir / "out");
    EXPECT_NE(report.openResult, kZipOk);
    EXPECT_TRUE(report.members.empty());
    report = ExtractArchive(dir / "d.zip", dir / "missing");
    EXPECT_EQ(report.openResult, kZipCannotCreate);
}

TEST(ExtractArchive, VerifyWritesNothing) {
    TempDir dir;
    test::WriteTestFile(
        dir / "v.zip",
        BuildZip({{.name = "x/y.txt", .data = "y"},
                  {.name = "x/", .data = "", .method = 0, .externalAttributes = 0x10}}));
    const std::string before = platform::GetCurrentDir();
    const ArchiveReport report = VerifyZipArchive(dir / "v.zip");
    EXPECT_TRUE(report.Ok());
    EXPECT_EQ(report.members.size(), 2u);
    EXPECT_EQ(platform::ListSubdirectories(dir.path()).size(), 0u);
    EXPECT_EQ(platform::GetCurrentDir(), before);
}

TEST(UnzipItem, FileHandleTargetAndRelativeNames) {
    TempDir dir;
    const std::string zip = BuildZip({{.name = "m.txt",
                                       .data = "member",
                                       .localExtra = test::ExtendedTimestamp(1, {1400000000})}});
    ZipHandle handle(OpenZip(zip.data(), static_cast<uint32_t>(zip.size()), kZipSourceMemory));
    ASSERT_TRUE(handle);
    platform::File out;
    ASSERT_TRUE(out.Open(dir / "target.bin", platform::File::Mode::kWrite));
    ASSERT_TRUE(out.Write("head:", 5));
    EXPECT_EQ(UnzipItem(handle.get(), 0, &out, 0, kZipTargetHandle), kZipOk);
    out.Close();
    EXPECT_EQ(ReadTestFile(dir / "target.bin"), "head:member");
    EXPECT_EQ(platform::GetModifiedTime(dir / "target.bin"),
              platform::UnixTimeToFileTime(1400000000));
    EXPECT_EQ(UnzipItem(handle.get(), 0, nullptr, 0, kZipTargetHandle), kZipBadArgument);
}

}  // namespace
}  // namespace vt::archive
