// Member names as paths: separators in local-code-page text, the names that
// must never be written, and directory chains under a base directory.
#pragma once

#include <string>

namespace vt {

// Separators are "/" and "\\" outside double-byte characters (a GBK trail
// byte may be 0x5C).

// The part up to and including the last separator; empty when none.
std::string DirectoryPart(const std::string& name);

// True for a relative name that stays below its directory: not empty, no
// leading separator, no ":" (drive letters, streams), and no component made
// only of dots and spaces with two or more dots ("..", "...", ".. ").
bool IsSafeMemberName(const std::string& name);

// Creates baseDirectory + each prefix of path up to a separator, shortest
// first, then baseDirectory + path; failures are ignored.
void MakeDirectoryChain(const std::string& baseDirectory, const std::string& path);

}  // namespace vt
