// The single pass that builds a document's element index.
#pragma once

#include <string>
#include <string_view>

#include "xml/element_index.h"

namespace vt::xml {

// Compares two names byte for byte, or with ASCII case folded.
bool NamesEqual(std::string_view a, std::string_view b, bool ignoreCase);

// Rebuilds index from text (record 0 is the document) and appends the parse
// events to report. Markup errors never stop the parse.
void ParseDocument(std::string_view text, bool ignoreCase, ElementIndex& index,
                   std::string& report);

// True when record 0 is not marked, a root element exists and it has no
// following sibling.
bool IsWellFormedIndex(const ElementIndex& index);

}  // namespace vt::xml
