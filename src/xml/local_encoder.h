// Fast conversion to the local code page. The platform's conversion of every
// character of the Basic Multilingual Plane is taken once into a table, so
// converting a whole document is a table walk; characters beyond the plane
// still go through the platform.
#pragma once

#include <string>
#include <string_view>

namespace vt::xml {

// Appends UTF-16 text in the local code page; lossy is set when a character
// had no equivalent (it becomes '?').
void AppendUtf16AsLocal(std::u16string_view units, std::string& out, bool& lossy);

// Appends UTF-8 text in the local code page. A byte that does not start a
// valid sequence becomes '?' (and sets lossy).
void AppendUtf8AsLocal(std::string_view utf8, std::string& out, bool& lossy);

// The same, converting text in place: a document needs no second buffer as
// long as no character grows, which is always so for the double-byte code
// pages (the rest is then converted through a copy).
void Utf8ToLocalInPlace(std::string& text, bool& lossy);

}  // namespace vt::xml
