// POSIX side of the path rules: the core's local-code-page, backslash-separated
// paths become UTF-8 names with slashes, and back.
#pragma once

#include <string>

namespace vt::platform {

std::string ToNativePath(const std::string& localPath);
// One name from the disk: its local text when the code page spells it
// exactly and Windows could hold it, else its escaped form (file_names.h).
std::string FromNativeName(const std::string& utf8Name);
// A whole path from the system, each component as FromNativeName gives it.
std::string FromNativePath(const std::string& utf8Path);

}  // namespace vt::platform
