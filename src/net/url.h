// The parts of an http:// URL that the download client needs.
#pragma once

#include <cstdint>
#include <string>

namespace vt::net {

struct UrlParts {
    std::string host;
    std::string objectPath;  // from the first "/" after the host on, query included
    uint16_t port = 0;
};

// Splits "http://host[:port]/path" (scheme in any letter case). Fails without
// "://", with another scheme or without a "/" after the host. A port that is
// not a number, or is above 65535, gives 0.
bool ParseUrl(const std::string& url, UrlParts& parts);

// Leading and trailing white space removed.
std::string TrimText(const std::string& text);

}  // namespace vt::net
