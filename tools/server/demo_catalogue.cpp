#include "demo_catalogue.h"

#include <vector>

#include "archive/zip_writer.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace vt::server {

namespace {

struct DemoAddon {
    int id;
    const char* ver;
    const char* folder;
    const char* name;  // UTF-8
    const char* summary;
    std::vector<const char*> subFolders;
};

const std::vector<DemoAddon>& DemoAddons() {
    static const std::vector<DemoAddon> addons = {
        {1, "12", "DamageMeter", "伤害统计", "统计队伍中每个人的伤害与治疗。", {}},
        {2,
         "5",
         "RaidFrames",
         "团队框架",
         "可自定义的团队框架，带设置面板和皮肤。",
         {"RaidFrames_Options", "RaidFrames_Skins"}},
        {3, "7", "QuestHelper", "任务助手", "在地图上标出任务目标。", {}},
        {4, "3", "BagSorter", "背包整理", "一键整理背包和银行。", {}},
        {5, "20", "BossTimers", "首领计时器", "首领技能倒计时与警报。", {}},
        {6, "1", "ChatTweaks", "聊天增强", "聊天框复制、频道缩写和链接。", {}},
        {7, "9", "MapCoords", "地图坐标", "显示玩家和鼠标位置的坐标。", {}},
        {8, "4", "AuctionTool", "拍卖助手", "拍卖行比价与批量上架。", {}},
        {9, "2", "CastBar", "施法条", "美化的施法条，显示延迟。", {}},
        {10, "6", "ActionBars", "动作条", "动作条布局与按键绑定。", {}},
        {11, "8", "NamePlates", "姓名板", "血条、仇恨颜色与减益显示。", {}},
        {12, "3", "MacroBook", "宏手册", "收藏与分享战斗宏。", {}},
    };
    return addons;
}

// The version file in the system code page: the project the folder belongs to
// and the installed version.
std::string VersionFile(const std::string& project, const std::string& ver,
                        const std::string& titleUtf8) {
    return platform::Utf8ToLocal("## Title: " + titleUtf8 + "\r\n## X-Tessel-Project-Name: " +
                                 project + "\r\n## X-Tessel-UpdateVer: " + ver + "\r\n");
}

void AddFolder(std::vector<archive::ZipWriterMember>& members, const std::string& folder,
               const std::string& project, const std::string& ver, const std::string& title) {
    members.push_back(archive::MakeZipMember(folder + "/", "", false));
    members.push_back(
        archive::MakeZipMember(folder + "/tesselver.txt", VersionFile(project, ver, title), false));
    members.push_back(archive::MakeZipMember(folder + "/" + folder + ".toc",
                                             "## Interface: 30300\r\n## Title: " + folder +
                                                 "\r\n## Version: " + ver + "\r\n" + folder +
                                                 ".lua\r\n"));
    std::string lua = "-- " + folder + " " + ver + "\n" + folder + " = { version = " + ver + " }\n";
    for (int i = 0; i < 40; ++i)
        lua += "function " + folder + ".Step" + std::to_string(i) + "() return " +
               std::to_string(i) + " end\n";
    members.push_back(archive::MakeZipMember(folder + "/" + folder + ".lua", lua));
}

// Bytes that do not compress, so downloads take long enough to show progress.
std::string NoiseBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 23);
    }
    return bytes;
}

std::string AddonArchive(const DemoAddon& addon, const std::string& ver) {
    std::vector<archive::ZipWriterMember> members;
    AddFolder(members, addon.folder, addon.folder, ver, addon.name);
    members.push_back(archive::MakeZipMember(
        std::string(addon.folder) + "/Media/textures.bin",
        NoiseBytes(static_cast<size_t>(addon.id) * 24 * 1024, static_cast<uint32_t>(addon.id)),
        false));
    for (const char* sub : addon.subFolders)
        AddFolder(members, sub, addon.folder, ver, std::string(addon.name) + " " + sub);
    return archive::WriteZip(members);
}

bool Write(const std::string& path, const std::string& data, std::string& error) {
    if (platform::WriteWholeFile(path, data))
        return true;
    error = "cannot write " + platform::LocalToUtf8(path);
    return false;
}

bool MakeDir(const std::string& path, std::string& error) {
    if (platform::IsDirectory(path) || platform::MakeDirectory(path))
        return true;
    error = "cannot create " + platform::LocalToUtf8(path);
    return false;
}

}  // namespace

bool WriteDemoCatalogue(const std::string& dir, std::string& error) {
    for (const char* sub : {"", "files", "old", "upgrade"})
        if (!MakeDir(dir + sub, error))
            return false;

    std::string catalogue =
        "# Id\tVer\tFolder\tName\tSummary (UTF-8, tab-separated; archives in files/<Id>.zip)\n";
    for (const DemoAddon& addon : DemoAddons()) {
        catalogue += std::to_string(addon.id) + "\t" + addon.ver + "\t" + addon.folder + "\t" +
                     addon.name + "\t" + addon.summary + "\n";
        if (!Write(dir + "files\\" + std::to_string(addon.id) + ".zip",
                   AddonArchive(addon, addon.ver), error))
            return false;
    }
    if (!Write(dir + "catalogue.txt", catalogue, error))
        return false;

    // To seed a game directory: QuestHelper one version behind the catalogue,
    // and a folder the catalogue does not know.
    if (!Write(dir + "old\\3.zip", AddonArchive(DemoAddons()[2], "6"), error))
        return false;
    std::vector<archive::ZipWriterMember> local;
    AddFolder(local, "MyLocalTweaks", "MyLocalTweaks", "1", "本地小工具");
    if (!Write(dir + "old\\local_only.zip", archive::WriteZip(local), error))
        return false;

    // The updater package (what the upgrade module unpacks beside the program)
    // and the program package the updater would install.
    const std::string refitter = archive::WriteZip({
        archive::MakeZipMember("Refitter.exe", "MZ demo updater placeholder\n", false),
        archive::MakeZipMember("RefitterVer.ini", "[UpdateVer]\r\nver=3\r\n", false),
        archive::MakeZipMember("ImageRes/", "", false),
        archive::MakeZipMember("ImageRes/readme.txt", "images of the updater\n"),
    });
    const std::string program = archive::WriteZip(
        {archive::MakeZipMember("VaelTessel.exe", "MZ demo program placeholder 9126\n", false),
         archive::MakeZipMember("Surgewell.dll", "MZ demo module placeholder 9126\n", false)});
    if (!Write(dir + "upgrade\\Refitter.zip", refitter, error) ||
        !Write(dir + "upgrade\\VaelTessel_9126.zip", program, error))
        return false;
    const std::string upgrade =
        "# Reply fields of /Interfaces/gettoolver.aspx (UTF-8). URLs without a scheme\n"
        "# are relative to this server; packages live in upgrade/.\n"
        "softVer=9126\n"
        "softDownUrl=upgrade/VaelTessel_9126.zip\n"
        "softHandworkDownUrl=upgrade/VaelTessel_9126.zip\n"
        "updSoftVerV2=3\n"
        "updSoftDownUrlV2=upgrade/Refitter.zip\n"
        "softUpDesc=1. 新增插件详情页；2. 修复更新全部时的卡顿。\n"
        "softUpDate=2026-12-01\n";
    return Write(dir + "upgrade.txt", upgrade, error);
}

}  // namespace vt::server
