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

void MakeDirectoryChain(const std::string& baseDirectory, const std::string& path) {
    for (size_t at : platform::PathSeparators(path)) {
        if (at > 0)
            platform::MakeDirectory(baseDirectory + path.substr(0, at));
    }
    platform::MakeDirectory(baseDirectory + path);
}

}  // namespace vt::archive
