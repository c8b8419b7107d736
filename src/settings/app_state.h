// The application's shared fields: the program directory, the game path the
// user chose and the game directory derived from it. Workers read them while
// the user-interface thread may write them, so each is read and written whole.
//
// One CAppState exists per process. The program's single application object
// makes it at start-up (with the ServerConfig read once from servers.ini) and
// owns it for the life of the process; the subsystems (AddonLibrary, the
// settings functions) are lent a reference and never reach for a global.
#pragma once

#include <mutex>
#include <string>

namespace vt::settings {

class CAppState {
  public:
    // The program's directory with a trailing backslash.
    std::string ProgramDir() const;
    void SetProgramDir(const std::string& dir);
    // The path the user chose; empty when not set.
    std::string GamePath() const;
    // The game's root directory with a trailing backslash; empty when not set.
    std::string GameDir() const;
    // Sets both game fields at once.
    void SetGame(const std::string& gamePath, const std::string& gameDir);

  private:
    mutable std::mutex mutex_;
    std::string programDir_;
    std::string gamePath_;
    std::string gameDir_;
};

// The directory the program's files live in when none is given: the
// executable's directory on Windows; on other systems $TESSEL_PROGRAM_DIR, else
// $HOME/.vaeltessel. With a trailing backslash.
std::string DefaultProgramDir();

}  // namespace vt::settings
