// Path text in the local code page, which may be a double-byte code page: a
// GBK trail byte can be 0x5C, the backslash, and is no separator.
#pragma once

#include <string>

namespace vt {

// Offset of the last "\\" or "/" that is a character of its own, or npos.
size_t LastPathSeparator(const std::string& path);

}  // namespace vt
