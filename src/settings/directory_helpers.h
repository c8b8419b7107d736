// Directory helpers shared by the addon library and the upgrade module.
#pragma once

#include <string>

namespace vt {

// Drops one trailing separator, then deletes the directory and everything in
// it silently; true on success.
bool DeleteDirectoryTree(const std::string& path);
// Creates path and any missing parents (stopping at a drive such as "C:").
// Always true, as callers find out from the file operations that follow.
bool MakeDirectoryPath(const std::string& path);

}  // namespace vt
