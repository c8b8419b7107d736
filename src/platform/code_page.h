// Text conversion between code pages. "Local" is the system's ANSI code page:
// GBK (936) on the target systems and always on the POSIX side, which behaves
// as a Chinese Windows. Unconvertible characters become '?'.
#pragma once

#include <string>
#include <string_view>

namespace vt::platform {

constexpr unsigned kCodePageUtf8 = 65001;
constexpr unsigned kCodePageUtf16LE = 1200;
constexpr unsigned kCodePageUtf16BE = 1201;

// The local ANSI code page number.
unsigned LocalCodePage();
// True when byte c begins a two-byte character in codePage: one of the
// double-byte code pages 932 (Shift-JIS), 936 (GBK), 949 (Unified Hangul),
// 950 (Big5) and 1361 (Johab). Its trail byte may be 0x5C, the backslash, or
// any other ASCII byte from 0x40 up, which then is no character of its own.
bool IsLeadByte(unsigned codePage, unsigned char c);
// Local texts equal but for the case of their ASCII letters; a double-byte
// character's trail byte is part of that character, never a letter.
bool EqualsIgnoreCaseLocal(std::string_view a, std::string_view b);
// Where wanted first starts in local text, at a character's start and
// without regard to the case of ASCII letters; npos when nowhere.
size_t FindIgnoreCaseLocal(std::string_view text, std::string_view wanted);
// True when bytes of codePage can be converted on this system.
bool IsCodePageSupported(unsigned codePage);

// Decodes bytes of codePage to UTF-16; false when the code page is unknown.
bool DecodeCodePage(unsigned codePage, std::string_view bytes, std::u16string& out);
// Encodes UTF-16 into codePage; false when the code page is unknown.
bool EncodeCodePage(unsigned codePage, std::u16string_view text, std::string& out);

std::u16string LocalToUtf16(std::string_view local);
std::string Utf16ToLocal(std::u16string_view text);
std::string LocalToUtf8(std::string_view local);
std::string Utf8ToLocal(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view utf8);

}  // namespace vt::platform
