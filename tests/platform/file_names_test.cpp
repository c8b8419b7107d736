#include "platform/file_names.h"

#include <gtest/gtest.h>

namespace vt::platform {
namespace {

// "\x81\x5C" is one GBK character whose trail byte is a backslash; "\x80" and
// "\xFF" begin no two-byte character.
TEST(FileNamesTest, SeparatorsAreNeverTrailBytes) {
    EXPECT_EQ(PathSeparators("a\\\x81\x5C\\b/c"), (std::vector<size_t>{1, 4, 6}));
    EXPECT_EQ(PathSeparators("\x80\\\xFF/"), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(LastPathSeparator("dir\\\x81\x5C"), 3u);
    EXPECT_EQ(LastPathSeparator("\x81\x5C"), std::string::npos);
    EXPECT_EQ(LastPathSeparator(""), std::string::npos);
    EXPECT_EQ(SplitPath("C:\\\x81\x5C\\\\x"),
              (std::vector<std::string>{"C:", "\\", "\x81\x5C", "\\", "\\", "x"}));
    EXPECT_EQ(SplitPath("/a"), (std::vector<std::string>{"/", "a"}));
}

}  // namespace
}  // namespace vt::platform
