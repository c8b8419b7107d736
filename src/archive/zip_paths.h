// Member names as paths: separators in local-code-page text, the names that
// must never be written, and directory chains under a base directory.
#pragma once

#include <string>
#include <unordered_map>

namespace vt::archive {

// Separators are "/" and "\\" outside double-byte characters (a GBK trail
// byte may be 0x5C).

// The part up to and including the last separator; empty when none.
std::string DirectoryPart(const std::string& name);

// True for a relative name that stays below its directory and that Windows
// can hold: not empty, no leading separator, no ":" (drive letters, streams)
// nor another character Windows forbids ("*?\"<>|", control characters; a
// name the code page could not spell arrives with "?"), no component made only
// of dots and spaces with two or more dots ("..", "...", ".. "), and no
// component that Windows takes for a device ("aux.lua", "NUL", "com1.txt").
bool IsSafeMemberName(const std::string& name);

// True when a component is a Windows device name: CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, CONIN$ or CONOUT$, in any letter case, alone or before
// an extension (trailing spaces ignored).
bool IsDeviceName(const std::string& component);

// True when baseDirectory + any leading part of path (up to a separator, or
// the whole path) exists as a symbolic link or junction: writing there would
// land outside baseDirectory.
bool CrossesLink(const std::string& baseDirectory, const std::string& path);

// The directories one extraction made below its base directory, and the
// existing ones it found to be real directories, each made or checked once
// instead of once per member.
class KnownDirectories {
  public:
    enum Outcome {
        kMade,         // the deepest directory was made by this extraction
        kExisting,     // it was there already (a real directory, or not made)
        kThroughLink,  // a part of the path is a link: nothing below it is made
    };
    // Makes baseDirectory + each prefix of path up to a separator, shortest
    // first, then the whole path when it does not end with a separator; an
    // existing part that is a link stops the walk. Names are relative, as
    // IsSafeMemberName allows them; an empty path is the base itself.
    Outcome Make(const std::string& baseDirectory, const std::string& path);
    // True when path (as given to Make, a trailing separator allowed) was made
    // by this extraction: nothing in it can be a link or an older file.
    bool Made(const std::string& path) const;

  private:
    Outcome MakeOne(const std::string& baseDirectory, const std::string& path);

    std::unordered_map<std::string, bool> known_;  // relative path -> made by us
};

}  // namespace vt::archive
