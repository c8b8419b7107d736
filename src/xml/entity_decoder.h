// Decoding of character and entity references in attribute values and text.
#pragma once

#include <string>
#include <string_view>

namespace vt::xml {

// Appends text to out with every reference that the local code page can
// represent replaced by its character. A reference is '&', at most 8 ASCII
// bytes (letters compared lowered) and ';': "#x" hex or '#' decimal digits, or
// a name of the entity table. Unknown names, code point 0, code points the
// local code page lacks, and anything else leave the '&' as written.
void AppendDecoded(std::string_view text, std::string& out);

inline std::string Decoded(std::string_view text) {
    std::string out;
    AppendDecoded(text, out);
    return out;
}

}  // namespace vt::xml
