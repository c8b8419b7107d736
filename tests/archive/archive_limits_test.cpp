// Whole-archive refusals (zip bombs), device names and the path-length rule
// of the final directory: the check before an install applies every rule the
// unpacking does.
#include <gtest/gtest.h>

#include "archive/extract_archive.h"
#include "archive/zip_builder.h"
#include "archive/zip_paths.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace vt::archive {
namespace {

using test::BuildZip;
using test::TempDir;
using test::TestMember;

// Writes the archive and runs both the check and the unpacking into "out".
struct Outcome {
    ArchiveReport verified;
    ArchiveReport extracted;
};
Outcome CheckAndExtract(const TempDir& dir, const std::string& zip, const ArchiveRules& rules) {
    test::WriteTestFile(dir / "a.zip", zip);
    platform::RemoveTree(dir / "out");
    platform::MakeDirectory(dir / "out");
    return {VerifyZipArchive(dir / "a.zip", rules),
            ExtractArchive(dir / "a.zip", dir / "out", rules)};
}

TEST(ArchiveLimits, ZipBombsAreRefusedWholeBeforeAnythingIsWritten) {
    TempDir dir;
    // Forty central entries sharing one local header and its data.
    std::vector<TestMember> shared;
    for (int i = 0; i < 40; ++i) {
        TestMember member{.name = "bomb/a0.bin", .data = std::string(200000, '\0')};
        if (i > 0)
            member.localOffset = 0;
        shared.push_back(member);
    }
    Outcome outcome = CheckAndExtract(dir, BuildZip(shared), {});
    EXPECT_EQ(outcome.verified.openResult, kZipOverlap);
    EXPECT_EQ(outcome.extracted.openResult, kZipOverlap);
    EXPECT_TRUE(outcome.extracted.members.empty());
    EXPECT_TRUE(platform::ListDirectory(dir / "out").empty());

    // More in total than the limit allows, each member honest.
    ArchiveRules small;
    small.limits.maxTotalSize = 1000;
    outcome = CheckAndExtract(dir,
                              BuildZip({{.name = "a.bin", .data = std::string(600, 'a')},
                                        {.name = "b.bin", .data = std::string(600, 'b')}}),
                              small);
    EXPECT_EQ(outcome.verified.openResult, kZipTooLarge);
    EXPECT_EQ(outcome.extracted.openResult, kZipTooLarge);
    EXPECT_TRUE(platform::ListDirectory(dir / "out").empty());

    // A member declaring 4 GB from a few bytes: no deflate stream expands so.
    TestMember liar{.name = "huge.bin", .data = "tiny", .dataDescriptor = true};
    liar.centralUncompressed = 0xF0000000u;
    outcome = CheckAndExtract(dir, BuildZip({liar}), {});
    EXPECT_EQ(outcome.verified.openResult, kZipTooLarge);
    EXPECT_EQ(outcome.extracted.openResult, kZipTooLarge);

    // Honest, highly compressible data passes.
    outcome = CheckAndExtract(
        dir, BuildZip({{.name = "zeros.bin", .data = std::string(1 << 20, '\0')}}), {});
    EXPECT_TRUE(outcome.verified.Ok());
    EXPECT_TRUE(outcome.extracted.Ok());
    EXPECT_EQ(platform::FileSize(dir / "out\\zeros.bin"), 1 << 20);
}

TEST(ArchiveLimits, DeviceNamesAndWindowsForbiddenCharactersAreRefused) {
    for (const char* name : {"aux.lua", "A/nul.txt", "A/COM1.lua", "con", "A/Lpt9", "prn .x/y",
                             "A/conout$.txt", "A/??.txt", "A/a|b", "A/x*", "A/\x01"}) {
        EXPECT_FALSE(IsSafeMemberName(name)) << name;
    }
    for (const char* name : {"auxiliary.lua", "A/null.txt", "COM10.lua", "A/com0", "console/x",
                             "A/nul_/b", "A/\xB2\x7C.lua"}) {
        EXPECT_TRUE(IsSafeMemberName(name)) << name;
    }
    TempDir dir;
    const Outcome outcome = CheckAndExtract(
        dir, BuildZip({{.name = "A/ok.lua", .data = "ok"}, {.name = "A/aux.lua", .data = "x"}}),
        {});
    EXPECT_FALSE(outcome.verified.Ok());
    ASSERT_EQ(outcome.extracted.members.size(), 2u);
    EXPECT_EQ(outcome.extracted.members[1].result, kZipCannotCreate);
    EXPECT_EQ(test::ReadTestFile(dir / "out\\A\\ok.lua"), "ok");
}

TEST(ArchiveLimits, TheCheckMeasuresPathsInTheFinalDirectory) {
    TempDir dir;
    const std::string name = "Deep/" + std::string(120, 'n') + ".lua";
    ArchiveRules rules;
    rules.finalDir = "C:\\" + std::string(kMaxMemberPath - name.size() - 4, 'g');
    const std::string zip = BuildZip({{.name = name, .data = "x"}});
    test::WriteTestFile(dir / "a.zip", zip);
    EXPECT_TRUE(VerifyZipArchive(dir / "a.zip", rules).Ok());  // exactly 259
    rules.finalDir += "g";
    const ArchiveReport report = VerifyZipArchive(dir / "a.zip", rules);
    ASSERT_EQ(report.members.size(), 1u);
    EXPECT_EQ(report.members[0].result, kZipCannotCreate);
    // Unpacking elsewhere for that final directory refuses it as well.
    platform::MakeDirectory(dir / "out");
    EXPECT_FALSE(ExtractArchive(dir / "a.zip", dir / "out", rules).Ok());
    EXPECT_TRUE(platform::ListDirectory(dir / "out").empty());
}

}  // namespace
}  // namespace vt::archive
