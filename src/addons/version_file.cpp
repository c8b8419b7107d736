#include "addons/version_file.h"

#include <algorithm>

#include "addons/addon_paths.h"
#include "platform/ascii_text.h"
#include "platform/files.h"

namespace vt::addons {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

// Runs of spaces become one space, then blanks are trimmed at both ends.
std::string NormaliseLine(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out.push_back(c);
    }
    return std::string(platform::TrimBlanks(out, kBlanks));
}

// Calls visit(key, value) for every header line in order until it returns true.
template <typename Visit>
void ForEachHeader(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (raw.find("##") == std::string_view::npos)
            continue;  // cheap reject
        const std::string line = NormaliseLine(raw);
        if (line.compare(0, 2, "##") != 0)
            continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string_view whole(line);
        const std::string_view key = platform::TrimBlanks(whole.substr(2, colon - 2), kBlanks);
        std::string_view value = whole.substr(colon + 1);
        value.remove_prefix(std::min(value.find_first_not_of(kBlanks), value.size()));
        if (visit(key, value))
            return;
    }
}

std::string ReadBounded(const std::string& path) {
    std::string text;
    platform::File file;
    if (!file.Open(path, platform::File::Mode::kRead))
        return text;
    text.resize(kMaxVersionFileBytes);
    const int64_t got = file.Read(text.data(), text.size());
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

}  // namespace

std::string FindVersionHeader(std::string_view text, std::string_view key) {
    std::string found;
    ForEachHeader(text, [&](std::string_view k, std::string_view v) {
        if (k != key)
            return false;
        found.assign(v);
        return true;
    });
    return found;
}

VersionHeaders ParseVersionHeaders(std::string_view text) {
    VersionHeaders headers;
    bool haveProject = false;
    bool haveVer = false;
    ForEachHeader(text, [&](std::string_view k, std::string_view v) {
        if (!haveProject && k == kProjectNameKey) {
            headers.projectName.assign(v);
            haveProject = true;
        } else if (!haveVer && k == kUpdateVerKey) {
            headers.updateVer.assign(v);
            haveVer = true;
        }
        return haveProject && haveVer;
    });
    return headers;
}

std::string ReadVersionHeader(const std::string& path, const std::string& key) {
    return FindVersionHeader(ReadBounded(path), key);
}

VersionHeaders ReadVersionHeaders(const std::string& path) {
    return ParseVersionHeaders(ReadBounded(path));
}

}  // namespace vt::addons
