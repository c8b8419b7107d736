// tessel [--program-dir DIR] [--json] [--offline] COMMAND [ARGS]: the addon
// manager's command-line front end. Global flags may stand before or after
// the command; "--" ends the flags.
#include <string>
#include <vector>

#include "cli.h"
#include "platform/files.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "settings/server_config.h"

namespace {

using namespace vt;
using namespace vt::cli;

// What the command line says besides the command's own arguments.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool json = false;
    bool offline = false;
    std::string programDir;         // UTF-8; empty: the default
    std::vector<std::string> rest;  // the command and its arguments, before "--"
    std::vector<std::string> tail;  // after "--": arguments only
    std::string error;              // a usage error
};

CommandLine ReadCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            line.tail.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--json") {
            line.json = true;
        } else if (arg == "--offline") {
            line.offline = true;
        } else if (arg.rfind("--program-dir=", 0) == 0) {
            line.programDir = arg.substr(14);
            if (line.programDir.empty()) {
                line.error = "--program-dir 需要一个目录";
                return line;
            }
        } else if (arg == "--program-dir") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                line.error = "--program-dir 需要一个目录";
                return line;
            }
            line.programDir = args[++i];
        } else {
            line.rest.push_back(arg);
        }
    }
    return line;
}

// The flag's spelling in command.flags: "--yes" or "--proxy=" (takes a value).
const char* FlagKind(const Command& command, const std::string& flag, bool& takesValue) {
    const std::string flags = std::string(" ") + command.flags + " ";
    if (flags.find(" " + flag + " ") != std::string::npos) {
        takesValue = false;
        return "flag";
    }
    if (flags.find(" " + flag + "= ") != std::string::npos) {
        takesValue = true;
        return "option";
    }
    return nullptr;
}

// Splits the command's arguments into flags and positional arguments; false
// with a reason for an unknown flag.
bool SplitArguments(const Command& command, const CommandLine& line, Context& context,
                    std::string& error) {
    for (size_t i = 1; i < line.rest.size(); ++i) {
        const std::string& arg = line.rest[i];
        if (arg.size() < 2 || arg[0] != '-') {
            context.args.push_back(arg);
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        bool takesValue = false;
        if (FlagKind(command, name, takesValue) == nullptr ||
            (!takesValue && equals != std::string::npos)) {
            error = "未知选项 " + arg;
            return false;
        }
        context.flags.push_back(arg);
        if (takesValue && equals == std::string::npos) {
            if (i + 1 >= line.rest.size()) {
                error = name + " 需要一个值";
                return false;
            }
            context.flags.push_back(line.rest[++i]);
        }
    }
    context.args.insert(context.args.end(), line.tail.begin(), line.tail.end());
    return true;
}

std::string AbsoluteProgramDir(std::string dir) {
    if (dir.empty())
        dir = settings::DefaultProgramDir();
    const bool absolute =
        (!dir.empty() && (dir[0] == '\\' || dir[0] == '/')) || (dir.size() > 1 && dir[1] == ':');
    if (!absolute)
        dir = platform::GetCurrentDir() + "\\" + dir;
    if (dir.back() != '\\' && dir.back() != '/') {
        // Keep the path's own separator style, so POSIX paths print naturally.
        dir += dir.find('\\') == std::string::npos ? '/' : '\\';
    }
    return dir;
}

int Run(const std::vector<std::string>& args) {
    const CommandLine line = ReadCommandLine(args);
    SetJsonErrors(line.json);
    Context context;
    if (!line.error.empty())
        return UsageError(context, "", line.error);
    if (line.version) {
        Print(std::string("tessel ") + TESSEL_VERSION + "\n");
        return kExitOk;
    }
    if (line.rest.empty() || line.rest.front() == "help") {
        const bool asked = line.help || !line.rest.empty();
        if (!asked)
            return UsageError(context, "", "没有给出命令");
        if (line.rest.size() > 2)
            return UsageError(context, "", "help 只接受一个命令名");
        const Command* command = line.rest.size() == 2 ? FindCommand(line.rest[1]) : nullptr;
        if (line.rest.size() == 2 && command == nullptr)
            return UsageError(context, "", "没有命令 " + line.rest[1]);
        Print(UsageText(command));
        return kExitOk;
    }
    const Command* command = FindCommand(line.rest.front());
    if (command == nullptr) {
        const std::string& name = line.rest.front();
        return UsageError(context, "", (name[0] == '-' ? "未知选项 " : "没有命令 ") + name);
    }
    if (line.help) {
        Print(UsageText(command));
        return kExitOk;
    }
    std::string error;
    if (!SplitArguments(*command, line, context, error))
        return UsageError(context, command->name, error);

    context.json = line.json;
    context.offline = line.offline;
    const std::string dir = AbsoluteProgramDir(FromTerminal(line.programDir));
    context.app.SetProgramDir(dir);
    context.servers = settings::LoadServerConfig(dir);
    for (const settings::ServerConfigNote& note : context.servers.notes) {
        Note(std::string("servers.ini 的 ") + note.key + " = \"" + ToTerminal(note.value) +
                 "\" 不可用（" + note.expected + "），改用" +
                 (note.used.empty() ? "程序自己的设置" : " " + note.used),
             "servers-ini",
             JsonLine().Add("key", note.key).Add("value", ToTerminal(note.value)).Fields());
    }
    return command->run(context);
}

}  // namespace

int main(int argc, char** argv) {
    const int code = Run(platform::CommandLineArgsUtf8(argc, argv));
    if (!Flush())
        return code == kExitOk ? kExitFailure : code;
    return code;
}
