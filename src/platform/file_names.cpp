#include "platform/file_names.h"

#include "platform/code_page.h"

namespace vt::platform {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The upper-case form NTFS compares: Latin, Greek, Cyrillic and full-width
// Latin letters; everything else is its own upper case.
char16_t UpperUnit(char16_t c) {
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF)
        return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c & ~1u);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1u) ? c : static_cast<char16_t>(c - 1);
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
        return static_cast<char16_t>(c - 0x20);
    if (c == 0x3C2)
        return 0x3A3;
    if (c >= 0x430 && c <= 0x44F)
        return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F)
        return static_cast<char16_t>(c - 0x50);
    if (c >= 0xFF41 && c <= 0xFF5A)
        return static_cast<char16_t>(c - 0x20);
    return c;
}

}  // namespace

bool IsEscapedName(std::string_view name) {
    return !EscapedDigits(name).empty();
}

std::string_view EscapedDigits(std::string_view name) {
    if (!name.empty() && name.front() == '.')
        name.remove_prefix(1);
    if (name.size() < 3 || name.front() != '?')
        return {};
    name.remove_prefix(1);
    for (char c : name) {
        if (HexValue(c) < 0)
            return {};
    }
    return name.size() % 2 == 0 ? name : std::string_view();
}

std::string EscapeName(std::string_view rawHex, bool leadingDot) {
    std::string name = leadingDot ? ".?" : "?";
    name += rawHex;
    return name;
}

std::string HexOfBytes(std::string_view bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 15];
    }
    return hex;
}

std::string HexOfUnits(std::u16string_view units) {
    std::string hex;
    hex.reserve(units.size() * 4);
    for (char16_t unit : units) {
        for (int shift = 12; shift >= 0; shift -= 4)
            hex += kHexDigits[(unit >> shift) & 15];
    }
    return hex;
}

bool BytesOfHex(std::string_view hex, std::string& bytes) {
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool UnitsOfHex(std::string_view hex, std::u16string& units) {
    if (hex.size() % 4 != 0)
        return false;
    units.clear();
    for (size_t i = 0; i < hex.size(); i += 4) {
        unsigned value = 0;
        for (size_t j = i; j < i + 4; ++j) {
            const int digit = HexValue(hex[j]);
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        units += static_cast<char16_t>(value);
    }
    return true;
}

std::vector<size_t> PathSeparators(std::string_view local) {
    const unsigned codePage = LocalCodePage();
    std::vector<size_t> found;
    for (size_t i = 0; i < local.size(); ++i) {
        const auto c = static_cast<unsigned char>(local[i]);
        if (IsLeadByte(codePage, c)) {
            ++i;  // its trail byte is no separator
        } else if (c == '\\' || c == '/') {
            found.push_back(i);
        }
    }
    return found;
}

size_t LastPathSeparator(std::string_view local) {
    const std::vector<size_t> separators = PathSeparators(local);
    return separators.empty() ? std::string::npos : separators.back();
}

std::vector<std::string> SplitPath(const std::string& local) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at : PathSeparators(local)) {
        if (at > start)
            parts.push_back(local.substr(start, at - start));
        parts.push_back(local.substr(at, 1));
        start = at + 1;
    }
    if (start < local.size())
        parts.push_back(local.substr(start));
    return parts;
}

int CompareFileNames(std::u16string_view a, std::u16string_view b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const char16_t x = UpperUnit(a[i]), y = UpperUnit(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return 0;
}

}  // namespace vt::platform
