#include "shell/game_launch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vt::shell {
namespace {

// Hooks that record what the launch did, over a game path and a set of
// existing files.
struct LaunchRecorder {
    std::string path;
    std::string pathAfterDialog;
    bool dialogOk = false;
    std::vector<std::string> files;
    std::vector<std::string> steps;

    GameLaunchHooks Hooks() {
        GameLaunchHooks hooks;
        hooks.gamePath = [this] { return path; };
        hooks.showMessage = [this](int id) { steps.push_back("message " + std::to_string(id)); };
        hooks.runPathDialog = [this] {
            steps.push_back("dialog");
            if (dialogOk)
                path = pathAfterDialog;
            return dialogOk;
        };
        hooks.fileExists = [this](const std::string& p) {
            return std::find(files.begin(), files.end(), p) != files.end();
        };
        hooks.startLaunch = [this](const std::string& p) { steps.push_back("launch " + p); };
        return hooks;
    }
};

TEST(GameLaunch, NoPathSaysSoThenAsksAndCancelStartsNothing) {
    LaunchRecorder recorder;
    EXPECT_EQ(RunGameLaunch(recorder.Hooks()), GameLaunchResult::kDialogCancel);
    EXPECT_EQ(recorder.steps, (std::vector<std::string>{"message 133", "dialog"}));
}

TEST(GameLaunch, APathChosenInTheDialogIsLaunchedAtOnce) {
    LaunchRecorder recorder;
    recorder.dialogOk = true;
    recorder.pathAfterDialog = "C:\\Vael\\vaelpatchchinese.exe";
    recorder.files = {recorder.pathAfterDialog};
    EXPECT_EQ(RunGameLaunch(recorder.Hooks()), GameLaunchResult::kStarted);
    EXPECT_EQ(recorder.steps, (std::vector<std::string>{"message 133", "dialog",
                                                        "launch C:\\Vael\\vaelpatchchinese.exe"}));

    // A dialog that says OK but leaves no path stops there.
    LaunchRecorder empty;
    empty.dialogOk = true;
    EXPECT_EQ(RunGameLaunch(empty.Hooks()), GameLaunchResult::kNoPath);
    EXPECT_EQ(empty.steps, (std::vector<std::string>{"message 133", "dialog"}));
}

TEST(GameLaunch, AMissingFileIsReportedAndNotStarted) {
    LaunchRecorder recorder;
    recorder.path = "C:\\Gone\\Vael.lnk";
    EXPECT_EQ(RunGameLaunch(recorder.Hooks()), GameLaunchResult::kMissingFile);
    EXPECT_EQ(recorder.steps, (std::vector<std::string>{"message 169"}));
}

TEST(GameLaunch, OneLaunchAtATime) {
    std::atomic<bool> running{false};
    std::vector<std::string> opened;
    const auto open = [&](const std::string& path) {
        opened.push_back(path);
        // A second click while the first is still opening does nothing.
        EXPECT_FALSE(
            LaunchOnce(running, "second", [&](const std::string& p) { opened.push_back(p); }));
    };
    EXPECT_TRUE(LaunchOnce(running, "first", open));
    EXPECT_FALSE(running);
    EXPECT_TRUE(LaunchOnce(running, "third", [&](const std::string& p) { opened.push_back(p); }));
    EXPECT_EQ(opened, (std::vector<std::string>{"first", "third"}));
}

}  // namespace
}  // namespace vt::shell
