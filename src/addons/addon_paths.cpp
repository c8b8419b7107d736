#include "addons/addon_paths.h"

#include <cstdio>

#include "platform/file_names.h"
#include "settings/server_config.h"

namespace vt::addons {

std::string DownloadDir(const std::string& programDir) {
    return programDir + "Download\\";
}

std::string ArchivePath(const std::string& programDir, int32_t id) {
    char name[24];
    std::snprintf(name, sizeof name, "%d.zip", static_cast<int>(id));
    return DownloadDir(programDir) + name;
}

std::string AddonDir(const std::string& gameDir) {
    return gameDir.empty() ? std::string() : gameDir + "Interface\\Addons";
}

std::string DetailPageUrl(const settings::ServerConfig& servers, int32_t id, int state) {
    char path[80];
    std::snprintf(path, sizeof path, kDetailPageFormat, static_cast<int>(id), state);
    return servers.catalogue + path;
}

bool IsPlainFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    // A GBK trail byte may be 0x5C; only a backslash of its own separates.
    return platform::LastPathSeparator(name) == std::string::npos &&
           name.find(':') == std::string::npos;
}

}  // namespace vt::addons
