// A program directory for the updater's tests: the files of an installed
// program, the user's own files beside them, and a snapshot of the whole tree
// to compare before and after.
#pragma once

#include <map>
#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace vt::test {

// Relative path ("\\" between folders) to contents; directories as "<dir>".
// The updater's work folder is left out unless asked for.
inline void SnapshotInto(const std::string& dir, const std::string& prefix, bool withWork,
                         std::map<std::string, std::string>& out) {
    for (const std::string& file : platform::ListFiles(dir + prefix))
        out[prefix + file] = ReadTestFile(dir + prefix + file);
    for (const std::string& sub : platform::ListSubdirectories(dir + prefix)) {
        if (!withWork && prefix.empty() && sub == "RefitterWork")
            continue;
        out[prefix + sub] = "<dir>";
        SnapshotInto(dir, prefix + sub + "\\", withWork, out);
    }
}

inline std::map<std::string, std::string> Snapshot(const std::string& dir, bool withWork = false) {
    std::map<std::string, std::string> out;
    SnapshotInto(dir, "", withWork, out);
    return out;
}

// An installed program: the old files the update replaces, and the files
// that are not the package's (the user's and the updater's own).
inline void WriteInstalledProgram(const std::string& dir) {
    WriteTestFile(dir + "VaelTessel.exe", "old program");
    WriteTestFile(dir + "Surgewell.dll", "old module");
    WriteTestFile(dir + "Refitter.exe", "the updater");
    WriteTestFile(dir + "RefitterVer.ini", "[UpdateVer]\r\nver=3\r\n");
    WriteTestFile(dir + "config", "[Setting]\r\nGamePath=E:\\Vael\\vael.exe\r\n");
    WriteTestFile(dir + "ver.ini", "[u]\r\nv=9125\r\n");
    platform::MakeDirectory(dir + "Download");
    WriteTestFile(dir + "Download\\12.zip.down", "partial addon");
    platform::MakeDirectory(dir + "ImageRes");
    WriteTestFile(dir + "ImageRes\\background.png", "png");
}

// The new files of the package: two replace old ones, one is new in a new folder.
inline const std::map<std::string, std::string>& NewProgramFiles() {
    static const std::map<std::string, std::string> files = {
        {"VaelTessel.exe", "new program"},
        {"Surgewell.dll", "new module"},
        {"Help\\guide.txt", "a new file in a new folder"},
    };
    return files;
}

}  // namespace vt::test
