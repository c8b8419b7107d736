#include "platform/profile.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vt::platform {
namespace {

TEST(ProfileTest, ReadsLikeTheWindowsProfileFunctions) {
    test::TempDir dir;
    const std::string file = dir / "config";
    EXPECT_EQ(ReadProfileString(file, "Setting", "GamePath", "none", 200), "none");
    test::WriteTestFile(file,
                        "; comment\r\n[Other]\r\nGamePath=wrong\r\n"
                        "  [ SETTING ]  \r\n  gamepath  =  \"C:\\Vael\\x.exe\"  \r\n"
                        "Empty=\r\nlong=0123456789\r\n");
    EXPECT_EQ(ReadProfileString(file, "Setting", "GamePath", "", 200), "C:\\Vael\\x.exe");
    EXPECT_EQ(ReadProfileString(file, "setting", "EMPTY", "d", 200), "");
    EXPECT_EQ(ReadProfileString(file, "Setting", "Missing", "d", 200), "d");
    EXPECT_EQ(ReadProfileString(file, "Nowhere", "GamePath", "", 200), "");
    EXPECT_EQ(ReadProfileString(file, "Setting", "long", "", 5), "0123");
    EXPECT_EQ(ReadProfileString(file, "Setting", "long", "", 1), "");
}

TEST(ProfileTest, WritesCreateReplaceAndAppend) {
    test::TempDir dir;
    const std::string file = dir / "ver.ini";
    ASSERT_TRUE(WriteProfileString(file, "u", "v", "9125"));
    EXPECT_EQ(test::ReadTestFile(file), "[u]\r\nv=9125\r\n");
    ASSERT_TRUE(WriteProfileString(file, "U", "V", "1"));
    EXPECT_EQ(test::ReadTestFile(file), "[u]\r\nv=1\r\n");
    ASSERT_TRUE(WriteProfileString(file, "u", "w", "2"));
    ASSERT_TRUE(WriteProfileString(file, "x", "k", "\xD6\xD0"));
    EXPECT_EQ(test::ReadTestFile(file), "[u]\r\nv=1\r\nw=2\r\n[x]\r\nk=\xD6\xD0\r\n");
    EXPECT_EQ(ReadProfileString(file, "x", "k", "", 200), "\xD6\xD0");
    EXPECT_FALSE(WriteProfileString(dir / "missing\\dir\\f.ini", "a", "b", "c"));
}

TEST(ProfileTest, Utf8WithByteOrderMarkReadsAsLocalText) {
    test::TempDir dir;
    test::WriteTestFile(dir / "config",
                        "\xEF\xBB\xBF[Setting]\nGamePath=D:\\\xE6\xB8\xB8\xE6\x88\x8F\n");
    EXPECT_EQ(ReadProfileString(dir / "config", "Setting", "GamePath", "", 200),
              "D:\\\xD3\xCE\xCF\xB7");
}

}  // namespace
}  // namespace vt::platform
