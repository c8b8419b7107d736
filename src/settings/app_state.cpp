#include "settings/app_state.h"

#include "platform/system.h"

namespace vt::settings {

std::string CAppState::ProgramDir() const {
    std::lock_guard lock(mutex_);
    return programDir_;
}

void CAppState::SetProgramDir(const std::string& dir) {
    std::lock_guard lock(mutex_);
    programDir_ = dir;
}

std::string CAppState::GamePath() const {
    std::lock_guard lock(mutex_);
    return gamePath_;
}

std::string CAppState::GameDir() const {
    std::lock_guard lock(mutex_);
    return gameDir_;
}

void CAppState::SetGame(const std::string& gamePath, const std::string& gameDir) {
    std::lock_guard lock(mutex_);
    gamePath_ = gamePath;
    gameDir_ = gameDir;
}

std::string DefaultProgramDir() {
    std::string dir = platform::DefaultProgramDirectory();
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        dir += '\\';
    return dir;
}

}  // namespace vt::settings
