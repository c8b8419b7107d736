// Encoding names of XML declarations and HTML meta tags, and how a document
// decides whether its file needs converting to the local code page.
#pragma once

#include <cstddef>
#include <string_view>

namespace vt::xml {

// The code page of a lower-case encoding name, 0 when unknown.
unsigned LookupEncodingName(std::string_view lowerName);
size_t EncodingNameCount();

// Code pages that the document converts itself rather than through the
// platform: UTF-32 in both byte orders.
constexpr unsigned kCodePageUtf32LE = 12000;
constexpr unsigned kCodePageUtf32BE = 12001;

// Resolves an encoding name as a document does: empty means the local code
// page; a name beginning with "UTF-32" (exactly so) is UTF-32, big-endian for
// "UTF-32BE"; a name of 100 characters or more, or one not in the table, is
// unresolved (0).
unsigned ResolveEncoding(std::string_view name);

// True when text in encoding `from` must be converted to reach `to`: both
// resolve and their code pages differ.
bool NeedsConversion(std::string_view from, std::string_view to);

}  // namespace vt::xml
