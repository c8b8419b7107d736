#include "shell/game_launch.h"

namespace vt::shell {

GameLaunchResult RunGameLaunch(const GameLaunchHooks& hooks) {
    std::string path = hooks.gamePath();
    if (path.empty()) {
        hooks.showMessage(kStringWrongGamePath);
        if (!hooks.runPathDialog())
            return GameLaunchResult::kDialogCancel;
        path = hooks.gamePath();
        if (path.empty())
            return GameLaunchResult::kNoPath;
    }
    if (!hooks.fileExists(path)) {
        hooks.showMessage(kStringSetGamePath);
        return GameLaunchResult::kMissingFile;
    }
    hooks.startLaunch(path);
    return GameLaunchResult::kStarted;
}

bool LaunchOnce(std::atomic<bool>& running, const std::string& path,
                const std::function<void(const std::string&)>& open) {
    bool idle = false;
    if (!running.compare_exchange_strong(idle, true))
        return false;
    open(path);
    running = false;
    return true;
}

}  // namespace vt::shell
