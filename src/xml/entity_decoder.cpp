#include "xml/entity_decoder.h"

#include <cstring>

#include "platform/code_page.h"
#include "xml/char_classes.h"
#include "xml/entity_table.h"

namespace vt::xml {

namespace {

constexpr size_t kMaxReferenceBytes = 9;  // the bytes after '&', ';' included
constexpr size_t kMaxCharacterBytes = 5;

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The code point of a lowered reference body (between '&' and ';'), 0 if none.
char32_t ReferenceCodePoint(std::string_view body) {
    if (body.empty() || body[0] != '#') {
        return LookupEntity(body);
    }
    const bool hex = body.size() > 1 && body[1] == 'x';
    uint32_t value = 0;
    for (size_t i = hex ? 2 : 1; i < body.size(); ++i) {
        const int digit =
            hex ? HexValue(body[i]) : (body[i] >= '0' && body[i] <= '9' ? body[i] - '0' : -1);
        if (digit < 0) {
            break;
        }
        value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
        if (value > 0x10FFFF) {
            return 0;
        }
    }
    return value;
}

// The character in the local code page, or false when it has none.
bool LocalCharacter(char32_t code, std::string& bytes) {
    if (code < 0x80) {
        bytes.assign(1, static_cast<char>(code));
        return true;
    }
    std::u16string utf16;
    if (code >= 0x10000) {
        utf16 += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        utf16 += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
        utf16 += static_cast<char16_t>(code);
    }
    if (!platform::EncodeCodePage(platform::LocalCodePage(), utf16, bytes)) {
        return false;
    }
    // The conversion marks a character it lacks with '?'.
    return !bytes.empty() && bytes.size() <= kMaxCharacterBytes &&
           std::memchr(bytes.data(), '?', bytes.size()) == nullptr;
}

}  // namespace

void AppendDecoded(std::string_view text, std::string& out) {
    size_t i = 0;
    std::string character;
    while (i < text.size()) {
        // '&' is never a trail byte of a multi-byte character.
        const char* amp = FindByte(text.data() + i, text.size() - i, '&');
        if (amp == nullptr) {
            out.append(text.data() + i, text.size() - i);
            return;
        }
        const size_t at = amp - text.data();
        out.append(text.data() + i, at - i);
        i = at + 1;

        char body[kMaxReferenceBytes];
        size_t length = 0;
        bool closed = false;
        for (size_t k = at + 1; k < text.size() && k <= at + kMaxReferenceBytes; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[k]);
            if (c >= 0x80) {
                break;
            }
            if (c == ';') {
                closed = true;
                break;
            }
            body[length++] = static_cast<char>(AsciiLower(c));
        }
        const char32_t code = closed ? ReferenceCodePoint(std::string_view(body, length)) : 0;
        if (code != 0 && LocalCharacter(code, character)) {
            out += character;
            i = at + length + 2;
        } else {
            out += '&';
        }
    }
}

}  // namespace vt::xml
