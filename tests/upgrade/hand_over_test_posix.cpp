#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/files.h"
#include "platform/native_path_posix.h"
#include "platform/system.h"
#include "support/temp_dir.h"
#include "upgrade/hand_over.h"

namespace vt::upgrade {
namespace {

TEST(HandOverUpdate, StartsTheUpdaterInTheModuleDirectoryWithOnlyTheCommandLine) {
    test::TempDir dir;
    UpgradeSettings settings;
    settings.currentVersion = 9125;
    settings.refitterExeName = "Refitter.exe";
    settings.mapName = "__VAEL_UPGRADE_START_TEST__";
    settings.hostExeName = "VaelTessel.exe";
    settings.moduleDir = dir.path();
    // An updater that records its arguments and where it runs (built beside
    // this test program).
    const std::string program = platform::ModulePath();
    std::string updater;
    ASSERT_TRUE(platform::ReadWholeFile(
        program.substr(0, program.find_last_of("\\/") + 1) + "fake_refitter", updater));
    test::WriteTestFile(dir / "Refitter.exe", updater);
    ::chmod(platform::ToNativePath(dir / "Refitter.exe").c_str(), 0755);

    std::unique_ptr<UpgradeInfoBlock> block;
    HandOverReport report;
    ASSERT_EQ(HandOverUpdate(settings, {"9126", "http://h/p.zip", "", "", ""}, block, &report),
              kHandOverStarted);
    EXPECT_TRUE(report.started);
    // The updater runs on its own; the wait only bounds a failing test.
    for (int i = 0; i < 2000 && !platform::PathExists(dir / "seen.txt"); ++i)
        platform::SleepMs(10);
    std::string dirNative = platform::ToNativePath(dir.path());
    dirNative.pop_back();
    EXPECT_EQ(test::ReadTestFile(dir / "seen.txt"),
              "__VAEL_UPGRADE_START_TEST__|VaelTessel.exe|0|" + dirNative + "\n");
}

}  // namespace
}  // namespace vt::upgrade
