#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>

#include "platform/files.h"
#include "platform/system.h"

namespace vt::test {

namespace {

std::string TempRoot() {
    std::string root = platform::GetEnv("TESSEL_TEST_TMP");
    if (root.empty())
        root = platform::GetEnv("TEMP");
    if (root.empty())
        root = platform::GetEnv("TMPDIR");
    if (root.empty())
        root = "/tmp";
    return root;
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const unsigned seed = static_cast<unsigned>(std::time(nullptr)) ^ (counter++ * 7919u);
    for (unsigned attempt = 0;; ++attempt) {
        path_ = TempRoot() + "\\tessel-test-" + std::to_string(seed + attempt) + "\\";
        if (platform::MakeDirectory(path_))
            break;
        if (attempt > 1000) {
            ADD_FAILURE() << "cannot create a temporary directory under " << TempRoot();
            break;
        }
    }
}

TempDir::~TempDir() {
    platform::RemoveTree(path_);
}

void WriteTestFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes)) << path;
}

std::string ReadTestFile(const std::string& path) {
    std::string contents;
    platform::ReadWholeFile(path, contents);
    return contents;
}

}  // namespace vt::test
