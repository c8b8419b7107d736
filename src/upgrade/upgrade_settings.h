// What the upgrade module is told by the program that loads it, and the
// outcome it reports back for every check.
#pragma once

#include <cstdint>
#include <string>

namespace vt::upgrade {

// The module-wide values, filled by the set-up exports (texts in the local
// code page) and read by every check.
struct UpgradeSettings {
    uint32_t textColorNormal = 0;  // 0x00BBGGRR, the label's three states
    uint32_t textColorHover = 0;
    uint32_t textColorPressed = 0;
    uintptr_t hostWindow = 0;  // the program's main window
    unsigned exitMessage = 0;  // handed to the updater, which posts it to hostWindow
    unsigned resultMessage = 0;
    std::string serverHost;     // "host" or "host:port" (a leading "http://" is allowed)
    std::string interfacePath;  // "/Interfaces/gettoolver.aspx"
    std::string interfaceKey;
    std::string refitterExeName;  // "Refitter.exe"
    std::string refitterIniSection;
    std::string refitterIniKey;
    std::string refitterIniPath;  // full path of the updater's version file
    int32_t currentVersion = 0;
    std::string projectName;
    std::string mapName;      // the shared block handed to the updater
    std::string hostExeName;  // "VaelTessel.exe"
    std::string moduleDir;    // the module's own directory, trailing separator
};

// The first message parameter of the result message.
enum UpgradeStatus : int {
    kUpgradeUpToDate = 0,
    kUpgradeHandedOver = 1,      // a newer program was handed to the started updater
    kUpgradeExchangeFailed = 2,  // the version exchange failed
    kUpgradeReplyUnusable = 3,   // the reply was unusable or a later step failed
};

// Bounds of one check's network waits. The module keeps the defaults (those
// of the download client for the updater fetch); tests shorten them.
struct UpgradeCheckLimits {
    int postTimeoutMs = 30000;      // connecting, and each wait for reply data
    int downloadTimeoutMs = 10000;  // each connect, send and receive of the updater fetch
};

// The integer value of text as the C library's atoi reads it (blanks, a
// sign, digits up to the first other character; none gives 0), held to the
// range of int32_t.
int32_t TextToInt(const std::string& text);

}  // namespace vt::upgrade
