#include "addons/addon_paths.h"

#include <cstdio>

#include "settings/app_state.h"
#include "settings/path_text.h"
#include "settings/server_config.h"

namespace vt {

std::string CatalogueServerUrl(const std::string& path) {
    return LoadServerConfig(AppState().ProgramDir()).catalogue + path;
}

std::string DownloadDir() {
    return AppState().ProgramDir() + "Download\\";
}

std::string ArchivePath(int32_t id) {
    char name[24];
    std::snprintf(name, sizeof name, "%d.zip", static_cast<int>(id));
    return DownloadDir() + name;
}

std::string AddonDir() {
    const std::string gameDir = AppState().GameDir();
    return gameDir.empty() ? std::string() : gameDir + "Interface\\Addons";
}

std::string DetailPageUrl(int32_t id, int state) {
    char path[80];
    std::snprintf(path, sizeof path, kDetailPageFormat, static_cast<int>(id), state);
    return CatalogueServerUrl(path);
}

bool IsPlainFolderName(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    // A GBK trail byte may be 0x5C; only a backslash of its own separates.
    return LastPathSeparator(name) == std::string::npos && name.find(':') == std::string::npos;
}

}  // namespace vt
