// Commands for the settings file and the game location.
#include "cli.h"
#include "settings/app_state.h"
#include "settings/settings.h"

namespace vt::cli {

namespace {

int RunSetGamePath(Context& context) {
    if (context.args.size() != 1)
        return UsageError(context, "set-game-path");
    SaveGamePath(FromTerminal(context.args[0]));
    // Read back what was stored, as the program will on its next start.
    LoadSettings();
    if (AppState().GamePath() != FromTerminal(context.args[0])) {
        return Fail("could not write the settings file " + ToTerminal(AppState().ProgramDir()) +
                    "config");
    }
    if (context.json) {
        JsonLine()
            .Add("gamePath", ToTerminal(AppState().GamePath()))
            .Add("gameDir", ToTerminal(AppState().GameDir()))
            .Print();
    } else {
        Print("GamePath: " + ToTerminal(AppState().GamePath()) + "\n");
    }
    return kExitOk;
}

int RunSettings(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "settings");
    LoadSettings();
    const std::string gameDir = AppState().GameDir();
    const std::string addonDir = gameDir.empty() ? std::string() : gameDir + "Interface\\Addons";
    if (context.json) {
        JsonLine()
            .Add("programDir", ToTerminal(AppState().ProgramDir()))
            .Add("gamePath", ToTerminal(AppState().GamePath()))
            .Add("gameDir", ToTerminal(gameDir))
            .Add("addonDir", ToTerminal(addonDir))
            .Print();
        return kExitOk;
    }
    Print("ProgramDir: " + ToTerminal(AppState().ProgramDir()) + "\n");
    Print("GamePath:   " + ToTerminal(AppState().GamePath()) + "\n");
    Print("GameDir:    " + ToTerminal(gameDir) + "\n");
    Print("AddonDir:   " + ToTerminal(addonDir) + "\n");
    return kExitOk;
}

const bool registered =
    RegisterCommand(
        {"set-game-path", "PATH", "remember where the game's patcher is", RunSetGamePath}) &&
    RegisterCommand({"settings", "", "show the game path and directories", RunSettings});

}  // namespace

}  // namespace vt::cli
