#include "cli.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "platform/ascii_text.h"
#include "platform/code_page.h"
#include "platform/console.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "settings/settings.h"

namespace vt::cli {

namespace {

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

bool jsonErrors = false;

// Standard output: written at once on a terminal, so the user sees each line
// as it comes; kept in a buffer otherwise, so that a file, pipe or character
// device gets few large writes instead of one per line.
class StdoutBuffer {
  public:
    void Append(const std::string& utf8) {
        std::lock_guard<std::mutex> lock(mutex_);
        text_ += utf8;
        if (Interactive() || text_.size() >= kLimit)
            FlushLocked();
    }
    bool Flush() {
        std::lock_guard<std::mutex> lock(mutex_);
        return FlushLocked();
    }

  private:
    static constexpr size_t kLimit = 64 * 1024;
    bool Interactive() {
        if (kind_ < 0)
            kind_ = static_cast<int>(platform::KindOfStream(platform::StdStream::kOut));
        return kind_ == static_cast<int>(platform::StreamKind::kTerminal);
    }
    bool FlushLocked() {
        if (text_.empty())
            return ok_;
        ok_ = platform::WriteStream(platform::StdStream::kOut, text_) && ok_;
        text_.clear();
        return ok_;
    }
    std::mutex mutex_;
    std::string text_;
    int kind_ = -1;
    bool ok_ = true;
};

StdoutBuffer& Stdout() {
    static StdoutBuffer buffer;
    return buffer;
}

void ErrorLine(const std::string& plain, const std::string& json) {
    PrintError((jsonErrors ? json : plain) + "\n");
}

std::string WithFields(const JsonLine& line, const std::string& jsonFields) {
    return jsonFields.empty() ? line.Text() : "{" + line.Fields() + "," + jsonFields + "}";
}

}  // namespace

void PrepareProgramFiles(const Context& context) {
    const std::string dir = context.app.ProgramDir();
    platform::MakeDirectoryPath(dir.substr(0, dir.size() - 1));
    settings::WriteVersionFile(dir);
}

bool RegisterCommand(const Command& command) {
    Registry().push_back(command);
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

const Command* FindCommand(const std::string& name) {
    for (const Command& command : Commands()) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

std::string ToTerminal(const std::string& local) {
    // Names the code page cannot spell show as themselves, not escaped.
    return platform::PathToUtf8(local);
}
std::string FromTerminal(const std::string& utf8) {
    return platform::Utf8ToLocal(utf8);
}

void SetJsonErrors(bool json) {
    jsonErrors = json;
}

int FailWith(const std::string& reasonUtf8, const char* code, const std::string& jsonFields) {
    JsonLine line;
    line.Add("error", code).Add("message", reasonUtf8);
    ErrorLine("tessel: " + reasonUtf8, WithFields(line, jsonFields));
    return kExitFailure;
}

int Fail(const std::string& reasonUtf8, const char* code) {
    return FailWith(reasonUtf8, code, "");
}

void Note(const std::string& textUtf8, const char* code, const std::string& jsonFields) {
    JsonLine line;
    line.Add("note", code).Add("message", textUtf8);
    ErrorLine("tessel: " + textUtf8, WithFields(line, jsonFields));
}

std::string UsageText(const Command* command) {
    if (command != nullptr) {
        std::string text = std::string("用法: tessel [全局选项] ") + command->name;
        if (*command->usage)
            text += std::string(" ") + command->usage;
        return text + "\n  " + command->summary + "\n";
    }
    std::string text =
        "用法: tessel [全局选项] 命令 [参数]\n"
        "      tessel help [命令]   tessel --version\n\n"
        "全局选项（放在命令前后均可）:\n"
        "  --program-dir DIR  程序目录（放 config、servers.ini 和插件目录缓存）\n"
        "  --json             每行一个 JSON 对象；错误以 JSON 对象写到 stderr\n"
        "  --offline          只用本机保存的插件目录，不连接服务器\n"
        "  -h, --help         显示帮助\n\n"
        "命令:\n";
    // What a player needs first leads; the developers' tools follow by name.
    static const char* const kLeading[] = {"set-game-path", "settings",   "list",   "search",
                                           "install",       "update-all", "delete", "delete-all",
                                           "refresh",       "detail"};
    std::vector<const Command*> ordered;
    for (const char* name : kLeading) {
        if (const Command* found = FindCommand(name))
            ordered.push_back(found);
    }
    std::vector<const Command*> rest;
    for (const Command& each : Commands()) {
        if (std::find(ordered.begin(), ordered.end(), &each) == ordered.end())
            rest.push_back(&each);
    }
    std::sort(rest.begin(), rest.end(),
              [](const Command* a, const Command* b) { return std::string(a->name) < b->name; });
    ordered.insert(ordered.end(), rest.begin(), rest.end());
    for (const Command* command_ : ordered) {
        const Command& each = *command_;
        std::string line = std::string("  ") + each.name;
        if (*each.usage)
            line += std::string(" ") + each.usage;
        text += line + "\n      " + each.summary + "\n";
    }
    return text + "\n退出状态: 0 成功，1 失败（stderr 上有一行原因），2 用法错误。\n";
}

int UsageError(const Context&, const char* commandName, const std::string& why) {
    const Command* command = FindCommand(commandName);
    const std::string reason = why.empty() ? "参数不对" : why;
    if (jsonErrors) {
        JsonLine line;
        line.Add("error", "usage").Add("message", reason).Add("usage", UsageText(command));
        PrintError(line.Text() + "\n");
    } else {
        PrintError("tessel: " + reason + "\n" + UsageText(command));
    }
    return kExitUsage;
}

void Print(const std::string& utf8) {
    Stdout().Append(utf8);
}

bool Flush() {
    return Stdout().Flush();
}

void PrintError(const std::string& utf8) {
    Flush();
    platform::WriteStream(platform::StdStream::kErr, utf8);
}

int ProgressColumns() {
    if (platform::KindOfStream(platform::StdStream::kErr) != platform::StreamKind::kTerminal)
        return 0;
    const int columns = platform::TerminalColumns(platform::StdStream::kErr);
    return columns > 0 ? columns : 80;
}

bool IsYes(const std::string& answer) {
    const std::string_view word = platform::TrimBlanks(answer, platform::kAllBlanks);
    return platform::EqualsIgnoreCase(word, "y") || platform::EqualsIgnoreCase(word, "yes");
}

bool AskYes(const std::string& questionUtf8) {
    PrintError(questionUtf8 + " [y/N] ");
    std::string answer;
    const bool answered = platform::ReadInputLine(answer);
    if (!answered)
        PrintError("\n");
    return answered && IsYes(answer);
}

bool TakeFlag(std::vector<std::string>& args, const std::string& name) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == name) {
            args.erase(it);
            return true;
        }
    }
    return false;
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                bool* missingValue) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind(name + "=", 0) == 0) {
            value = args[i].substr(name.size() + 1);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
        if (args[i] == name) {
            if (i + 1 >= args.size()) {
                if (missingValue)
                    *missingValue = true;
                args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
                return false;
            }
            value = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            return true;
        }
    }
    return false;
}

std::string JsonQuote(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

JsonLine& JsonLine::AddRaw(const std::string& key, const std::string& json) {
    if (text_.size() > 1)
        text_ += ",";
    text_ += JsonQuote(key) + ":" + json;
    return *this;
}

JsonLine& JsonLine::Add(const std::string& key, const std::string& value) {
    return AddRaw(key, JsonQuote(value));
}
JsonLine& JsonLine::Add(const std::string& key, const char* value) {
    return AddRaw(key, JsonQuote(value));
}
JsonLine& JsonLine::Add(const std::string& key, int64_t value) {
    return AddRaw(key, std::to_string(value));
}
JsonLine& JsonLine::Add(const std::string& key, bool value) {
    return AddRaw(key, value ? "true" : "false");
}
JsonLine& JsonLine::AddOrNull(const std::string& key, const std::string& value) {
    return AddRaw(key, value.empty() ? "null" : JsonQuote(value));
}

void JsonLine::Print() const {
    cli::Print(Text() + "\n");
}

}  // namespace vt::cli
