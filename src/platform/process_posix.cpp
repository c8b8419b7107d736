#include <spawn.h>

#include "platform/code_page.h"
#include "platform/native_path_posix.h"
#include "platform/process.h"

extern char** environ;

namespace vt::platform {

namespace {

// Owns posix_spawn's file actions.
class SpawnActions {
  public:
    SpawnActions() { valid_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~SpawnActions() {
        if (valid_)
            posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    bool valid() const { return valid_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
    bool valid_ = false;
};

}  // namespace

bool StartProcess(const std::string& programPath, const std::string& commandLine,
                  const std::string& workDir) {
    const std::string program = ToNativePath(programPath);
    const std::string argument = LocalToUtf8(commandLine);
    SpawnActions actions;
    if (!actions.valid())
        return false;
    if (!workDir.empty() &&
        posix_spawn_file_actions_addchdir_np(actions.get(), ToNativePath(workDir).c_str()) != 0)
        return false;
    char* argv[] = {const_cast<char*>(argument.c_str()), nullptr};
    pid_t child = 0;
    // The child is not waited for, as on Windows; glibc reports a program
    // that cannot be executed as a failure of posix_spawn itself.
    return posix_spawn(&child, program.c_str(), actions.get(), nullptr, argv, environ) == 0;
}

}  // namespace vt::platform
