#include <string>

#include "platform/code_page.h"
#include "xml/char_classes.h"
#include "xml/encoding_table.h"

namespace vt::xml {

unsigned ResolveEncoding(std::string_view name) {
    if (name.empty()) {
        return platform::LocalCodePage();
    }
    if (name.substr(0, 6) == "UTF-32") {
        return name.substr(6) == "BE" ? kCodePageUtf32BE : kCodePageUtf32LE;
    }
    if (name.size() >= 100) {
        return 0;
    }
    std::string lower(name);
    for (char& c : lower) {
        c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
    }
    return LookupEncodingName(lower);
}

bool NeedsConversion(std::string_view from, std::string_view to) {
    const unsigned fromPage = ResolveEncoding(from);
    const unsigned toPage = ResolveEncoding(to);
    return fromPage != 0 && toPage != 0 && fromPage != toPage;
}

}  // namespace vt::xml
