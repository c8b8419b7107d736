#include "xml/char_classes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace vt::xml {
namespace {

// The word-wise search finds exactly what memchr finds, wherever the byte
// sits in a word, with bytes next to it that upset a careless zero test
// (0x01 above a match borrows, 0x80 and 0xFF carry the high bit).
TEST(CharClassesTest, FindByteAgreesWithMemchr) {
    std::string text;
    const char fill[] = {'a', '\x01', '\x80', '\xFF', '"', '\x21', '\xA2', '&'};
    for (int i = 0; i < 61; ++i) {
        text += fill[(i * 5 + i / 3) % 8];
    }
    for (const char c : {'"', '&', '\'', '\x01', '\x80', '\xFF', '\0'}) {
        for (size_t start = 0; start < text.size(); ++start) {
            for (size_t size = 0; start + size <= text.size(); ++size) {
                const void* expected = std::memchr(text.data() + start, c, size);
                ASSERT_EQ(FindByte(text.data() + start, size, c), expected)
                    << "byte " << int(static_cast<unsigned char>(c)) << " from " << start
                    << " size " << size;
            }
        }
    }
    // A long value: the one match anywhere in it, or none.
    for (size_t at = 0; at <= 100; ++at) {
        std::string value(100, 'a');
        if (at < value.size())
            value[at] = '"';
        const char* found = FindByte(value.data(), value.size(), '"');
        ASSERT_EQ(found, at < value.size() ? value.data() + at : nullptr) << at;
    }
}

// A value's end and whether a '&' comes before it, wherever the two fall
// in the sixteen-byte blocks; a '&' after the end does not count.
TEST(CharClassesTest, FindValueEndTellsOfAmpersandsBeforeTheQuote) {
    for (size_t quote = 0; quote <= 40; ++quote) {
        for (size_t amp = 0; amp <= 41; ++amp) {
            std::string value(41, 'v');
            if (quote < value.size())
                value[quote] = '"';
            if (amp < value.size() && amp != quote)
                value[amp] = '&';
            bool ampersand = false;
            const char* end = FindValueEnd(value.data(), value.size(), '"', ampersand);
            ASSERT_EQ(end, quote < value.size() ? value.data() + quote : nullptr)
                << quote << " " << amp;
            ASSERT_EQ(ampersand, amp < quote && amp < value.size()) << quote << " " << amp;
        }
    }
}

}  // namespace
}  // namespace vt::xml
