// The server's half of the encrypted form exchange, for the reference server
// and the tests that play the server.
#pragma once

#include <string>

namespace vt::net {

// Decodes the value of a request's "data" field (salt[4..8], hex ciphertext,
// salt[0..4]) under key: salt and the form text the client sent. False when
// the text is malformed or does not decrypt to salt + text + NUL.
bool DecodeExchangeRequest(const std::string& framed, const std::string& key, std::string& salt,
                           std::string& data);

// The answer line for salt: "bingo" + hex ciphertext of (salt + text + NUL).
// text should be percent-encoded; the client decodes it.
std::string EncodeExchangeAnswer(const std::string& text, const std::string& key,
                                 const std::string& salt);

}  // namespace vt::net
