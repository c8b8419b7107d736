// Commands for the settings file and the game location.
#include "cli.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/settings.h"

namespace vt::cli {

namespace {

bool IsAbsolute(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
           (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/'));
}

std::string AddonDirOf(const std::string& gameDir) {
    return gameDir.empty() ? std::string() : gameDir + "Interface\\Addons";
}

// What settings and set-game-path print: one shape for both.
void PrintGameFields(const Context& context, const settings::CAppState& app) {
    const std::string gameDir = app.GameDir();
    if (context.json) {
        JsonLine()
            .Add("programDir", ToTerminal(app.ProgramDir()))
            .Add("gamePath", ToTerminal(app.GamePath()))
            .Add("gameDir", ToTerminal(gameDir))
            .Add("addonDir", ToTerminal(AddonDirOf(gameDir)))
            .Print();
        return;
    }
    Print("程序目录: " + ToTerminal(app.ProgramDir()) + "\n");
    Print("游戏路径: " + ToTerminal(app.GamePath()) + "\n");
    Print("游戏目录: " + ToTerminal(gameDir) + "\n");
    Print("插件目录: " + ToTerminal(AddonDirOf(gameDir)) + "\n");
}

// The path as given, made absolute against the current directory; a bare
// file name would leave the game directory empty.
std::string AbsoluteGamePath(const std::string& path) {
    if (IsAbsolute(path))
        return path;
    std::string dir = platform::GetCurrentDir();
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\')
        dir += dir.find('\\') == std::string::npos ? "/" : "\\";
    std::string rest = path;
    while (rest.rfind("./", 0) == 0 || rest.rfind(".\\", 0) == 0)
        rest.erase(0, 2);
    return dir + rest;
}

int RunSetGamePath(Context& context) {
    if (context.args.size() != 1 || context.args[0].empty())
        return UsageError(context, "set-game-path", "set-game-path 需要游戏补丁程序的路径");
    const std::string given = FromTerminal(context.args[0]);
    // The stored path must name exactly what was given, or every later
    // command would act on another directory.
    if (ToTerminal(given) != context.args[0])
        return Fail("路径里有系统代码页（GBK）无法表示的字符，没有保存：" + context.args[0],
                    "unspellable-path");
    const std::string path = AbsoluteGamePath(given);
    if (path.size() > settings::kMaxGamePathBytes) {
        return Fail("路径有 " + std::to_string(path.size()) + " 字节，程序最多保存 " +
                        std::to_string(settings::kMaxGamePathBytes) + " 字节，没有保存",
                    "path-too-long");
    }
    if (!platform::PathExists(path))
        return Fail(ToTerminal(path) + " 不存在，没有保存", "no-such-file");
    if (platform::IsDirectory(path))
        return Fail(ToTerminal(path) + " 是目录；请给出游戏的补丁程序文件，没有保存", "not-a-file");
    settings::CAppState& app = context.app;
    PrepareProgramFiles(context);
    if (!settings::SaveGamePath(app, path)) {
        return Fail("无法写入设置文件 " + ToTerminal(app.ProgramDir()) + "config，游戏路径没有改变",
                    "settings-unwritable");
    }
    // Read back what was stored, as the program will on its next start.
    if (!settings::LoadSettings(app) || app.GamePath() != path)
        return Fail("设置文件没有保存这个路径", "settings-unwritable");
    PrintGameFields(context, app);
    const std::string documents = platform::DocumentsFolder();
    const std::string pathDir = path.substr(0, path.find_last_of("\\/") + 1);
    if (!context.json && !documents.empty() && app.GameDir() != pathDir &&
        app.GameDir().rfind(documents, 0) == 0) {
        Print("（文档文件夹的 VAEL\\Interface\\Addons 里已有插件，所以游戏目录是 " +
              ToTerminal(app.GameDir()) + "，不是 " + ToTerminal(pathDir) + "）\n");
    }
    return kExitOk;
}

int RunSettings(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "settings", "settings 不接受参数");
    settings::CAppState& app = context.app;
    if (!settings::LoadSettings(app))
        Note("保存的游戏路径超过程序能保存的长度，重新设置之前不会使用", "path-too-long");
    PrintGameFields(context, app);
    return kExitOk;
}

const bool registered =
    RegisterCommand({"set-game-path", "PATH",
                     "记住游戏补丁程序（如 vaelpatchchinese.exe）在哪里，显示由它得出的游戏目录和"
                     "插件目录",
                     RunSetGamePath}) &&
    RegisterCommand({"settings", "", "显示程序目录、游戏路径、游戏目录和插件目录", RunSettings}) &&
    RegisterCommand({"help", "[COMMAND]", "显示用法", nullptr});

}  // namespace

}  // namespace vt::cli
