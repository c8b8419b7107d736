#include "upgrade/hand_over.h"

#include <gtest/gtest.h>

#include <atomic>

#include "support/temp_dir.h"

namespace vt::upgrade {
namespace {

// Settings with a block name of their own, so tests do not meet each
// other's blocks (a block lives as long as the process).
UpgradeSettings HandOverSettings(const std::string& moduleDir) {
    static std::atomic<int> count{0};
    UpgradeSettings settings;
    settings.hostWindow = 0x1234;
    settings.exitMessage = 3038;
    settings.currentVersion = 9125;
    settings.refitterExeName = "Refitter.exe";
    settings.mapName = "__VAEL_UPGRADE_TEST_" + std::to_string(++count) + "__";
    settings.hostExeName = "VaelTessel.exe";
    settings.moduleDir = moduleDir;
    return settings;
}

UpdateOffer Offer(const std::string& softVer, const std::string& url = "http://h/p.zip") {
    return {softVer, url, "http://h/manual", "desc", "2024-05-01"};
}

TEST(HandOverUpdate, DecidesByTheVersionAndTheUrl) {
    test::TempDir dir;
    const UpgradeSettings settings = HandOverSettings(dir.path());
    std::unique_ptr<UpgradeInfoBlock> block;
    HandOverReport report;
    EXPECT_EQ(HandOverUpdate(settings, Offer(""), block, &report), kHandOverNoVersion);
    EXPECT_EQ(HandOverUpdate(settings, Offer("9125"), block, &report), kHandOverCurrent);
    EXPECT_EQ(HandOverUpdate(settings, Offer("9124"), block, &report), kHandOverCurrent);
    EXPECT_EQ(HandOverUpdate(settings, Offer("v9126"), block, &report), kHandOverCurrent);
    EXPECT_EQ(HandOverUpdate(settings, Offer(" 9125.9"), block, &report), kHandOverCurrent);
    EXPECT_EQ(HandOverUpdate(settings, Offer("9126", ""), block, &report), kHandOverNoUrl);
    // None of these touched the record or the shared block.
    EXPECT_EQ(block, nullptr);
    platform::SharedMemory probe;
    EXPECT_EQ(probe.CreateOrOpen(settings.mapName, kUpgradeInfoBlockSize),
              platform::SharedMemory::Result::kCreated);
}

TEST(HandOverUpdate, WritesTheRecordOnceAndNamesTheBlockOnTheCommandLine) {
    test::TempDir dir;
    const UpgradeSettings settings = HandOverSettings(dir.path());
    std::unique_ptr<UpgradeInfoBlock> block;
    HandOverReport report;
    EXPECT_EQ(HandOverUpdate(settings, Offer("9126abc"), block, &report), kHandOverStarted);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(report.blockWritten);
    EXPECT_EQ(report.mapping, platform::SharedMemory::Result::kCreated);
    EXPECT_EQ(report.program, dir.path() + "Refitter.exe");
    EXPECT_EQ(report.commandLine, settings.mapName + "|VaelTessel.exe");
    EXPECT_FALSE(report.started);  // there is no updater in the directory
    EXPECT_EQ(InfoBlockText(*block, kInfoSoftVer), "9126abc");
    EXPECT_EQ(InfoBlockText(*block, kInfoModuleDir), dir.path());
    EXPECT_EQ(InfoBlockNumber(*block, kInfoHostWindow), 0x1234u);

    // The shared block holds the record and stays after the hand-over.
    platform::SharedMemory shared;
    ASSERT_EQ(shared.CreateOrOpen(settings.mapName, kUpgradeInfoBlockSize),
              platform::SharedMemory::Result::kOpenedExisting);
    EXPECT_TRUE(std::equal(block->begin(), block->end(), shared.data()));

    // A second hand-over refreshes the window's record but leaves the block
    // as the first one wrote it.
    EXPECT_EQ(HandOverUpdate(settings, Offer("9200"), block, &report), kHandOverStarted);
    EXPECT_EQ(report.mapping, platform::SharedMemory::Result::kOpenedExisting);
    EXPECT_EQ(InfoBlockText(*block, kInfoSoftVer), "9200");
    UpgradeInfoBlock seen{};
    std::copy(shared.data(), shared.data() + kUpgradeInfoBlockSize, seen.begin());
    EXPECT_EQ(InfoBlockText(seen, kInfoSoftVer), "9126abc");
}

TEST(HandOverUpdate, TheProgramsCommandLineIsExactlyTheBlockAndTheExecutable) {
    UpgradeSettings settings;
    settings.mapName = "__VAEL_UPGRADE_FILEMAP_KEYNAME__";
    settings.hostExeName = "VaelTessel.exe";
    EXPECT_EQ(UpdaterCommandLine(settings), "__VAEL_UPGRADE_FILEMAP_KEYNAME__|VaelTessel.exe");
}

}  // namespace
}  // namespace vt::upgrade
