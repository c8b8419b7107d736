#include "upgrade/module_binding.h"

namespace vt::upgrade {

UpgradeHostValues ProgramUpgradeValues(const std::string& programDir,
                                       const std::string& upgradeServer, int programVersion) {
    UpgradeHostValues values;
    const size_t scheme = upgradeServer.find("://");
    values.serverHost =
        scheme == std::string::npos ? upgradeServer : upgradeServer.substr(scheme + 3);
    while (!values.serverHost.empty() && values.serverHost.back() == '/')
        values.serverHost.pop_back();
    values.refitterIniPath = programDir + "RefitterVer.ini";
    values.currentVersion = TextToInt(std::to_string(programVersion));
    return values;
}

UpgradeSettings SettingsFromHostValues(const UpgradeHostValues& values,
                                       const std::string& moduleDir, uintptr_t hostWindow) {
    UpgradeSettings settings;
    settings.textColorNormal = settings.textColorHover = settings.textColorPressed =
        values.textColor;
    settings.hostWindow = hostWindow;
    settings.exitMessage = values.exitMessage;
    settings.resultMessage = values.resultMessage;
    settings.serverHost = values.serverHost;
    settings.interfacePath = values.interfacePath;
    settings.interfaceKey = values.interfaceKey;
    settings.refitterExeName = values.refitterExeName;
    settings.refitterIniSection = values.refitterIniSection;
    settings.refitterIniKey = values.refitterIniKey;
    settings.refitterIniPath = values.refitterIniPath;
    settings.currentVersion = values.currentVersion;
    settings.projectName = values.projectName;
    settings.mapName = values.mapName;
    settings.hostExeName = values.hostExeName;
    settings.moduleDir = moduleDir;
    return settings;
}

bool ConfigureUpgradeModule(const UpgradeModuleExports& e, void* mainWindow,
                            const UpgradeHostValues& values) {
    if (!e.setFrameTextColor)
        return false;
    e.setFrameTextColor(values.textColor, values.textColor, values.textColor);
    if (!e.setMainWndAndMsgForEx)
        return false;
    e.setMainWndAndMsgForEx(mainWindow, values.exitMessage, values.resultMessage);
    if (!e.setNetInterfaceInfo)
        return false;
    e.setNetInterfaceInfo(values.serverHost.c_str(), values.interfacePath.c_str(),
                          values.interfaceKey.c_str());
    if (!e.setRefitterInfo)
        return false;
    e.setRefitterInfo(values.refitterExeName.c_str(), values.refitterIniSection.c_str(),
                      values.refitterIniKey.c_str(), values.refitterIniPath.c_str());
    if (!e.setUpgradeInfo)
        return false;
    e.setUpgradeInfo(values.currentVersion, values.projectName.c_str(), values.mapName.c_str(),
                     values.hostExeName.c_str());
    if (!e.createUpgradeModule)
        return false;
    e.createUpgradeModule(mainWindow);
    if (e.setUpgradeModulePos)
        e.setUpgradeModulePos(0, 0, 1, 1);
    return true;
}

int UpgradeResultTextId(int status, int userRequested) {
    if (userRequested == 0)
        return 0;
    if (status == kUpgradeUpToDate)
        return 135;
    if (status == kUpgradeExchangeFailed || status == kUpgradeReplyUnusable)
        return 136;
    return 0;
}

}  // namespace vt::upgrade
