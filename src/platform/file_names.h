// File names and paths in the local code page: where their separators are,
// and the names the code page cannot spell.
//
// A name the system code page cannot spell (Korean, emoji, on POSIX also
// bytes that are not UTF-8 or characters Windows forbids in names) reaches
// the core in an escaped form: an optional "." (when the real name begins
// with one, so the "hidden-style" rule still sees it), a "?" and the real
// name in upper-case hexadecimal (the UTF-16 code units on Windows, the raw
// bytes on POSIX). "?" can stand in no Windows name, and on POSIX a real name
// holding it is escaped itself, so an escaped form never names a different
// real entry. Every operation of files.h accepts escaped components.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vt::platform {

// True when name is an escaped form.
bool IsEscapedName(std::string_view name);
// The local form of one file name given as UTF-8: the name itself when the
// code page spells it, else its escaped form.
std::string FileNameFromUtf8(const std::string& utf8);
// A local name or path as UTF-8 text for people, escaped components shown as
// their real names.
std::string PathToUtf8(const std::string& local);

// The order in which NTFS lists a directory: names compared code unit by
// code unit after upper-casing, as UTF-16. Negative, 0 or positive.
int CompareFileNames(std::u16string_view a, std::u16string_view b);

// Shared by the platform implementations.
std::string EscapeName(std::string_view rawHex, bool leadingDot);
// The hexadecimal digits of an escaped name (empty when it is none).
std::string_view EscapedDigits(std::string_view name);
std::string HexOfBytes(std::string_view bytes);
std::string HexOfUnits(std::u16string_view units);
// Decodes pairs (bytes) or quads (code units) of hexadecimal digits; false
// when the digits do not fit.
bool BytesOfHex(std::string_view hex, std::string& bytes);
bool UnitsOfHex(std::string_view hex, std::u16string& units);
// Offsets of the separators of a local path, in order: every "\\" or "/"
// that is a character of its own, not the trail byte of a double-byte
// character (IsLeadByte of code_page.h).
std::vector<size_t> PathSeparators(std::string_view local);
// The last of them, or npos.
size_t LastPathSeparator(std::string_view local);
// The parts of a local path in order: its components and, as parts of their
// own, the separators.
std::vector<std::string> SplitPath(const std::string& local);

}  // namespace vt::platform
