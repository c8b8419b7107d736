// Commands for the settings file and the game location.
#include <cstdio>

#include "cli.h"
#include "settings/app_state.h"
#include "settings/settings.h"

namespace vt::cli {

namespace {

int RunSetGamePath(Context& context) {
    if (context.args.size() != 1)
        return UsageError(context, "set-game-path");
    const std::string path = FromTerminal(context.args[0]);
    // The stored path must name exactly what was given, or every later
    // command would act on another directory.
    if (ToTerminal(path) != context.args[0])
        return Fail("the path has characters the system code page cannot spell; not saved");
    if (path.size() > settings::kMaxGamePathBytes) {
        return Fail("the path is " + std::to_string(path.size()) +
                    " bytes long; the program keeps " +
                    std::to_string(settings::kMaxGamePathBytes) + " at most; not saved");
    }
    settings::CAppState& app = context.app;
    if (!settings::SaveGamePath(app, path)) {
        return Fail("could not write the settings file " + ToTerminal(app.ProgramDir()) +
                    "config; the game path is unchanged");
    }
    // Read back what was stored, as the program will on its next start.
    if (!settings::LoadSettings(app) || app.GamePath() != path)
        return Fail("the settings file did not keep the path");
    if (context.json) {
        JsonLine()
            .Add("gamePath", ToTerminal(app.GamePath()))
            .Add("gameDir", ToTerminal(app.GameDir()))
            .Print();
    } else {
        Print("GamePath: " + ToTerminal(app.GamePath()) + "\n");
    }
    return kExitOk;
}

int RunSettings(Context& context) {
    if (!context.args.empty())
        return UsageError(context, "settings");
    settings::CAppState& app = context.app;
    if (!settings::LoadSettings(app)) {
        std::fprintf(stderr,
                     "tessel: the stored game path is longer than the program keeps; it is "
                     "ignored until set again\n");
    }
    const std::string gameDir = app.GameDir();
    const std::string addonDir = gameDir.empty() ? std::string() : gameDir + "Interface\\Addons";
    if (context.json) {
        JsonLine()
            .Add("programDir", ToTerminal(app.ProgramDir()))
            .Add("gamePath", ToTerminal(app.GamePath()))
            .Add("gameDir", ToTerminal(gameDir))
            .Add("addonDir", ToTerminal(addonDir))
            .Print();
        return kExitOk;
    }
    Print("ProgramDir: " + ToTerminal(app.ProgramDir()) + "\n");
    Print("GamePath:   " + ToTerminal(app.GamePath()) + "\n");
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
