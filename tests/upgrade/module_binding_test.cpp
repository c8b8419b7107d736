#include "upgrade/module_binding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vt::upgrade {
namespace {

// The calls a fake module received, in order.
std::vector<std::string> g_calls;

extern "C" {
int FakeCreate(void* parent) {
    g_calls.push_back("Create " + std::to_string(reinterpret_cast<uintptr_t>(parent)));
    return 1;
}
int FakePos(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    g_calls.push_back("Pos " + std::to_string(left) + "," + std::to_string(top) + "," +
                      std::to_string(right) + "," + std::to_string(bottom));
    return 1;
}
void FakeColors(uint32_t normal, uint32_t hover, uint32_t pressed) {
    g_calls.push_back("Colors " + std::to_string(normal) + "," + std::to_string(hover) + "," +
                      std::to_string(pressed));
}
void FakeWindow(void* window, unsigned exitMessage, unsigned resultMessage) {
    g_calls.push_back("Window " + std::to_string(reinterpret_cast<uintptr_t>(window)) + "," +
                      std::to_string(exitMessage) + "," + std::to_string(resultMessage));
}
void FakeNet(const char* host, const char* path, const char* key) {
    g_calls.push_back(std::string("Net ") + host + "," + path + "," + key);
}
void FakeRefitter(const char* exe, const char* section, const char* key, const char* ini) {
    g_calls.push_back(std::string("Refitter ") + exe + "," + section + "," + key + "," + ini);
}
void FakeUpgrade(int32_t version, const char* project, const char* map, const char* exe) {
    g_calls.push_back("Upgrade " + std::to_string(version) + "," + project + "," + map + "," + exe);
}
}

UpgradeModuleExports AllExports() {
    UpgradeModuleExports e;
    e.createUpgradeModule = FakeCreate;
    e.setUpgradeModulePos = FakePos;
    e.setFrameTextColor = FakeColors;
    e.setMainWndAndMsgForEx = FakeWindow;
    e.setNetInterfaceInfo = FakeNet;
    e.setRefitterInfo = FakeRefitter;
    e.setUpgradeInfo = FakeUpgrade;
    return e;
}

void* const kMainWindow = reinterpret_cast<void*>(uintptr_t{0x777});

TEST(ConfigureUpgradeModule, CallsTheSetUpExportsInOrderThenCreatesTheWindow) {
    g_calls.clear();
    const UpgradeHostValues values =
        ProgramUpgradeValues("C:\\Vael\\", "http://127.0.0.1:8080/", 9125);
    EXPECT_TRUE(ConfigureUpgradeModule(AllExports(), kMainWindow, values));
    const std::vector<std::string> expected = {
        "Colors 13883609,13883609,13883609",
        "Window 1911,3038,3039",
        "Net 127.0.0.1:8080,/Interfaces/gettoolver.aspx,ptmn%#*mhq789!(",
        "Refitter Refitter.exe,UpdateVer,ver,C:\\Vael\\RefitterVer.ini",
        "Upgrade 9125,vael,__VAEL_UPGRADE_FILEMAP_KEYNAME__,VaelTessel.exe",
        "Create 1911",
        "Pos 0,0,1,1",
    };
    EXPECT_EQ(g_calls, expected);
}

TEST(ConfigureUpgradeModule, StopsAtTheFirstMissingSetUpExport) {
    const UpgradeHostValues values = ProgramUpgradeValues("/p/", "http://h", 9125);
    g_calls.clear();
    UpgradeModuleExports partial = AllExports();
    partial.setNetInterfaceInfo = nullptr;
    EXPECT_FALSE(ConfigureUpgradeModule(partial, kMainWindow, values));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1], "Window 1911,3038,3039");

    // Without the position export the window is still created.
    g_calls.clear();
    UpgradeModuleExports noPos = AllExports();
    noPos.setUpgradeModulePos = nullptr;
    EXPECT_TRUE(ConfigureUpgradeModule(noPos, kMainWindow, values));
    EXPECT_EQ(g_calls.back(), "Create 1911");

    g_calls.clear();
    EXPECT_FALSE(ConfigureUpgradeModule(UpgradeModuleExports{}, kMainWindow, values));
    EXPECT_TRUE(g_calls.empty());
}

TEST(ProgramUpgradeValues, TakesTheServerWithItsPortAndTheProgramDirectory) {
    EXPECT_EQ(ProgramUpgradeValues("/p/", "http://up.example:81", 9125).serverHost,
              "up.example:81");
    EXPECT_EQ(ProgramUpgradeValues("/p/", "127.0.0.1", 9125).serverHost, "127.0.0.1");
    const UpgradeSettings settings =
        SettingsFromHostValues(ProgramUpgradeValues("/p/", "http://h:1/", 9125), "/p/", 0x10);
    EXPECT_EQ(settings.serverHost, "h:1");
    EXPECT_EQ(settings.refitterIniPath, "/p/RefitterVer.ini");
    EXPECT_EQ(settings.moduleDir, "/p/");
    EXPECT_EQ(settings.currentVersion, 9125);
    EXPECT_EQ(settings.hostWindow, 0x10u);
    EXPECT_EQ(settings.textColorPressed, 0x00D3D8D9u);
}

TEST(UpgradeResultTextId, ShowsTextsOnlyForChecksTheUserAskedFor) {
    EXPECT_EQ(UpgradeResultTextId(0, 1), 135);
    EXPECT_EQ(UpgradeResultTextId(2, 1), 136);
    EXPECT_EQ(UpgradeResultTextId(3, 1), 136);
    EXPECT_EQ(UpgradeResultTextId(1, 1), 0);
    EXPECT_EQ(UpgradeResultTextId(7, 1), 0);
    for (int status : {0, 1, 2, 3})
        EXPECT_EQ(UpgradeResultTextId(status, 0), 0);
}

}  // namespace
}  // namespace vt::upgrade
