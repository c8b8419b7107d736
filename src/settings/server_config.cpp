#include "settings/server_config.h"

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

std::string ReadServer(const std::string& file, const char* key, const std::string& fallback) {
    std::string value = platform::ReadProfileString(file, kSection, key, "", kValueBuffer);
    while (!value.empty() && (value.back() == '/' || value.back() == '\\'))
        value.pop_back();
    if (value.find("://") == std::string::npos)
        return fallback;
    return value;
}

}  // namespace

ServerConfig DefaultServerConfig() {
    return {TESSEL_CATALOGUE_SERVER, TESSEL_UPGRADE_SERVER, TESSEL_FORUM_SERVER};
}

ServerConfig LoadServerConfig(const std::string& programDir) {
    const ServerConfig defaults = DefaultServerConfig();
    const std::string file = programDir + kServersFile;
    return {ReadServer(file, "Catalogue", defaults.catalogue),
            ReadServer(file, "Upgrade", defaults.upgrade),
            ReadServer(file, "Forum", defaults.forum)};
}

}  // namespace vt::settings
