#include "platform/profile_text.h"

#include "platform/ascii_text.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace vt::platform {

namespace {

struct Line {
    size_t begin;  // offset of the first byte
    size_t end;    // offset past the last byte, before the line break
    size_t next;   // offset of the next line
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        size_t trimmedEnd = end;
        if (trimmedEnd > pos && text[trimmedEnd - 1] == '\r')
            --trimmedEnd;
        lines.push_back({pos, trimmedEnd, next});
        pos = next;
    }
    return lines;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    return TrimBlanks(
        line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

// Index of the line that heads section, or lines.size().
size_t FindSection(const std::string& text, const std::vector<Line>& lines,
                   const std::string& section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line(text.data() + lines[i].begin, lines[i].end - lines[i].begin);
        const auto name = SectionName(line);
        if (name && EqualsIgnoreCase(*name, section))
            return i;
    }
    return lines.size();
}

}  // namespace

std::optional<std::string> FindProfileValue(const std::string& text, const std::string& section,
                                            const std::string& key) {
    const std::vector<Line> lines = SplitLines(text);
    const size_t head = FindSection(text, lines, section);
    for (size_t i = head + 1; i < lines.size(); ++i) {
        const std::string_view line(text.data() + lines[i].begin, lines[i].end - lines[i].begin);
        if (SectionName(line))
            break;
        const auto entry = ParseKeyLine(line);
        if (!entry || !EqualsIgnoreCase(entry->key, TrimBlanks(key)))
            continue;
        std::string_view value = entry->value;
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value) {
    const std::vector<Line> lines = SplitLines(text);
    const std::string entry = key + "=" + value;
    const size_t head = FindSection(text, lines, section);
    if (head == lines.size()) {
        std::string result = text;
        if (!result.empty() && result.back() != '\n')
            result += "\r\n";
        return result + "[" + section + "]\r\n" + entry + "\r\n";
    }
    size_t insertAt = lines[head].next;  // after the last key line of the section
    for (size_t i = head + 1; i < lines.size(); ++i) {
        const std::string_view line(text.data() + lines[i].begin, lines[i].end - lines[i].begin);
        if (SectionName(line))
            break;
        const auto parsed = ParseKeyLine(line);
        if (parsed && EqualsIgnoreCase(parsed->key, TrimBlanks(key))) {
            // The key keeps the spelling it has in the file, as on Windows.
            return text.substr(0, lines[i].begin) + std::string(parsed->key) + "=" + value +
                   text.substr(lines[i].end);
        }
        if (!TrimBlanks(line).empty())
            insertAt = lines[i].next;
    }
    std::string before = text.substr(0, insertAt);
    if (!before.empty() && before.back() != '\n')
        before += "\r\n";
    return before + entry + "\r\n" + text.substr(insertAt);
}

}  // namespace vt::platform
