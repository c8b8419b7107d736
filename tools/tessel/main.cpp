// tessel [--program-dir DIR] [--json] COMMAND [ARGS]: the addon manager's
// command-line front end.
#include <cstdio>
#include <string>

#include "cli.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/server_config.h"
#include "settings/settings.h"

namespace {

void PrintHelp() {
    std::printf(
        "usage: tessel [--program-dir DIR] [--json] COMMAND [ARGS]\n"
        "       tessel --version\n\ncommands:\n");
    for (const vt::cli::Command& command : vt::cli::Commands()) {
        std::printf("  %-16s %-28s %s\n", command.name, command.usage, command.summary);
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vt;
    platform::PrepareConsoleForUtf8();
    std::vector<std::string> args = platform::CommandLineArgsUtf8(argc, argv);

    std::string dir;
    bool missingValue = false;
    if (cli::TakeOption(args, "--program-dir", dir, &missingValue)) {
        dir = cli::FromTerminal(dir);
    } else if (missingValue) {
        std::fprintf(stderr, "tessel: --program-dir needs a directory\n");
        return cli::kExitUsage;
    } else {
        dir = vt::settings::DefaultProgramDir();
    }
    const bool absolute =
        (!dir.empty() && (dir[0] == '\\' || dir[0] == '/')) || (dir.size() > 1 && dir[1] == ':');
    if (!absolute)
        dir = platform::GetCurrentDir() + "\\" + dir;
    if (dir.back() != '\\' && dir.back() != '/') {
        // Keep the path's own separator style, so POSIX paths print naturally.
        dir += dir.find('\\') == std::string::npos ? '/' : '\\';
    }
    cli::Context context;
    context.app.SetProgramDir(dir);
    context.servers = vt::settings::LoadServerConfig(dir);

    // Global flags stand before the command; anything after it is the command's.
    while (!args.empty() && args.front().rfind("--", 0) == 0) {
        const std::string flag = args.front();
        args.erase(args.begin());
        if (flag == "--json") {
            context.json = true;
        } else if (flag == "--version") {
            std::printf("tessel %s\n", TESSEL_VERSION);
            return cli::kExitOk;
        } else if (flag == "--help") {
            PrintHelp();
            return cli::kExitOk;
        } else {
            std::fprintf(stderr, "tessel: unknown option '%s'\n", flag.c_str());
            return cli::kExitUsage;
        }
    }
    if (args.empty()) {
        PrintHelp();
        return cli::kExitUsage;
    }

    const std::string name = args.front();
    args.erase(args.begin());
    for (const cli::Command& command : cli::Commands()) {
        if (name == command.name) {
            context.args = std::move(args);
            // As the program does on every start.
            platform::MakeDirectoryPath(dir.substr(0, dir.size() - 1));
            vt::settings::WriteVersionFile(dir);
            const int code = command.run(context);
            std::fflush(stdout);
            return code;
        }
    }
    std::fprintf(stderr, "tessel: unknown command '%s' (see tessel --help)\n", name.c_str());
    return cli::kExitUsage;
}
