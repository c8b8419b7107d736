#include "net/url.h"

#include <cctype>

#include "platform/ascii_text.h"

namespace vt::net {

namespace {

// The decimal value of leading digits; 0 for anything else or above 65535.
uint16_t PortValue(const std::string& text) {
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 65535)
            return 0;
    }
    return static_cast<uint16_t>(value);
}

}  // namespace

std::string TrimText(const std::string& text) {
    return std::string(platform::TrimBlanks(text, platform::kAllBlanks));
}

bool ParseUrl(const std::string& url, UrlParts& parts) {
    parts = UrlParts();
    const std::string text = TrimText(url);
    const size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string::npos || schemeEnd != 4)
        return false;
    std::string scheme = text.substr(0, 7);
    for (char& c : scheme)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "http://")
        return false;
    const std::string rest = text.substr(7);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos)
        return false;
    parts.objectPath = rest.substr(slash);
    const std::string hostPort = rest.substr(0, slash);
    const size_t colon = hostPort.find(':');
    if (colon != std::string::npos) {
        parts.host = hostPort.substr(0, colon);
        parts.port = PortValue(hostPort.substr(colon + 1));
    } else {
        parts.host = hostPort;
        parts.port = 80;
    }
    return true;
}

}  // namespace vt::net
