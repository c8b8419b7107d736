// The single pass that builds a document's element index.
#pragma once

#include <string>
#include <string_view>

#include "xml/char_classes.h"
#include "xml/element_index.h"

namespace vt::xml {

// Compares two names byte for byte, or with ASCII case folded. Inline: the
// readers call it for every attribute they look at.
inline bool NamesEqual(std::string_view a, std::string_view b, bool ignoreCase) {
    if (a.size() != b.size()) {
        return false;
    }
    if (!ignoreCase) {
        return a == b;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(static_cast<unsigned char>(a[i])) !=
            AsciiUpper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Rebuilds index from text (record 0 is the document) and appends the parse
// events to report. Markup errors never stop the parse.
void ParseDocument(std::string_view text, bool ignoreCase, ElementIndex& index,
                   std::string& report);

// True when record 0 is not marked, a root element exists and it has no
// following sibling.
bool IsWellFormedIndex(const ElementIndex& index);

}  // namespace vt::xml
