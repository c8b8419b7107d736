// Base64 (RFC 4648, padded, no line breaks), used for Basic credentials.
#pragma once

#include <string>

namespace vt::net {

// Encodes text up to its first NUL.
std::string Base64Encode(const std::string& text);

}  // namespace vt::net
