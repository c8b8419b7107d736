// Windows side of the path rules: the core's local-code-page paths, escaped
// components included (file_names.h), become UTF-16 paths for the wide
// functions, and names found on disk come back in local form.
#pragma once

#include <string>

namespace vt::platform {

std::wstring ToWidePath(const std::string& localPath);
// One name from the disk: the local text when the code page spells it
// exactly, else its escaped form.
std::string FromWideName(const std::wstring& name);
// A whole path from the system, each component as FromWideName gives it.
std::string FromWidePath(const std::wstring& path);

}  // namespace vt::platform
