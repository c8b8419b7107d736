// Zip archives of the updater for the upgrade tests.
#pragma once

#include <string>

#include "archive/zip_builder.h"

namespace vt::test {

// A deflated member; a name ending in "/" is a directory.
inline TestMember Member(const std::string& name, const std::string& data = "") {
    TestMember member;
    member.name = name;
    member.data = data;
    if (!name.empty() && name.back() == '/') {
        member.method = 0;
        member.externalAttributes = 0x10 | (040755u << 16);
    }
    return member;
}

// The updater's archive: its executable, an image folder and a version file.
inline std::string UpdaterArchive(const std::string& exe = "new updater",
                                  const std::string& version = "5") {
    return BuildZip({
        Member("Refitter.exe", exe),
        Member("ImageRes/"),
        Member("ImageRes/logo.png", "png bytes"),
        Member("RefitterVer.ini", "[UpdateVer]\r\nver=" + version + "\r\n"),
    });
}

}  // namespace vt::test
