// Threads, time, the running module and the debug channel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vt::platform {

void SleepMs(unsigned milliseconds);
// Milliseconds from a steady clock (like GetTickCount, without wrapping).
uint64_t TickCountMs();
// Starts a detached worker thread; false when it could not start.
bool StartThread(std::function<void()> work);
// Full path of the running executable, in the local code page.
std::string ModulePath();
// Where the program keeps its files when not told otherwise: the executable's
// directory on Windows; on POSIX $TESSEL_PROGRAM_DIR, else $HOME/.vaeltessel.
std::string DefaultProgramDirectory();
// The current user's documents folder without a trailing separator; empty when
// unknown. VAEL_DOCUMENTS, when set, names it instead (on POSIX the default
// is $HOME/Documents).
std::string DocumentsFolder();
// One line to the system debug channel (OutputDebugStringA; on POSIX stderr,
// only when TESSEL_DEBUG is set).
void DebugOutput(const std::string& text);
// An environment variable, empty when unset; SetEnv with an empty value
// removes it. Values are UTF-8 on Windows too.
std::string GetEnv(const char* name);
void SetEnv(const char* name, const std::string& value);

}  // namespace vt::platform

namespace vt::platform {

// From now on the first Ctrl-C (on POSIX also SIGTERM) does not end the
// process: it sets the flag InterruptRequested reads, so the program can stop
// its work in order. A second one ends the process as usual.
void CatchInterrupts();
bool InterruptRequested();

// The program's arguments as UTF-8 (on Windows read from the wide command
// line), without the program name.
std::vector<std::string> CommandLineArgsUtf8(int argc, char** argv);

}  // namespace vt::platform
