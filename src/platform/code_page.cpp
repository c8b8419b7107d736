// The parts of code-page conversion that need no operating system: UTF-8 and
// UTF-16 are converted here, and ASCII text passes through unchanged.
#include "platform/code_page.h"

#include <algorithm>

namespace vt::platform {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The length of the local character that starts at text[at]: 2 for a lead
// byte followed by its trail, else 1.
size_t LocalCharLength(std::string_view text, size_t at) {
    return IsLeadByte(LocalCodePage(), static_cast<unsigned char>(text[at])) && at + 1 < text.size()
               ? 2
               : 1;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when wanted lies at text[at], character by character.
bool MatchesAt(std::string_view text, size_t at, std::string_view wanted) {
    if (text.size() - at < wanted.size())
        return false;
    for (size_t i = 0; i < wanted.size();) {
        const size_t length = LocalCharLength(wanted, i);
        if (length != LocalCharLength(text, at + i))
            return false;
        if (length == 2 ? text.compare(at + i, 2, wanted.substr(i, 2)) != 0
                        : AsciiLower(text[at + i]) != AsciiLower(wanted[i]))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

bool EqualsIgnoreCaseLocal(std::string_view a, std::string_view b) {
    return a.size() == b.size() && MatchesAt(a, 0, b);
}

size_t FindIgnoreCaseLocal(std::string_view text, std::string_view wanted) {
    for (size_t at = 0; at <= text.size(); at += LocalCharLength(text, at)) {
        if (MatchesAt(text, at, wanted))
            return at;
        if (at == text.size())
            break;
    }
    return std::string_view::npos;
}

bool IsLeadByte(unsigned codePage, unsigned char c) {
    switch (codePage) {
        case 932:
            return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        case 936:
        case 949:
        case 950:
        case 1361:
            return c >= 0x81 && c <= 0xFE;
        default:
            return false;
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;  // unpaired surrogate
        }
        AppendUtf8(code, out);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80   ? 0
                    : lead < 0xC2 ? -1
                    : lead < 0xE0 ? 1
                    : lead < 0xF0 ? 2
                    : lead < 0xF5 ? 3
                                  : -1;
        char32_t code = extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
        if (extra == 0)
            code = lead;
        bool valid = extra >= 0 && i + extra < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (valid && ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
                      (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))) {
            valid = false;
        }
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += extra + 1;
    }
    return out;
}

std::u16string LocalToUtf16(std::string_view local) {
    std::u16string out;
    if (IsAscii(local))
        return std::u16string(local.begin(), local.end());
    DecodeCodePage(LocalCodePage(), local, out);
    return out;
}

std::string Utf16ToLocal(std::u16string_view text) {
    std::string out;
    EncodeCodePage(LocalCodePage(), text, out);
    return out;
}

std::string LocalToUtf8(std::string_view local) {
    if (IsAscii(local))
        return std::string(local);
    return Utf16ToUtf8(LocalToUtf16(local));
}

std::string Utf8ToLocal(std::string_view utf8) {
    if (IsAscii(utf8))
        return std::string(utf8);
    return Utf16ToLocal(Utf8ToUtf16(utf8));
}

}  // namespace vt::platform
