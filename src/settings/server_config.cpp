#include "settings/server_config.h"

#include <string>
#include <vector>

#include "platform/profile.h"

#ifndef TESSEL_CATALOGUE_SERVER
#define TESSEL_CATALOGUE_SERVER "http://127.0.0.1:8080"
#endif
#ifndef TESSEL_UPGRADE_SERVER
#define TESSEL_UPGRADE_SERVER "http://127.0.0.1:8080"
#endif
#ifndef TESSEL_FORUM_SERVER
#define TESSEL_FORUM_SERVER "http://127.0.0.1:8080"
#endif

namespace vt::settings {

namespace {

constexpr char kServersFile[] = "servers.ini";
constexpr char kSection[] = "Servers";
constexpr size_t kValueBuffer = 260;  // a host with scheme and port fits easily
constexpr int kMaxChunkPauseMs = 1000;

// "host" or "host:port" with a port from 1 to 65535; host names, IPv4 and
// bracketed IPv6 addresses.
bool IsHostAndPort(const std::string& text) {
    size_t hostEnd = text.size();
    if (!text.empty() && text[0] == '[') {
        hostEnd = text.find(']');
        if (hostEnd == std::string::npos || hostEnd == 1)
            return false;
        ++hostEnd;
    } else {
        hostEnd = text.find(':');
        if (hostEnd == std::string::npos)
            hostEnd = text.size();
        if (hostEnd == 0)
            return false;
        for (size_t i = 0; i < hostEnd; ++i) {
            const char c = text[i];
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-' || c == '_'))
                return false;
        }
    }
    if (hostEnd == text.size())
        return true;
    if (text[hostEnd] != ':' || hostEnd + 1 == text.size() || text.size() - hostEnd > 6)
        return false;
    long port = 0;
    for (size_t i = hostEnd + 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        port = port * 10 + (text[i] - '0');
    }
    return port >= 1 && port <= 65535;
}

std::string ReadServer(const std::string& file, const char* key, const std::string& fallback,
                       bool httpsAllowed, std::vector<ServerConfigNote>& notes) {
    std::string value = platform::ReadProfileString(file, kSection, key, "", kValueBuffer);
    while (!value.empty() && (value.back() == '/' || value.back() == '\\'))
        value.pop_back();
    if (value.empty())
        return fallback;
    const size_t schemeEnd = value.find("://");
    if (schemeEnd == std::string::npos && IsHostAndPort(value))
        return "http://" + value;
    const std::string scheme = schemeEnd == std::string::npos ? "" : value.substr(0, schemeEnd);
    if ((scheme == "http" || (httpsAllowed && scheme == "https")) &&
        IsHostAndPort(value.substr(schemeEnd + 3)))
        return value;
    notes.push_back(
        {key, value, httpsAllowed ? "http(s)://host[:port]" : "http://host[:port]", fallback});
    return fallback;
}

int ReadChunkPause(const std::string& file, std::vector<ServerConfigNote>& notes) {
    const std::string value = platform::ReadProfileString(file, "Download", "ChunkPauseMs", "", 32);
    if (value.empty())
        return -1;
    if (value.size() <= 4 && value.find_first_not_of("0123456789") == std::string::npos &&
        std::stoi(value) <= kMaxChunkPauseMs)
        return std::stoi(value);
    notes.push_back({"ChunkPauseMs", value, "0.." + std::to_string(kMaxChunkPauseMs), ""});
    return -1;
}

}  // namespace

ServerConfig DefaultServerConfig() {
    ServerConfig config;
    config.catalogue = TESSEL_CATALOGUE_SERVER;
    config.upgrade = TESSEL_UPGRADE_SERVER;
    config.forum = TESSEL_FORUM_SERVER;
    return config;
}

ServerConfig LoadServerConfig(const std::string& programDir) {
    const ServerConfig defaults = DefaultServerConfig();
    const std::string file = programDir + kServersFile;
    ServerConfig config;
    config.catalogue = ReadServer(file, "Catalogue", defaults.catalogue, false, config.notes);
    config.upgrade = ReadServer(file, "Upgrade", defaults.upgrade, false, config.notes);
    config.forum = ReadServer(file, "Forum", defaults.forum, true, config.notes);
    config.chunkPauseMs = ReadChunkPause(file, config.notes);
    return config;
}

}  // namespace vt::settings
