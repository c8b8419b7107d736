// The command registry and output helpers of the `tessel` front end.
// Terminal text is UTF-8; the core's local-code-page text is converted at the
// edges with ToTerminal and FromTerminal. The front end speaks the program's
// language (Simplified Chinese) and uses the program's string texts where they
// exist; JSON keys and error codes are fixed English words for scripts.
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
    bool json = false;               // one JSON object per line
    bool offline = false;            // --offline: the cached catalogue only
    std::vector<std::string> args;   // the command's positional arguments, UTF-8
    std::vector<std::string> flags;  // the command's flags ("--yes", "--proxy", "VALUE"...)
};

struct Command {
    const char* name;
    const char* usage;    // arguments, e.g. "ARCHIVE DIR"
    const char* summary;  // one line for help
    int (*run)(Context& context);
    // The flags the command accepts, separated by spaces; a flag that takes a
    // value ends in "=" ("--proxy="). Any other "-..." argument is a usage error.
    const char* flags = "";
};

// Makes the program directory and writes "ver.ini", as the program does on
// every start. Commands that work on the program's files (catalogue, locks,
// downloads, settings) call it once their arguments are checked; read-only
// commands and usage errors leave the disk alone.
void PrepareProgramFiles(const Context& context);

// Adds a command; call from a namespace-scope initialiser in commands_*.cpp.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();
const Command* FindCommand(const std::string& name);

std::string ToTerminal(const std::string& local);   // local code page -> UTF-8
std::string FromTerminal(const std::string& utf8);  // UTF-8 -> local code page

// Chooses JSON for errors and notes on stderr (main sets it once).
void SetJsonErrors(bool json);
// One line to stderr saying why the command failed; returns kExitFailure.
// code is the error's fixed name in JSON ({"error":code,"message":reason}).
int Fail(const std::string& reasonUtf8, const char* code = "failed");
// The same with further fields for the JSON object (already JSON text,
// "\"server\":\"...\"" and the like).
int FailWith(const std::string& reasonUtf8, const char* code, const std::string& jsonFields);
// One line to stderr that does not end the command ({"note":code,...}).
void Note(const std::string& textUtf8, const char* code, const std::string& jsonFields = "");
// The command's usage on stderr; returns kExitUsage.
int UsageError(const Context& context, const char* commandName, const std::string& why = "");
// The usage of one command, or of all, as text.
std::string UsageText(const Command* command);

// Writes UTF-8 text to stdout. Kept in a buffer unless stdout is a terminal;
// flushed by Flush, before anything goes to stderr and at exit.
void Print(const std::string& utf8);
bool Flush();
// Text straight to stderr (after flushing stdout), for prompts and bars.
void PrintError(const std::string& utf8);

// The width for progress bars on stderr: its terminal's columns (80 when
// unknown), 0 when stderr is no terminal and so gets no bars.
int ProgressColumns();

// Asks question (with "[y/N]") on stderr and reads one line from standard
// input: true for "y" or "yes" in any case, with or without a carriage return.
bool AskYes(const std::string& questionUtf8);
// The answer rule of AskYes on its own.
bool IsYes(const std::string& answer);

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
    // A string value, or null when value is empty.
    JsonLine& AddOrNull(const std::string& key, const std::string& value);
    // Adds a value that is already JSON text (an array or object).
    JsonLine& AddRaw(const std::string& key, const std::string& json);
    std::string Text() const { return text_ + "}"; }
    // The fields without braces, for FailWith and Note.
    std::string Fields() const { return text_.substr(1); }
    void Print() const;

  private:
    std::string text_ = "{";
};

// A JSON string literal for UTF-8 text.
std::string JsonQuote(const std::string& utf8);

}  // namespace vt::cli
