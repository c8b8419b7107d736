#include "net/url_codec.h"

#include <climits>

#include "cipher/hex_text.h"
#include "platform/code_page.h"
#include "platform/system.h"

namespace vt::net {

namespace {

bool IsSpace(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool StaysUnencoded(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
        case '-':
        case '_':
        case '.':
        case '!':
        case '~':
        case '*':
        case '\'':
        case '(':
        case ')':
        case '|':
            return true;
        default:
            return false;
    }
}

// Local text to UTF-8 the way the servers expect it: every byte of 128 or
// more starts a two-byte character that is written as three UTF-8 bytes, even
// when its value would fit in two.
std::string LocalToThreeByteUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const size_t take = i + 1 < text.size() ? 2 : 1;
        const std::u16string wide = platform::LocalToUtf16(text.substr(i, take));
        const char16_t unit = wide.empty() ? u'?' : wide[0];
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
        i += take;
    }
    return out;
}

std::string PercentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            const int high = i + 1 < text.size() ? cipher::HexDigitValue(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? cipher::HexDigitValue(text[i + 2]) : -1;
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high << 4 | low);
                i += 2;
            }
        } else if (c == '+') {
            out += ' ';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// UTF-8 of 1 to 6 bytes to UTF-16 units, one unit per character. Continuation
// bytes are not checked; characters beyond 16 bits and sequences cut off by the
// end of the text become "?".
std::u16string LenientUtf8ToUtf16(const std::string& bytes) {
    std::u16string out;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead == 0)
            break;
        size_t length;
        uint32_t value;
        if (lead < 0x80)
            length = 1, value = lead;
        else if ((lead & 0xE0) == 0xC0)
            length = 2, value = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0)
            length = 3, value = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0)
            length = 4, value = lead & 0x07;
        else if ((lead & 0xFC) == 0xF8)
            length = 5, value = lead & 0x03;
        else if ((lead & 0xFE) == 0xFC)
            length = 6, value = lead & 0x01;
        else {
            out += u'?';
            ++i;
            continue;
        }
        if (i + length > bytes.size()) {
            out += u'?';
            break;
        }
        for (size_t k = 1; k < length; ++k)
            value = (value << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        out += value > 0xFFFF ? u'?' : static_cast<char16_t>(value);
        i += length;
    }
    return out;
}

}  // namespace

std::string UrlEncode(const std::string& text) {
    std::string out;
    for (char ch : LocalToThreeByteUtf8(text)) {
        const auto c = static_cast<unsigned char>(ch);
        if (StaysUnencoded(c)) {
            out += ch;
        } else if (IsSpace(c)) {
            out += '+';
        } else {
            out += '%';
            out += cipher::UpperHexDigit(c >> 4);
            out += cipher::UpperHexDigit(c);
        }
    }
    return out;
}

std::string UrlDecodeToLocal(const std::string& text) {
    return platform::Utf16ToLocal(LenientUtf8ToUtf16(PercentDecode(text)));
}

int AppendQueryParam(std::string& query, const std::string& name, const std::string& value) {
    if (name.empty())
        return 0;
    const std::string encoded = UrlEncode(value);
    if (!query.empty())
        query += '&';
    query += name + "=" + encoded;
    platform::DebugOutput(name + "== " + value + " == encode == " + encoded);
    return 1;
}

std::string QueryValue(const std::string& text, const std::string& name) {
    const std::string key = name + "=";
    const size_t at = text.find(key);
    if (at == std::string::npos)
        return {};
    const size_t start = at + key.size();
    const size_t end = text.find('&', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int NumberAfterEquals(const std::string& text) {
    const size_t equals = text.find('=');
    size_t i = equals == std::string::npos ? 0 : equals + 1;
    while (i < text.size() && IsSpace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;  // clamp instead of overflowing
    }
    return static_cast<int>(negative ? -value : value);
}

}  // namespace vt::net
