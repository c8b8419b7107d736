// Starting the game from "启动游戏" (button 1010 and menu command 32780):
// the checks on the user-interface thread, then a worker that opens the
// game path with the system's default handler. Portable: the steps run
// through hooks that the window (or a test) supplies.
#pragma once

#include <atomic>
#include <functional>
#include <string>

namespace vt::shell {

// String-table entries of the launch.
constexpr int kStringWrongGamePath = 133;  // "您的游戏路径错误，请重新选择《Vael》游戏路径"
constexpr int kStringSetGamePath = 169;  // "设置您的游戏路径，才能进行插件下载！ "

struct GameLaunchHooks {
    std::function<std::string()> gamePath;          // GamePath as it is now
    std::function<void(int stringId)> showMessage;  // ShowMessage under "提示"
    std::function<bool()> runPathDialog;            // the path dialog; true for OK
    std::function<bool(const std::string& path)> fileExists;
    std::function<void(const std::string& path)> startLaunch;  // the launch worker
};

enum class GameLaunchResult {
    kStarted,       // the launch worker was started for the path
    kNoPath,        // no path, even after the dialog
    kDialogCancel,  // the path dialog was cancelled
    kMissingFile,   // nothing exists at the path: message 169
};

// The checks: without a game path, message 133 and the path dialog (stop
// unless it returns OK, or when the path is still empty); with no file at the
// path, message 169; otherwise startLaunch.
GameLaunchResult RunGameLaunch(const GameLaunchHooks& hooks);

// The launch worker's body: opens path through open unless a launch of the
// process is already running (running is the process-wide flag, set only
// while open runs); false when it did nothing.
bool LaunchOnce(std::atomic<bool>& running, const std::string& path,
                const std::function<void(const std::string&)>& open);

}  // namespace vt::shell
