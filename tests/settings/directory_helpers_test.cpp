#include "settings/directory_helpers.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/files.h"
#include "settings/random_digits.h"
#include "support/temp_dir.h"

namespace vt {
namespace {

TEST(DirectoryHelpersTest, MakeAndDeleteNestedTrees) {
    test::TempDir dir;
    const std::string deep = dir / "a\\\xB2\xE5\\c";
    EXPECT_TRUE(MakeDirectoryPath(deep));
    EXPECT_TRUE(platform::IsDirectory(deep));
    EXPECT_TRUE(MakeDirectoryPath(deep));  // already there
    test::WriteTestFile(deep + "\\f", "x");
    ASSERT_TRUE(platform::SetAttributes(deep + "\\f", platform::kAttrReadOnly));

    EXPECT_TRUE(DeleteDirectoryTree(dir / "a\\"));
    EXPECT_FALSE(platform::PathExists(dir / "a"));
    EXPECT_FALSE(DeleteDirectoryTree(dir / "a"));
    test::WriteTestFile(dir / "plain", "x");
    EXPECT_FALSE(DeleteDirectoryTree(dir / "plain"));  // a file is no tree
    EXPECT_TRUE(platform::PathExists(dir / "plain"));
}

TEST(RandomDigitsTest, FixedWidthDigits) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string decimal = RandomDigits(4, false);
        ASSERT_EQ(decimal.size(), 4u);
        EXPECT_EQ(decimal.find_first_not_of("0123456789"), std::string::npos);
        seen.insert(decimal);
    }
    EXPECT_GT(seen.size(), 1u);
    EXPECT_EQ(RandomDigits(9, false).size(), 5u);
    EXPECT_EQ(RandomDigits(0, true).size(), 5u);
    EXPECT_EQ(RandomDigits(3, true).find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

}  // namespace
}  // namespace vt
