// POSIX side of the path rules: the core's local-code-page, backslash-separated
// paths become UTF-8 names with slashes, and back.
#pragma once

#include <string>

namespace vt::platform {

std::string ToNativePath(const std::string& localPath);
std::string FromNativeName(const std::string& utf8Name);

}  // namespace vt::platform
