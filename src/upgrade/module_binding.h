// The upgrade module's exported interface as a program binds it: the nine
// entry points (a C interface: texts as const char*, copied by the module;
// window handles as void*), the values the program hands over, and the order
// of the set-up calls.
#pragma once

#include <cstdint>
#include <string>

#include "upgrade/upgrade_settings.h"

namespace vt::upgrade {

extern "C" {
using CreateUpgradeModuleFn = int (*)(void* parent);
using SetUpgradeModulePosFn = int (*)(int32_t left, int32_t top, int32_t right, int32_t bottom);
using DestroyUpgradeModuleFn = int (*)();
using SetFrameTextColorFn = void (*)(uint32_t normal, uint32_t hover, uint32_t pressed);
using SetMainWndAndMsgForExFn = void (*)(void* window, unsigned exitMessage,
                                         unsigned resultMessage);
using SetNetInterfaceInfoFn = void (*)(const char* host, const char* path, const char* key);
using SetRefitterInfoFn = void (*)(const char* exeName, const char* iniSection, const char* iniKey,
                                   const char* iniPath);
using SetUpgradeInfoFn = void (*)(int32_t currentVersion, const char* projectName,
                                  const char* mapName, const char* hostExeName);
using StartCheckUpgradeFn = void (*)(int automatic);
}

// The module's entry points as looked up by name; a missing one is null.
struct UpgradeModuleExports {
    CreateUpgradeModuleFn createUpgradeModule = nullptr;
    SetUpgradeModulePosFn setUpgradeModulePos = nullptr;
    DestroyUpgradeModuleFn destroyUpgradeModule = nullptr;
    SetFrameTextColorFn setFrameTextColor = nullptr;
    SetMainWndAndMsgForExFn setMainWndAndMsgForEx = nullptr;
    SetNetInterfaceInfoFn setNetInterfaceInfo = nullptr;
    SetRefitterInfoFn setRefitterInfo = nullptr;
    SetUpgradeInfoFn setUpgradeInfo = nullptr;
    StartCheckUpgradeFn startCheckUpgrade = nullptr;
};

// The module's file name in the program's directory.
constexpr char kUpgradeModuleFile[] = "Surgewell.dll";

// What the program tells the module.
struct UpgradeHostValues {
    uint32_t textColor = 0x00D3D8D9;  // all three label states: RGB(217, 216, 211)
    unsigned exitMessage = 3038;      // UM_UPGRADE_EXIT
    unsigned resultMessage = 3039;    // UM_UPGRADE_RESULT
    std::string serverHost;           // host[:port] of the upgrade server
    std::string interfacePath = "/Interfaces/gettoolver.aspx";
    std::string interfaceKey = "ptmn%#*mhq789!(";
    std::string refitterExeName = "Refitter.exe";
    std::string refitterIniSection = "UpdateVer";
    std::string refitterIniKey = "ver";
    std::string refitterIniPath;  // ProgramDir + "RefitterVer.ini"
    int32_t currentVersion = 0;
    std::string projectName = "vael";
    std::string mapName = "__VAEL_UPGRADE_FILEMAP_KEYNAME__";
    std::string hostExeName = "VaelTessel.exe";
};

// The program's values: programDir with its trailing separator, the upgrade
// server as servers.ini names it ("http://host:port"; the scheme is dropped,
// the port kept) and the program's version number, passed as the integer
// value of its decimal text.
UpgradeHostValues ProgramUpgradeValues(const std::string& programDir,
                                       const std::string& upgradeServer, int programVersion);

// The settings a module holds after the set-up calls with values, loaded
// from moduleDir and bound to hostWindow (for running a check headless).
UpgradeSettings SettingsFromHostValues(const UpgradeHostValues& values,
                                       const std::string& moduleDir, uintptr_t hostWindow);

// The set-up calls in their order (colours, window and messages, server,
// updater, program), stopping at the first missing entry point; after all
// five, CreateUpgradeModule(mainWindow) and SetUpgradeModulePos(0, 0, 1, 1)
// where present. True when CreateUpgradeModule was called.
bool ConfigureUpgradeModule(const UpgradeModuleExports& exports, void* mainWindow,
                            const UpgradeHostValues& values);

// The string-table entry the main window shows for a result message: 135
// (already current) for status 0, 136 (server busy) for 2 and 3, and 0
// (nothing) for status 1, other values, and any check the user did not ask for.
int UpgradeResultTextId(int status, int userRequested);

}  // namespace vt::upgrade
