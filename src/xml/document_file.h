// Reading a document file: byte-order marks, declared encodings, UTF-8
// detection, null removal and conversion to the local code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vt::xml {

// Reads the file at path into text (local code page), setting the encoding
// flags of the document in flags and appending the reading events to report.
// False (with a "file_error" event) when the file cannot be read or is longer
// than maxBytes.
bool ReadDocumentFile(const std::string& path, size_t maxBytes, std::string& text, uint32_t& flags,
                      std::string& report);

// The encoding declared at the top of a document: the encoding of a leading
// "<?xml ...?>", or the charset of an HTML meta Content-Type; empty if none.
std::string DeclaredEncoding(std::string_view top);

// True when every byte of 0x80 and above starts a well-formed UTF-8 sequence;
// nonAscii counts the sequences.
bool LooksLikeUtf8(std::string_view text, size_t& nonAscii);

// Converts text of code page `from` to the local code page; false when the
// code page cannot be converted here. lossy is set when a character had no
// equivalent.
bool ConvertToLocal(unsigned from, std::string_view text, std::string& out, bool& lossy);
// The same for UTF-16 units in machine order.
void Utf16ToLocal(std::u16string_view units, std::string& out, bool& lossy);

}  // namespace vt::xml
