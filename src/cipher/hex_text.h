// Hexadecimal digits, shared by the cipher's hex text and the URL codec.
#pragma once

namespace vt::cipher {

// The value of one hexadecimal digit (either case), or -1.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The upper-case digit for a value from 0 to 15.
inline char UpperHexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0x0F];
}

}  // namespace vt::cipher
