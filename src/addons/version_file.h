// The version file ("tesselver.txt") of an installed addon folder: text
// lines in the local code page, of which header lines "##key: value" carry
// the folder's project and installed version.
#pragma once

#include <string>
#include <string_view>

namespace vt::addons {

// Version files larger than this are read only up to it.
constexpr size_t kMaxVersionFileBytes = 64 * 1024;

// The value of the first header line with exactly key, or empty when the file
// or the key is missing.
std::string ReadVersionHeader(const std::string& path, const std::string& key);

// The two headers the local scan needs, from one read of the file.
struct VersionHeaders {
    std::string projectName;  // "X-Tessel-Project-Name"
    std::string updateVer;    // "X-Tessel-UpdateVer"
};
VersionHeaders ReadVersionHeaders(const std::string& path);

// The same lookups on text already in memory.
std::string FindVersionHeader(std::string_view text, std::string_view key);
VersionHeaders ParseVersionHeaders(std::string_view text);

}  // namespace vt::addons
