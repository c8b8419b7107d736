// The same archives built now by the tools installed on this machine.
#include <cstdlib>

#include "archive/tool_archives.h"
#include "platform/system.h"

namespace vt::archive {
namespace {

TEST(ToolArchives, FreshlyBuiltArchivesExtractExactly) {
    const std::string source = platform::GetEnv("TESSEL_SOURCE_DIR");
    ASSERT_FALSE(source.empty()) << "TESSEL_SOURCE_DIR is not set";
    test::TempDir out;
    std::string outDir = out.path();
    for (char& c : outDir) {
        if (c == '\\')
            c = '/';
    }
    const std::string command =
        "'" + source + "/tests/archive/data/make_fixtures.sh' '" + outDir + "' >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const char* name : test::kToolArchives)
        test::CheckToolArchive(out / name);
}

}  // namespace
}  // namespace vt::archive
