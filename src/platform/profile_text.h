// Reading and editing the text of a profile (INI) file in memory, with the
// rules of the Windows profile functions. The POSIX layer builds on it.
#pragma once

#include <optional>
#include <string>

namespace vt::platform {

// The value of key in section, or nothing when either is missing.
std::optional<std::string> FindProfileValue(const std::string& text, const std::string& section,
                                            const std::string& key);
// The text with key in section set to value; appends the section or the key
// when missing. New lines end in "\r\n".
std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value);

}  // namespace vt::platform
