// The encrypted form exchange with the catalogue server: a short form text is
// posted Blowfish-encrypted under the shared key and a fresh salt, and the
// server's answer line ("bingo" and hex ciphertext) is decrypted and checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/form_post.h"
#include "platform/random.h"

namespace vt::net {

// Limits of one exchange: the framed request text and the decrypted answer.
constexpr size_t kMaxExchangeRequestLength = 102399;
constexpr size_t kMaxExchangeAnswerLength = 102400;

// count random characters of "0123456789ABCDEF" drawn from a generator seeded
// with second (platform::RandomHexText): exchanges started in the same second
// share their salt, each new second brings another.
std::string MakeSalt(size_t count, uint32_t second = platform::SecondsSeed());

// The request body for data under key and salt: "data=" + salt[4..8] +
// hex ciphertext of (salt + data + NUL) + salt[0..4]. Empty when the framed
// text would exceed kMaxExchangeRequestLength.
std::string BuildExchangeBody(const std::string& data, const std::string& key,
                              const std::string& salt);

// How an exchange went; SecureExchange reduces it to true/false.
enum class ExchangeStatus {
    kOk,
    kRequestTooLong,  // data does not fit the request limit
    kPostFailed,      // no answer, or a status outside 200 to 299
    kNoMarker,        // the first answer line lacks "bingo"
    kNoSalt,          // the decrypted answer does not contain the salt
    kTimedOut,        // no answer: connecting or a wait took longer than the limit
};

// The answer line's plaintext for key and salt: the line loses its first five
// characters, the rest is decrypted as hex text (at most
// kMaxExchangeAnswerLength bytes) and read up to its first NUL. kNoMarker
// when the line lacks "bingo", kNoSalt (plaintext kept) when the plaintext
// lacks salt; on kOk plaintext is the URL-decoded text after its first eight
// characters.
ExchangeStatus DecodeExchangeAnswer(const std::string& line, const std::string& key,
                                    const std::string& salt, std::string& plaintext);

// Posts data (an encoded form text, possibly empty) to url and decodes the
// answer into answer (local code page). Blocks for the whole post; connecting
// and each wait for the answer may take timeoutMs. httpStatus, when given,
// receives the answer's HTTP status (0 for none).
ExchangeStatus RunSecureExchange(const std::string& data, const std::string& url,
                                 const std::string& key, std::string& answer,
                                 int* httpStatus = nullptr, int timeoutMs = kFormPostTimeoutMs);
bool SecureExchange(const std::string& data, const std::string& url, const std::string& key,
                    std::string& answer);

}  // namespace vt::net
