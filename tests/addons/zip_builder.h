// Addon archives for the pipeline tests: stored members of zip_writer.h.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "archive/zip_writer.h"

namespace vt::test {

using ZipMembers = std::vector<std::pair<std::string, std::string>>;  // (name, content)

// A zip archive whose members are stored uncompressed; names use "\\" or "/"
// as given.
inline std::string BuildZip(const ZipMembers& members) {
    std::vector<archive::ZipWriterMember> stored;
    for (const auto& [name, content] : members)
        stored.push_back(archive::MakeZipMember(name, content, false));
    return archive::WriteZip(stored);
}

// The version file of an addon folder.
inline std::string VersionFileText(const std::string& project, const std::string& ver) {
    std::string text = "## Interface: 1\r\n";
    if (!project.empty())
        text += "## X-Tessel-Project-Name: " + project + "\r\n";
    if (!ver.empty())
        text += "## X-Tessel-UpdateVer: " + ver + "\r\n";
    return text;
}

}  // namespace vt::test
