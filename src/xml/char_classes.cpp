#include "xml/char_classes.h"

#include <array>

#include "platform/code_page.h"

namespace vt::xml {

namespace {

// Character lengths by lead byte for the double-byte code pages and UTF-8;
// every other code page is single-byte.
std::array<uint8_t, 256> BuildLengths(unsigned codePage) {
    std::array<uint8_t, 256> lengths;
    for (unsigned c = 0; c < 0x100; ++c) {
        if (codePage == platform::kCodePageUtf8) {
            lengths[c] = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        } else {
            lengths[c] = platform::IsLeadByte(codePage, static_cast<unsigned char>(c)) ? 2 : 1;
        }
    }
    return lengths;
}

}  // namespace

const CharLengths& LocalCharLengths() {
    static const std::array<uint8_t, 256> lengths = BuildLengths(platform::LocalCodePage());
    return *reinterpret_cast<const CharLengths*>(lengths.data());
}

const CharLengths& NameSteps() {
    static const std::array<uint8_t, 256> steps = [] {
        std::array<uint8_t, 256> t;
        const CharLengths& lengths = LocalCharLengths();
        for (unsigned c = 0; c < 256; ++c) {
            t[c] = IsNameEnd(static_cast<unsigned char>(c)) ? 0 : lengths[c];
        }
        return t;
    }();
    return *reinterpret_cast<const CharLengths*>(steps.data());
}

}  // namespace vt::xml
