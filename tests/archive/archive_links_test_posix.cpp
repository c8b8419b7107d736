// Unpacking never writes through a link that already stands where a member
// goes.
#include <unistd.h>

#include <gtest/gtest.h>

#include "archive/extract_archive.h"
#include "archive/zip_builder.h"
#include "platform/files.h"
#include "platform/native_path_posix.h"
#include "support/temp_dir.h"

namespace vt::archive {
namespace {

using test::BuildZip;
using test::TempDir;

TEST(ArchiveLinks, MembersBehindLinksAreRefusedAndTheTargetsUntouched) {
    TempDir dir;
    TempDir outside;
    test::WriteTestFile(outside / "victim.lua", "mine");
    ASSERT_TRUE(platform::SetAttributes(outside / "victim.lua", platform::kAttrReadOnly));
    platform::MakeDirectory(dir / "out");
    platform::MakeDirectory(dir / "out\\Real");
    const std::string out = platform::ToNativePath(dir / "out\\");
    ASSERT_EQ(::symlink(platform::ToNativePath(outside.path()).c_str(), (out + "Linked").c_str()),
              0);
    ASSERT_EQ(::symlink(platform::ToNativePath(outside / "victim.lua").c_str(),
                        (out + "Real/file.lua").c_str()),
              0);
    test::WriteTestFile(dir / "a.zip", BuildZip({{.name = "Linked/", .data = "", .method = 0},
                                                 {.name = "Linked/new.lua", .data = "bad"},
                                                 {.name = "Real/file.lua", .data = "bad"},
                                                 {.name = "Real/ok.lua", .data = "ok"}}));
    const ArchiveReport report = ExtractArchive(dir / "a.zip", dir / "out");
    ASSERT_EQ(report.members.size(), 4u);
    EXPECT_EQ(report.members[0].result, kZipCannotCreate);
    EXPECT_EQ(report.members[1].result, kZipCannotCreate);
    EXPECT_EQ(report.members[2].result, kZipCannotCreate);
    EXPECT_EQ(report.members[3].result, kZipOk);
    EXPECT_FALSE(platform::PathExists(outside / "new.lua"));
    EXPECT_EQ(test::ReadTestFile(outside / "victim.lua"), "mine");
    EXPECT_TRUE(platform::IsReadOnly(outside / "victim.lua"));
    platform::ClearReadOnly(outside / "victim.lua");
}

// A link deep in an existing tree, met after its parent was already used by
// other members, and a link where a member file of a fresh directory goes
// cannot be (the directory is new): only the link's members are refused.
TEST(ArchiveLinks, LinksBelowDirectoriesAlreadyUsedAreStillFound) {
    TempDir dir;
    TempDir outside;
    platform::MakeDirectory(dir / "out");
    platform::MakeDirectory(dir / "out\\Real");
    platform::MakeDirectory(dir / "out\\Real\\Sub");
    const std::string out = platform::ToNativePath(dir / "out\\");
    ASSERT_EQ(
        ::symlink(platform::ToNativePath(outside.path()).c_str(), (out + "Real/Sub/Deep").c_str()),
        0);
    test::WriteTestFile(dir / "a.zip", BuildZip({{.name = "Real/Sub/a.lua", .data = "a"},
                                                 {.name = "Real/Sub/Deep/b/c.lua", .data = "bad"},
                                                 {.name = "Real/Sub/Deep/d.lua", .data = "bad"},
                                                 {.name = "Real/Sub/New/e.lua", .data = "e"}}));
    const ArchiveReport report = ExtractArchive(dir / "a.zip", dir / "out");
    ASSERT_EQ(report.members.size(), 4u);
    EXPECT_EQ(report.members[0].result, kZipOk);
    EXPECT_EQ(report.members[1].result, kZipCannotCreate);
    EXPECT_EQ(report.members[2].result, kZipCannotCreate);
    EXPECT_EQ(report.members[3].result, kZipOk);
    EXPECT_FALSE(platform::PathExists(outside / "b"));
    EXPECT_FALSE(platform::PathExists(outside / "d.lua"));
    EXPECT_EQ(test::ReadTestFile(dir / "out\\Real\\Sub\\New\\e.lua"), "e");
}

}  // namespace
}  // namespace vt::archive
