// The ASCII text rules the parsers of every layer share (settings files,
// version files, headers, URLs, XML declarations): blanks at the ends and
// letters without regard to case. Bytes from 0x80 are left alone.
#pragma once

#include <string_view>

namespace vt::platform {

// Blanks of one line, and of any text.
constexpr std::string_view kLineBlanks = " \t";
constexpr std::string_view kAllBlanks = " \t\r\n\v\f";

// text without the characters of blanks at either end.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = kLineBlanks);
// a and b equal but for the case of their ASCII letters.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vt::platform
