// Archives made by Info-ZIP zip, 7z, bsdtar and Python (committed copies, so
// that the Windows build checks them too).
#include "archive/tool_archives.h"

#include "platform/system.h"

namespace vt::archive {
namespace {

TEST(ToolArchives, CommittedArchivesExtractExactly) {
    const std::string source = platform::GetEnv("TESSEL_SOURCE_DIR");
    ASSERT_FALSE(source.empty()) << "TESSEL_SOURCE_DIR is not set";
    for (const char* name : test::kToolArchives) {
        test::CheckToolArchive(source + "\\tests\\archive\\data\\" + name);
    }
}

}  // namespace
}  // namespace vt::archive
