#include "settings/settings.h"

#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/path_text.h"

namespace vt {

namespace {

constexpr char kSettingsFile[] = "config";
constexpr char kSection[] = "Setting";
constexpr char kGamePathKey[] = "GamePath";
constexpr size_t kGamePathBuffer = 200;  // characters, with the terminator

bool HasAddonFolder(const std::string& addonDir) {
    if (!platform::IsDirectory(addonDir))
        return false;
    for (const std::string& name : platform::ListSubdirectories(addonDir)) {
        if (!name.empty() && name.front() != '.')
            return true;
    }
    return false;
}

}  // namespace

void LoadSettings() {
    const std::string path = platform::ReadProfileString(
        AppState().ProgramDir() + kSettingsFile, kSection, kGamePathKey, "", kGamePathBuffer);
    AppState().SetGame(path, DeriveGameDir(path));
}

std::string DeriveGameDir(const std::string& path) {
    if (path.empty())
        return std::string();
    const std::string candidate = platform::DocumentsFolder() + "\\VAEL\\";
    if (HasAddonFolder(candidate + "Interface\\Addons"))
        return candidate;
    const size_t separator = LastPathSeparator(path);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

void SaveGamePath(const std::string& path) {
    AppState().SetGame(path, DeriveGameDir(path));
    platform::WriteProfileString(AppState().ProgramDir() + kSettingsFile, kSection, kGamePathKey,
                                 path);
}

void WriteVersionFile() {
    platform::WriteProfileString(AppState().ProgramDir() + "ver.ini", "u", "v",
                                 std::to_string(kProgramVersion));
}

}  // namespace vt
