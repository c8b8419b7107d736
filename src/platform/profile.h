// Profile (INI) files with the semantics of GetPrivateProfileStringA and
// WritePrivateProfileStringA: section and key names match case-insensitively,
// blanks around names and values are ignored, and a value in matching quotes
// loses them on read.
#pragma once

#include <cstddef>
#include <string>

namespace vt::platform {

// The value of key in section of file, or defaultValue when the file, section
// or key is missing. bufferChars counts the terminator, as the caller's buffer
// would: the value is cut to bufferChars - 1 characters (bytes).
std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              size_t bufferChars);
// Sets key in section, creating the file and section when needed.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

}  // namespace vt::platform
