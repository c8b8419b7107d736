// Texts of name=value pairs joined by "&": percent-encoding to UTF-8 and back
// to the local code page, building and reading such texts.
#pragma once

#include <string>

namespace vt::net {

// Local-code-page text to percent-encoded UTF-8: letters, digits and
// - _ . ! ~ * ' ( ) | stay, white space becomes "+", every other byte %XX.
std::string UrlEncode(const std::string& text);
// Percent-encoded UTF-8 ("+" is a blank) back to the local code page. A "%"
// without two hex digits is dropped; decoding stops at a decoded NUL.
std::string UrlDecodeToLocal(const std::string& text);
// Appends "&" (when query is not empty), name, "=" and the encoded value, and
// writes a diagnostic line. Returns 1, or 0 without change when name is empty.
int AppendQueryParam(std::string& query, const std::string& name, const std::string& value);
// The raw text after the first name + "=" up to the next "&"; empty when
// absent. A longer name ending in name also matches.
std::string QueryValue(const std::string& text, const std::string& name);
// The decimal number after the first "=", or of the whole text when it has
// none; 0 when it is not a number.
int NumberAfterEquals(const std::string& text);

}  // namespace vt::net
