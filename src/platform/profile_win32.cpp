#include <windows.h>

#include <vector>

#include "platform/profile.h"

// windows.h maps this name to WriteProfileStringA.
#undef WriteProfileString

namespace vt::platform {

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              size_t bufferChars) {
    if (bufferChars == 0)
        return std::string();
    std::vector<char> buffer(bufferChars, '\0');
    const DWORD size =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                 static_cast<DWORD>(bufferChars), file.c_str());
    return std::string(buffer.data(), size);
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           0;
}

}  // namespace vt::platform
