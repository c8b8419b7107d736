// Conversion of a document's text to the local code page. UTF-16 and UTF-32
// are unpacked here; every other code page goes through the platform.
#include <algorithm>

#include "platform/code_page.h"
#include "xml/document_file.h"
#include "xml/encoding_table.h"
#include "xml/local_encoder.h"

namespace vt::xml {

namespace {

void AppendCodePoint(char32_t code, std::u16string& out) {
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out += u'?';
    } else if (code >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
        out += static_cast<char16_t>(code);
    }
}

bool DecodeToUtf16(unsigned from, std::string_view text, std::u16string& units) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    switch (from) {
        case platform::kCodePageUtf16LE:
        case platform::kCodePageUtf16BE: {
            const bool big = from == platform::kCodePageUtf16BE;
            units.resize(text.size() / 2);
            for (size_t i = 0; i < units.size(); ++i) {
                units[i] = static_cast<char16_t>(big ? byte(2 * i) << 8 | byte(2 * i + 1)
                                                     : byte(2 * i + 1) << 8 | byte(2 * i));
            }
            return true;
        }
        case kCodePageUtf32LE:
        case kCodePageUtf32BE: {
            const bool big = from == kCodePageUtf32BE;
            units.clear();
            units.reserve(text.size() / 4 + text.size() / 400);
            for (size_t i = 0; i + 4 <= text.size(); i += 4) {
                const char32_t code = big ? char32_t{byte(i)} << 24 | byte(i + 1) << 16 |
                                                byte(i + 2) << 8 | byte(i + 3)
                                          : char32_t{byte(i + 3)} << 24 | byte(i + 2) << 16 |
                                                byte(i + 1) << 8 | byte(i);
                AppendCodePoint(code, units);
            }
            return true;
        }
        default:
            return platform::DecodeCodePage(from, text, units);
    }
}

}  // namespace

void Utf16ToLocal(std::u16string_view units, std::string& out, bool& lossy) {
    out.clear();
    lossy = false;
    AppendUtf16AsLocal(units, out, lossy);
}

bool ConvertToLocal(unsigned from, std::string_view text, std::string& out, bool& lossy) {
    if (from == platform::kCodePageUtf8) {
        out.clear();
        lossy = false;
        AppendUtf8AsLocal(text, out, lossy);
        return true;
    }
    std::u16string units;
    if (!DecodeToUtf16(from, text, units)) {
        return false;
    }
    Utf16ToLocal(units, out, lossy);
    return true;
}

bool LooksLikeUtf8(std::string_view text, size_t& nonAscii) {
    nonAscii = 0;
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == 0) {
            break;
        }
        if (c < 0x80) {
            ++i;
            continue;
        }
        const size_t trail = (c & 0xE0) == 0xC0   ? 1
                             : (c & 0xF0) == 0xE0 ? 2
                             : (c & 0xF8) == 0xF0 ? 3
                                                  : 0;
        if (trail == 0 || i + trail >= size) {
            return false;
        }
        for (size_t k = 1; k <= trail; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        ++nonAscii;
        i += trail + 1;
    }
    return true;
}

}  // namespace vt::xml
