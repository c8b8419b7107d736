// A module directory with a current updater, the settings the program would
// hand over for it, and a canned upgrade server; for the check's tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"
#include "upgrade/upgrade_check.h"
#include "upgrade_test_server.h"

namespace vt::test {

// Records what a check posts.
class RecordingCheckHost : public upgrade::UpgradeCheckHost {
  public:
    std::vector<int> results;
    int endMessages = 0;
    std::unique_ptr<upgrade::UpgradeInfoBlock> block;

    void PostResult(int status) override { results.push_back(status); }
    void PostCheckEnded() override { ++endMessages; }
    std::unique_ptr<upgrade::UpgradeInfoBlock>& InfoBlock() override { return block; }
};

class UpgradeCheckTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> count{0};
        settings_.hostWindow = 0x4321;
        settings_.exitMessage = 3038;
        settings_.resultMessage = 3039;
        settings_.serverHost = server_.HostPort();
        settings_.interfacePath = "/Interfaces/gettoolver.aspx";
        settings_.interfaceKey = kUpgradeKey;
        settings_.refitterExeName = "Refitter.exe";
        settings_.refitterIniSection = "UpdateVer";
        settings_.refitterIniKey = "ver";
        settings_.refitterIniPath = dir_ / "RefitterVer.ini";
        settings_.currentVersion = 9125;
        settings_.projectName = "vael";
        settings_.mapName = "__VAEL_CHECK_TEST_" + std::to_string(++count) + "__";
        settings_.hostExeName = "VaelTessel.exe";
        settings_.moduleDir = dir_.path();
        limits_.postTimeoutMs = 3000;
        limits_.downloadTimeoutMs = 3000;
        WriteTestFile(dir_ / "Refitter.exe", "current updater");
        platform::MakeDirectory(dir_ / "ImageRes");
        WriteTestFile(dir_ / "RefitterVer.ini", "[UpdateVer]\r\nver=3\r\n");
    }

    // Runs one check against a reply form; fails the test unless exactly one
    // result and one end message were posted.
    upgrade::UpgradeCheckReport Check(const std::string& form) {
        server_.SetForm(form);
        return Check();
    }
    upgrade::UpgradeCheckReport Check() {
        RecordingCheckHost host;
        host.block = std::move(block_);
        upgrade::UpgradeCheckReport report = upgrade::CheckForUpgrade(settings_, host, limits_);
        EXPECT_EQ(host.results, std::vector<int>{report.status});
        EXPECT_EQ(host.endMessages, 1);
        block_ = std::move(host.block);
        return report;
    }

    TempDir dir_;
    UpgradeTestServer server_;
    upgrade::UpgradeSettings settings_;
    upgrade::UpgradeCheckLimits limits_;
    std::unique_ptr<upgrade::UpgradeInfoBlock> block_;
};

}  // namespace vt::test
