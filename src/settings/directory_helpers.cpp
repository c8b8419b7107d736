#include "settings/directory_helpers.h"

#include "platform/files.h"
#include "settings/path_text.h"

namespace vt {

bool DeleteDirectoryTree(const std::string& path) {
    std::string target = path;
    if (!target.empty() && (target.back() == '\\' || target.back() == '/'))
        target.pop_back();
    if (target.empty() || !platform::IsDirectory(target))
        return false;
    return platform::RemoveTree(target);
}

bool MakeDirectoryPath(const std::string& path) {
    const size_t separator = LastPathSeparator(path);
    if (separator != std::string::npos && separator > 0) {
        const std::string parent = path.substr(0, separator);
        if (parent.back() != ':' && !platform::PathExists(parent))
            MakeDirectoryPath(parent);
    }
    if (!platform::PathExists(path))
        platform::MakeDirectory(path);
    return true;
}

}  // namespace vt
