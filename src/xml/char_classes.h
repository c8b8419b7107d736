// Byte classes of the markup reader. The document text is in the local code
// page, so a lead byte of a multi-byte character carries its trail bytes with
// it: a trail byte is never taken for markup.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
