// Member names as paths: separators in local-code-page text, the names that
// must never be written, and directory chains under a base directory.
#pragma once

#include <string>

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

// Creates baseDirectory + each prefix of path up to a separator, shortest
// first, then baseDirectory + path; failures are ignored.
void MakeDirectoryChain(const std::string& baseDirectory, const std::string& path);

}  // namespace vt::archive
