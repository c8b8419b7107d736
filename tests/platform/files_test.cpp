#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_faults.h"
#include "support/temp_dir.h"

namespace vt::platform {
namespace {

const std::string kChineseName = "\xB2\xE5\xBC\xFE";  // "插件" in GBK

TEST(FilesTest, ChineseNamesAndBothSeparatorsReachTheSameFile) {
    test::TempDir dir;
    ASSERT_TRUE(MakeDirectory(dir / kChineseName));
    EXPECT_FALSE(MakeDirectory(dir / kChineseName));
    test::WriteTestFile(dir / kChineseName + "\\a.txt", "abc");
    EXPECT_TRUE(PathExists(dir / kChineseName + "/a.txt"));
    EXPECT_EQ(FileSize(dir / kChineseName + "\\a.txt"), 3);
    EXPECT_EQ(FileSize(dir / "missing"), -1);
    EXPECT_TRUE(IsDirectory(dir / kChineseName));
    EXPECT_FALSE(IsDirectory(dir / kChineseName + "\\a.txt"));

    ASSERT_TRUE(MakeDirectory(dir / "second"));
    auto names = ListSubdirectories(dir.path());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{kChineseName, "second"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(ListFiles(dir / kChineseName), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(ListSubdirectories(dir / "missing").empty());
}

TEST(FilesTest, ReadOnlyFilesRefuseDeletionUntilCleared) {
    test::TempDir dir;
    const std::string file = dir / "locked.txt";
    test::WriteTestFile(file, "x");
    EXPECT_FALSE(IsReadOnly(file));
    ASSERT_TRUE(SetAttributes(file, kAttrReadOnly));
    EXPECT_TRUE(IsReadOnly(file));
    EXPECT_FALSE(RemoveFile(file));
    EXPECT_TRUE(ClearReadOnly(file));
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_FALSE(PathExists(file));
    EXPECT_EQ(GetAttributes(file), kInvalidAttributes);
    EXPECT_FALSE(ClearReadOnly(file));
}

TEST(FilesTest, RenameRemoveTreeAndCurrentDirectory) {
    test::TempDir dir;
    ASSERT_TRUE(MakeDirectory(dir / "tree"));
    ASSERT_TRUE(MakeDirectory(dir / "tree\\sub"));
    test::WriteTestFile(dir / "tree\\sub\\f", "1");
    ASSERT_TRUE(SetAttributes(dir / "tree\\sub\\f", kAttrReadOnly));

    test::WriteTestFile(dir / "a", "a");
    test::WriteTestFile(dir / "b", "b");
    EXPECT_FALSE(RenamePath(dir / "a", dir / "b"));
    EXPECT_TRUE(RenamePath(dir / "a", dir / "b", true));
    EXPECT_EQ(test::ReadTestFile(dir / "b"), "a");
    EXPECT_TRUE(RenamePath(dir / "tree", dir / "moved"));

    const std::string before = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir / "moved\\sub"));
    EXPECT_TRUE(PathExists("f"));
    ASSERT_TRUE(SetCurrentDir(before));

    EXPECT_TRUE(RemoveTree(dir / "moved"));
    EXPECT_FALSE(PathExists(dir / "moved"));
    EXPECT_FALSE(RemoveTree(dir / "moved"));
}

TEST(FilesTest, FileModesTimesAndTruncation) {
    test::TempDir dir;
    const std::string path = dir / "f.bin";
    File file;
    EXPECT_FALSE(file.Open(path, File::Mode::kRead));
    ASSERT_TRUE(file.Open(path, File::Mode::kWrite));
    ASSERT_TRUE(file.Write("hello world", 11));
    file.Close();

    ASSERT_TRUE(file.Open(path, File::Mode::kAppend));
    ASSERT_TRUE(file.Write("!", 1));
    EXPECT_EQ(file.Size(), 12);
    file.Close();

    ASSERT_TRUE(file.Open(path, File::Mode::kReadWrite));
    ASSERT_TRUE(file.Seek(6));
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "world!");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);
    ASSERT_TRUE(file.Truncate(5));
    const FileTime stamp = UnixTimeToFileTime(1'000'000'000);
    EXPECT_TRUE(file.SetTimes(0, 0, stamp));
    File moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    moved.Close();

    EXPECT_EQ(test::ReadTestFile(path), "hello");
    EXPECT_EQ(GetModifiedTime(path), stamp);
    EXPECT_TRUE(SetModifiedTime(path, UnixTimeToFileTime(2'000'000'000)));
    EXPECT_EQ(FileTimeToUnixTime(GetModifiedTime(path)), 2'000'000'000);
    EXPECT_FALSE(file.Open(dir.path(), File::Mode::kRead));  // a directory is no file
}

// A failed File call leaves the system's reason: a Windows error number on
// every system and the system's own words for it.
TEST(FilesTest, FailuresLeaveTheSystemsReason) {
    test::TempDir dir;
    File file;
    EXPECT_FALSE(file.Open(dir / "missing", File::Mode::kRead));
    FileError error = LastFileError();
    EXPECT_EQ(error.number, kErrorFileNotFound);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(error.message.find_first_of("\r\n"), std::string::npos);

    EXPECT_FALSE(file.Open(dir.path(), File::Mode::kRead));
    EXPECT_EQ(LastFileError().number, kErrorAccessDenied);

    SetDiskFull(true);
    EXPECT_FALSE(file.Open(dir / "new", File::Mode::kWrite));
    SetDiskFull(false);
    ClearFileFaults();
    error = LastFileError();
    EXPECT_EQ(error.number, kErrorDiskFull);
    EXPECT_EQ(error.message, FileErrorMessage(kErrorDiskFull));

    EXPECT_EQ(file.Read(nullptr, 1), -1);  // nothing open
    EXPECT_NE(LastFileError().number, 0);
    EXPECT_NE(LastFileError().number, kErrorDiskFull);
}

TEST(FilesTest, MakeAndDeleteNestedTrees) {
    test::TempDir dir;
    const std::string deep = dir / "a\\\xB2\xE5\\c";
    EXPECT_TRUE(MakeDirectoryPath(deep));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(MakeDirectoryPath(deep));  // already there
    test::WriteTestFile(deep + "\\f", "x");
    ASSERT_TRUE(SetAttributes(deep + "\\f", kAttrReadOnly));

    EXPECT_TRUE(DeleteDirectoryTree(dir / "a\\"));
    EXPECT_FALSE(PathExists(dir / "a"));
    EXPECT_FALSE(DeleteDirectoryTree(dir / "a"));
    test::WriteTestFile(dir / "plain", "x");
    EXPECT_FALSE(DeleteDirectoryTree(dir / "plain"));  // a file is no tree
    EXPECT_TRUE(PathExists(dir / "plain"));
}

}  // namespace
}  // namespace vt::platform
