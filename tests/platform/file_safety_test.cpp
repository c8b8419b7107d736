// Listing order, names the code page cannot spell, the fault seam and the
// manager lock.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_faults.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/manager_lock.h"
#include "support/temp_dir.h"

namespace vt::platform {
namespace {

const std::string kKorean = "\xED\x95\x9C\xEA\xB8\x80";  // "한글" in UTF-8
const std::string kEmoji = "\xF0\x9F\x98\x80.lua";       // "😀.lua"
const std::string kChinese = "\xB2\xE5\xBC\xFE";         // "插件" in GBK

TEST(FileSafetyTest, EveryListingComesInNtfsOrder) {
    test::TempDir dir;
    for (const char* name : {"b", "_x", "A", "c", "a1", "B2"})
        ASSERT_TRUE(MakeDirectory(dir / name));
    test::WriteTestFile(dir / "Z.txt", "");
    test::WriteTestFile(dir / "y.txt", "");
    // Upper-cased, code unit by code unit: '_' (0x5F) sorts after the letters.
    EXPECT_EQ(ListSubdirectories(dir.path()),
              (std::vector<std::string>{"A", "a1", "b", "B2", "c", "_x"}));
    EXPECT_EQ(ListFiles(dir.path()), (std::vector<std::string>{"y.txt", "Z.txt"}));
    EXPECT_EQ(ListDirectory(dir.path()).size(), 8u);

    EXPECT_LT(CompareFileNames(u"abc", u"ABD"), 0);
    EXPECT_EQ(CompareFileNames(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_EQ(CompareFileNames(u"\u0434\u043e\u043c", u"\u0414\u041e\u041c"), 0);
    EXPECT_GT(CompareFileNames(u"ab", u"A"), 0);
}

TEST(FileSafetyTest, NamesTheCodePageCannotSpellAreActedOnByTheirRealName) {
    test::TempDir dir;
    const std::string korean = FileNameFromUtf8(kKorean);
    const std::string emoji = FileNameFromUtf8(kEmoji);
    const std::string hidden = FileNameFromUtf8("." + kKorean);
    EXPECT_TRUE(IsEscapedName(korean));
    EXPECT_TRUE(IsEscapedName(emoji));
    EXPECT_EQ(hidden.front(), '.');  // still a hidden-style name for the scan
    EXPECT_NE(korean, emoji);
    EXPECT_EQ(FileNameFromUtf8("\xE6\x8F\x92\xE4\xBB\xB6"), kChinese);  // spelled: plain
    EXPECT_FALSE(IsEscapedName(kChinese));
    EXPECT_FALSE(IsEscapedName("?"));
    EXPECT_FALSE(IsEscapedName("a?41"));

    ASSERT_TRUE(MakeDirectory(dir / korean));
    test::WriteTestFile(dir / korean + "\\" + emoji, "smile");
    test::WriteTestFile(dir / korean + "\\" + kChinese + ".txt", "gbk");
    EXPECT_EQ(ListSubdirectories(dir.path()), std::vector<std::string>{korean});
    const std::vector<std::string> inside = ListFiles(dir / korean);
    ASSERT_EQ(inside.size(), 2u);
    EXPECT_NE(std::find(inside.begin(), inside.end(), emoji), inside.end());
    EXPECT_EQ(test::ReadTestFile(dir / korean + "\\" + emoji), "smile");
    EXPECT_EQ(PathToUtf8(dir / korean + "\\" + emoji),
              PathToUtf8(dir.path()) + kKorean + "\\" + kEmoji);

    ASSERT_TRUE(RenamePath(dir / korean, dir / hidden));
    EXPECT_TRUE(IsDirectory(dir / hidden));
    EXPECT_FALSE(PathExists(dir / korean));
    const std::string before = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir / hidden));
    EXPECT_EQ(GetCurrentDir().substr(GetCurrentDir().size() - hidden.size()), hidden);
    EXPECT_TRUE(PathExists(emoji));
    ASSERT_TRUE(SetCurrentDir(before));
    EXPECT_TRUE(RemoveTree(dir / hidden));
    EXPECT_TRUE(ListDirectory(dir.path()).empty());
}

TEST(FileSafetyTest, PathsPastTheOldLimitOfWindowsWorkThroughout) {
    test::TempDir dir;
    // A set-aside folder's members lie deeper than they did in the addon
    // directory; they must still go.
    std::string deep = dir / "top";
    ASSERT_TRUE(MakeDirectory(deep));
    for (int level = 0; deep.size() < 300; ++level) {
        deep += "\\" + std::string(50, static_cast<char>('a' + level));
        ASSERT_TRUE(MakeDirectory(deep)) << deep.size();
    }
    test::WriteTestFile(deep + "\\" + kChinese + ".txt", "deep");
    EXPECT_EQ(test::ReadTestFile(deep + "\\" + kChinese + ".txt"), "deep");
    EXPECT_EQ(ListFiles(deep), std::vector<std::string>{kChinese + ".txt"});
    EXPECT_TRUE(IsDirectory(deep + "\\.\\"));
    ASSERT_TRUE(RenamePath(dir / "top", dir / "moved"));
    EXPECT_TRUE(RemoveTree(dir / "moved"));
    EXPECT_TRUE(ListDirectory(dir.path()).empty());
}

TEST(FileSafetyTest, TheFaultSeamFailsTheOperationsAskedFor) {
    test::TempDir dir;
    File file;
    ASSERT_TRUE(file.Open(dir / "f", File::Mode::kWrite));
    ClearFileFaults();  // counts from here, whatever ran before
    FailFileOperation(FileOp::kWrite, 2);
    EXPECT_TRUE(file.Write("a", 1));
    EXPECT_FALSE(file.Write("b", 1));
    EXPECT_TRUE(file.Write("c", 1));
    EXPECT_EQ(FileOperationCount(FileOp::kWrite), 3);
    file.Close();
    EXPECT_EQ(test::ReadTestFile(dir / "f"), "ac");

    SetDiskFull(true);
    EXPECT_FALSE(MakeDirectory(dir / "d"));
    EXPECT_FALSE(file.Open(dir / "g", File::Mode::kWrite));
    EXPECT_TRUE(RenamePath(dir / "f", dir / "h"));
    ClearFileFaults();

    // A halt is a process that died there: nothing changes after it.
    FailFileOperation(FileOp::kRename, 1, true);
    EXPECT_FALSE(RenamePath(dir / "h", dir / "i"));
    EXPECT_FALSE(RemoveFile(dir / "h"));
    EXPECT_FALSE(MakeDirectory(dir / "d"));
    EXPECT_FALSE(RemoveTree(dir / "h"));
    ClearFileFaults();
    EXPECT_EQ(test::ReadTestFile(dir / "h"), "ac");
    EXPECT_TRUE(RemoveFile(dir / "h"));
    EXPECT_EQ(FileOperationCount(FileOp::kDelete), 1);
}

TEST(FileSafetyTest, OneManagerLockHolderAtATime) {
    test::TempDir dir;
    const std::string path = dir / "manager.lock";
    ManagerLock first, second;
    EXPECT_EQ(first.Acquire(path, 0), LockResult::kAcquired);
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(second.Acquire(path, 0), LockResult::kBusy);
    EXPECT_EQ(second.Acquire(path, 120), LockResult::kBusy);
    EXPECT_FALSE(second.Held());
    ManagerLock moved = std::move(first);
    EXPECT_EQ(second.Acquire(path, 0), LockResult::kBusy);
    moved.Release();
    EXPECT_EQ(second.Acquire(path, 0), LockResult::kAcquired);
    EXPECT_EQ(ManagerLock().Acquire(dir / "missing\\manager.lock", 0), LockResult::kFailed);
}

}  // namespace
}  // namespace vt::platform
