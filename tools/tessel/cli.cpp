#include "cli.h"

#include <cstdio>
#include <iostream>

#include "platform/code_page.h"
#include "platform/file_names.h"

namespace vt::cli {

namespace {

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace

bool RegisterCommand(const Command& command) {
    Registry().push_back(command);
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

std::string ToTerminal(const std::string& local) {
    // Names the code page cannot spell show as themselves, not escaped.
    return platform::PathToUtf8(local);
}
std::string FromTerminal(const std::string& utf8) {
    return platform::Utf8ToLocal(utf8);
}

int Fail(const std::string& reasonUtf8) {
    std::fflush(stdout);
    std::fprintf(stderr, "tessel: %s\n", reasonUtf8.c_str());
    return kExitFailure;
}

int UsageError(const Context&, const char* commandName) {
    for (const Command& command : Commands()) {
        if (std::string(command.name) == commandName) {
            std::fprintf(stderr, "usage: tessel %s %s\n", command.name, command.usage);
            return kExitUsage;
        }
    }
    std::fprintf(stderr, "tessel: unknown command '%s'\n", commandName);
    return kExitUsage;
}

void Print(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
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

void JsonLine::Print() const {
    cli::Print(Text() + "\n");
}

}  // namespace vt::cli
