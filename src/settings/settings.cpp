#include "settings/settings.h"

#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/app_state.h"

namespace vt::settings {

namespace {

constexpr char kSettingsFile[] = "config";
constexpr char kSection[] = "Setting";
constexpr char kGamePathKey[] = "GamePath";

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

bool LoadSettings(CAppState& app) {
    // One byte more than the program keeps shows whether the value was cut.
    const std::string path = platform::ReadProfileString(app.ProgramDir() + kSettingsFile, kSection,
                                                         kGamePathKey, "", kMaxGamePathBytes + 2);
    if (path.size() > kMaxGamePathBytes) {
        app.SetGame("", "");
        return false;
    }
    app.SetGame(path, DeriveGameDir(path));
    return true;
}

std::string DeriveGameDir(const std::string& path) {
    if (path.empty())
        return std::string();
    const std::string candidate = platform::DocumentsFolder() + "\\VAEL\\";
    if (HasAddonFolder(candidate + "Interface\\Addons"))
        return candidate;
    const size_t separator = platform::LastPathSeparator(path);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool SaveGamePath(CAppState& app, const std::string& path) {
    if (path.size() > kMaxGamePathBytes ||
        !platform::WriteProfileString(app.ProgramDir() + kSettingsFile, kSection, kGamePathKey,
                                      path)) {
        return false;
    }
    app.SetGame(path, DeriveGameDir(path));
    return true;
}

void WriteVersionFile(const std::string& programDir) {
    platform::WriteProfileString(programDir + "ver.ini", "u", "v", std::to_string(kProgramVersion));
}

}  // namespace vt::settings
