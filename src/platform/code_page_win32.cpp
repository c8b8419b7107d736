#include <windows.h>

#include "platform/code_page.h"

namespace vt::platform {

namespace {

void SwapBytes(std::u16string& text) {
    for (char16_t& unit : text)
        unit = static_cast<char16_t>((unit << 8) | (unit >> 8));
}

}  // namespace

unsigned LocalCodePage() {
    return GetACP();
}

bool IsCodePageSupported(unsigned codePage) {
    return codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE ||
           IsValidCodePage(codePage) != 0;
}

bool DecodeCodePage(unsigned codePage, std::string_view bytes, std::u16string& out) {
    if (codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE) {
        out.assign(bytes.size() / 2, u'\0');
        for (size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                           (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        }
        if (codePage == kCodePageUtf16BE)
            SwapBytes(out);
        return true;
    }
    if (!IsValidCodePage(codePage))
        return false;
    out.clear();
    if (bytes.empty())
        return true;
    const int size = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (needed <= 0)
        return false;
    out.resize(static_cast<size_t>(needed));
    MultiByteToWideChar(codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()),
                        needed);
    return true;
}

bool EncodeCodePage(unsigned codePage, std::u16string_view text, std::string& out) {
    if (codePage == kCodePageUtf16LE || codePage == kCodePageUtf16BE) {
        std::u16string units(text);
        if (codePage == kCodePageUtf16BE)
            SwapBytes(units);
        out.assign(reinterpret_cast<const char*>(units.data()), units.size() * 2);
        return true;
    }
    if (!IsValidCodePage(codePage))
        return false;
    out.clear();
    if (text.empty())
        return true;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return false;
    out.resize(static_cast<size_t>(needed));
    WideCharToMultiByte(codePage, 0, wide, size, out.data(), needed, nullptr, nullptr);
    return true;
}

}  // namespace vt::platform
