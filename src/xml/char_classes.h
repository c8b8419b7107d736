// Byte classes of the markup reader. The document text is in the local code
// page, so a lead byte of a multi-byte character carries its trail bytes with
// it: a trail byte is never taken for markup.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vt::xml {

inline bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Bytes that end an element or attribute name in the text.
inline bool IsNameEnd(unsigned char c) {
    switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '\r':
        case '<':
        case '>':
        case '=':
        case '\\':
        case '/':
        case '?':
        case '!':
        case '"':
        case '\'':
        case ';':
            return true;
        default:
            return false;
    }
}

// Bytes that may follow '<' to open a start tag: ':', 'A'-'Z', '_' or any byte
// from 'a' (0x61) upward.
inline bool IsStartNameChar(unsigned char c) {
    return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || c >= 'a';
}

inline unsigned char AsciiLower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}
inline unsigned char AsciiUpper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

// The first c in text[0, size), or nullptr. Eight bytes at a time: attribute
// values are mostly too short for memchr's call to pay off.
inline const char* FindByte(const char* text, size_t size, char c) {
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t kOnes = 0x0101010101010101u;
        const uint64_t pattern = kOnes * static_cast<unsigned char>(c);
        for (; i + 8 <= size; i += 8) {
            if (i == 32) {
                // A long value: memchr's wide loop is worth its call now.
                return static_cast<const char*>(std::memchr(text + i, c, size - i));
            }
            uint64_t word = 0;
            std::memcpy(&word, text + i, 8);
            word ^= pattern;
            // The lowest flagged byte is the first zero byte of word.
            const uint64_t zeros = (word - kOnes) & ~word & (kOnes << 7);
            if (zeros != 0) {
                return text + i + std::countr_zero(zeros) / 8;
            }
        }
    }
    for (; i < size; ++i) {
        if (text[i] == c) {
            return text + i;
        }
    }
    return nullptr;
}

#if defined(__SSE2__)
// Where three given bytes and the bytes from 0x80 up lie in text[0, 64),
// bit k standing for text[k].
struct ByteMasks64 {
    uint64_t first, second, third, high;
};

inline ByteMasks64 FindBytes64(const char* text, char first, char second, char third) {
    const __m128i a = _mm_set1_epi8(first);
    const __m128i b = _mm_set1_epi8(second);
    const __m128i c = _mm_set1_epi8(third);
    const __m128i* blocks = reinterpret_cast<const __m128i*>(text);
    const __m128i block0 = _mm_loadu_si128(blocks);
    const __m128i block1 = _mm_loadu_si128(blocks + 1);
    const __m128i block2 = _mm_loadu_si128(blocks + 2);
    const __m128i block3 = _mm_loadu_si128(blocks + 3);
    // Written out for the four blocks (the compiler keeps a loop over them,
    // with shifts by a variable count); a movemask has sixteen bits and
    // zeros above them.
    const auto join = [](int bits0, int bits1, int bits2, int bits3) {
        return uint64_t{static_cast<uint32_t>(bits0)} |
               uint64_t{static_cast<uint32_t>(bits1)} << 16 |
               uint64_t{static_cast<uint32_t>(bits2)} << 32 |
               uint64_t{static_cast<uint32_t>(bits3)} << 48;
    };
    const auto equal = [&](__m128i pattern) {
        return join(_mm_movemask_epi8(_mm_cmpeq_epi8(block0, pattern)),
                    _mm_movemask_epi8(_mm_cmpeq_epi8(block1, pattern)),
                    _mm_movemask_epi8(_mm_cmpeq_epi8(block2, pattern)),
                    _mm_movemask_epi8(_mm_cmpeq_epi8(block3, pattern)));
    };
    return {equal(a), equal(b), equal(c),
            join(_mm_movemask_epi8(block0), _mm_movemask_epi8(block1), _mm_movemask_epi8(block2),
                 _mm_movemask_epi8(block3))};
}
#endif

// Bit k is set when mask has an odd number of bits at k and below: between
// pairs of quotes, the opening one included.
inline uint64_t PrefixXor64(uint64_t mask) {
    mask ^= mask << 1;
    mask ^= mask << 2;
    mask ^= mask << 4;
    mask ^= mask << 8;
    mask ^= mask << 16;
    mask ^= mask << 32;
    return mask;
}

// The first quote byte in text[0, size), or nullptr when there is none;
// ampersand is set when a '&' comes before it. Reads an attribute value and
// tells whether it needs decoding in one pass, sixteen bytes at a time with
// SSE2.
inline const char* FindValueEnd(const char* text, size_t size, char quote, bool& ampersand) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i quotes = _mm_set1_epi8(quote);
    const __m128i ampersands = _mm_set1_epi8('&');
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const unsigned ends =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, quotes)));
        const unsigned amps =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, ampersands)));
        if (ends != 0) {
            const unsigned before = ends ^ (ends - 1);  // the bits up to the quote
            ampersand = ampersand || (amps & before) != 0;
            return text + i + std::countr_zero(ends);
        }
        ampersand = ampersand || amps != 0;
    }
#endif
    for (; i < size; ++i) {
        if (text[i] == quote) {
            return text + i;
        }
        ampersand = ampersand || text[i] == '&';
    }
    return nullptr;
}

// Lengths in bytes of the character that starts with each byte in the local
// code page (1 for single bytes and for anything that is not a lead byte).
using CharLengths = uint8_t[256];
const CharLengths& LocalCharLengths();

// For each byte: 0 when it ends a name (IsNameEnd), else the length of the
// character it starts in the local code page.
const CharLengths& NameSteps();

// Advance past the character at text[i], never beyond size.
inline size_t NextChar(const CharLengths& lengths, const char* text, size_t i, size_t size) {
    const size_t n = i + lengths[static_cast<unsigned char>(text[i])];
    return n < size ? n : size;
}

}  // namespace vt::xml
