#include "addons/version_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vt::addons {
namespace {

TEST(VersionFileTest, HeaderLinesAreNormalisedBeforeTheyAreRead) {
    struct Case {
        const char* text;
        const char* key;
        const char* value;
    } cases[] = {
        {"##   X-Tessel-UpdateVer :  12  \r\n", "X-Tessel-UpdateVer", "12"},
        {"# X-Tessel-UpdateVer: 12\n", "X-Tessel-UpdateVer", ""},
        {"## X-Tessel-UpdateVer 12\n", "X-Tessel-UpdateVer", ""},
        {"\t ## X-Tessel-UpdateVer:\t7 b  \n", "X-Tessel-UpdateVer", "7 b"},
        {"## x-tessel-updatever: 3\n", "X-Tessel-UpdateVer", ""},
        {"## Title: a:b\n## X-Tessel-UpdateVer: 4\n## X-Tessel-UpdateVer: 5\n",
         "X-Tessel-UpdateVer", "4"},
        {"## Title: a:b", "Title", "a:b"},
        {"##: empty key\n", "", "empty key"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindVersionHeader(c.text, c.key), c.value) << c.text;

    const VersionHeaders both = ParseVersionHeaders(
        "## X-Tessel-Project-Name: A\n## X-Tessel-UpdateVer: 9\n## X-Tessel-Project-Name: B\n");
    EXPECT_EQ(both.projectName, "A");
    EXPECT_EQ(both.updateVer, "9");
}

TEST(VersionFileTest, FilesAreReadBoundedAndMissingOnesAreEmpty) {
    test::TempDir dir;
    EXPECT_EQ(ReadVersionHeader(dir / "none.txt", "X-Tessel-UpdateVer"), "");
    test::WriteTestFile(dir / "v.txt", "## X-Tessel-UpdateVer: 8\r\n" +
                                           std::string(3 * kMaxVersionFileBytes, 'x') +
                                           "\n## X-Tessel-Project-Name: Late\n");
    const VersionHeaders headers = ReadVersionHeaders(dir / "v.txt");
    EXPECT_EQ(headers.updateVer, "8");
    EXPECT_EQ(headers.projectName, "");  // beyond the bound
}

}  // namespace
}  // namespace vt::addons
