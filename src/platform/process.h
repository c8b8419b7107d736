// Starting another program.
#pragma once

#include <string>

namespace vt::platform {

// Starts the program at programPath with exactly commandLine as its command
// line and workDir as its current directory, inheriting no handles, and keeps
// no handle of it. On Windows commandLine is the whole text the program's
// GetCommandLine returns (no program path is added); on POSIX it is the
// program's only argument vector entry, argv[0]. True when the program started.
bool StartProcess(const std::string& programPath, const std::string& commandLine,
                  const std::string& workDir);

}  // namespace vt::platform
