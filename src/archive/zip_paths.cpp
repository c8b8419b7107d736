#include "archive/zip_paths.h"

#include <cstring>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_names.h"
#include "platform/files.h"

namespace vt::archive {

namespace {

bool IsClimbingComponent(const std::string& component) {
    size_t dots = 0;
    for (char c : component) {
        if (c == '.') {
            ++dots;
        } else if (c != ' ') {
            return false;
        }
    }
    return dots >= 2;
}

}  // namespace

bool IsDeviceName(const std::string& component) {
    std::string base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool CrossesLink(const std::string& baseDirectory, const std::string& path) {
    for (size_t at : platform::PathSeparators(path)) {
        if (at > 0 && platform::IsLink(baseDirectory + path.substr(0, at)))
            return true;
    }
    return platform::IsLink(baseDirectory + path);
}

std::string DirectoryPart(const std::string& name) {
    const std::vector<size_t> separators = platform::PathSeparators(name);
    return separators.empty() ? std::string() : name.substr(0, separators.back() + 1);
}

// Characters no Windows name may hold; none of them is a GBK trail byte but
// "|", which is looked for character by character.
bool HasForbiddenCharacter(const std::string& name) {
    const unsigned codePage = platform::LocalCodePage();
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (platform::IsLeadByte(codePage, c)) {
            ++i;
        } else if (c < 0x20 || std::strchr(":*?\"<>|", c) != nullptr) {
            return true;
        }
    }
    return false;
}

bool IsSafeMemberName(const std::string& name) {
    if (name.empty() || HasForbiddenCharacter(name))
        return false;
    const auto refused = [](const std::string& component) {
        return IsClimbingComponent(component) || IsDeviceName(component);
    };
    size_t start = 0;
    for (size_t at : platform::PathSeparators(name)) {
        if (at == 0 || refused(name.substr(start, at - start)))
            return false;
        start = at + 1;
    }
    return start == name.size() || !refused(name.substr(start));
}

// Made and checked directories are remembered without their trailing
// separators, so "a/b/" and "a/b" are one directory.
KnownDirectories::Outcome KnownDirectories::MakeOne(const std::string& baseDirectory,
                                                    const std::string& path) {
    const auto known = known_.find(path);
    if (known != known_.end())
        return known->second ? kMade : kExisting;
    const std::string full = baseDirectory + path;
    if (platform::MakeDirectory(full)) {
        known_.emplace(path, true);
        return kMade;
    }
    if (platform::IsLink(full))
        return kThroughLink;
    // Remembered only when it is there: a failure to make it (an injected or
    // passing fault) is tried again by the next member.
    if (platform::IsDirectory(full))
        known_.emplace(path, false);
    return kExisting;
}

KnownDirectories::Outcome KnownDirectories::Make(const std::string& baseDirectory,
                                                 const std::string& path) {
    Outcome outcome = kExisting;
    const std::vector<size_t> separators = platform::PathSeparators(path);
    for (size_t at : separators) {
        if (at == 0)
            continue;
        outcome = MakeOne(baseDirectory, path.substr(0, at));
        if (outcome == kThroughLink)
            return outcome;
    }
    if (!path.empty() && (separators.empty() || separators.back() + 1 != path.size()))
        outcome = MakeOne(baseDirectory, path);
    return outcome;
}

bool KnownDirectories::Made(const std::string& path) const {
    const std::vector<size_t> separators = platform::PathSeparators(path);
    std::string key = path;
    if (!separators.empty() && separators.back() + 1 == path.size())
        key.resize(separators.back());
    const auto known = known_.find(key);
    return known != known_.end() && known->second;
}

}  // namespace vt::archive
