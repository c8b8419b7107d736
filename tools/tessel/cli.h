// The command registry and output helpers of the `tessel` front end.
// Terminal text is UTF-8; the core's local-code-page text is converted at the
// edges with ToTerminal and FromTerminal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/app_state.h"
#include "settings/server_config.h"

namespace vt::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// The front end's application object, made once in main before the command
// runs: it owns the application fields (ProgramDir with its trailing
// separator, local code page) and the server configuration read once from
// servers.ini, and lends them to the core.
struct Context {
    settings::CAppState app;
    settings::ServerConfig servers;
    bool json = false;              // one JSON object per line
    std::vector<std::string> args;  // the command's arguments, UTF-8
};

struct Command {
    const char* name;
    const char* usage;    // arguments, e.g. "ARCHIVE DIR"
    const char* summary;  // one line for --help
    int (*run)(Context& context);
};

// Adds a command; call from a namespace-scope initialiser in commands_*.cpp.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

std::string ToTerminal(const std::string& local);   // local code page -> UTF-8
std::string FromTerminal(const std::string& utf8);  // UTF-8 -> local code page

// Prints a one-line reason to stderr and returns kExitFailure.
int Fail(const std::string& reasonUtf8);
// Prints the command's usage to stderr and returns kExitUsage.
int UsageError(const Context& context, const char* commandName);
// Writes UTF-8 text to stdout as it is.
void Print(const std::string& utf8);

// Takes "--name" from args when present.
bool TakeFlag(std::vector<std::string>& args, const std::string& name);
// Takes "--name VALUE" (or "--name=VALUE") from args; false when absent.
// A "--name" without a value sets missingValue.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                bool* missingValue = nullptr);

// One JSON object printed on one line: JsonLine().Add("a", 1).Add("b", "x").Print().
// String values are UTF-8.
class JsonLine {
  public:
    JsonLine& Add(const std::string& key, const std::string& value);
    JsonLine& Add(const std::string& key, const char* value);
    JsonLine& Add(const std::string& key, int64_t value);
    JsonLine& Add(const std::string& key, int value) {
        return Add(key, static_cast<int64_t>(value));
    }
    JsonLine& Add(const std::string& key, bool value);
    // Adds a value that is already JSON text (an array or object).
    JsonLine& AddRaw(const std::string& key, const std::string& json);
    std::string Text() const { return text_ + "}"; }
    void Print() const;

  private:
    std::string text_ = "{";
};

// A JSON string literal for UTF-8 text.
std::string JsonQuote(const std::string& utf8);

}  // namespace vt::cli
