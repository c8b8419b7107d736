// The version check's exchange with the upgrade server: one form post whose
// body is Blowfish ciphertext under the interface key and a fresh 8-character
// token, and a reply "bingo" + hex ciphertext whose plaintext must start with
// that token and carries the reply fields as a URL-encoded form.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "upgrade/upgrade_settings.h"

namespace vt::upgrade {

// RequestVersionInfo's results.
enum VersionRequestResult : int {
    kVersionReplyOk = 0,
    kVersionPostFailed = -1,     // no connection, or the HTTP layer failed
    kVersionNoMarker = -2,       // the reply does not start with "bingo" (any case)
    kVersionEmptyReply = -3,     // nothing follows the marker
    kVersionTokenMismatch = -4,  // the plaintext does not start with the token
    kVersionFormFailed = -5,     // the request form could not be built
};

// Bounds of the exchange: the reply text kept from the server (the rest of a
// longer body is not read), the ciphertext bytes decrypted, and the request
// text (a longer project name cannot be sent).
constexpr size_t kMaxVersionReplyLength = 64 * 1024;
constexpr size_t kMaxVersionCipherBytes = 4096;
constexpr size_t kMaxVersionRequestLength = 102399;

// n digits (1 to 4; any other n gives 5) of a number drawn from a generator
// seeded with (seconds now + 1) x the process's count of tokens made so far,
// counting this one: upper-case hexadecimal or decimal, zero-padded.
std::string MakeToken(int digits, bool hexadecimal);

// The request body for the token halves r1 and r2 (token = r2 + r1):
// "data=" + r1 + hex ciphertext of (token + "toolsign=" + encoded project +
// NUL) under key + token + r2. Empty when the form cannot be built.
std::string BuildVersionRequestBody(const std::string& r1, const std::string& r2,
                                    const std::string& key, const std::string& projectName);

// Steps after the post: marker, ciphertext, token. On kVersionReplyOk text
// holds the plaintext after the token; plaintext (when given) receives the
// decrypted text whenever decryption ran.
VersionRequestResult DecodeVersionReply(const std::string& reply, const std::string& key,
                                        const std::string& token, std::string& text,
                                        std::string* plaintext = nullptr);

// The module's form post: body to "http://" + serverHost + path, every line
// of the answer joined without breaks (at most kMaxVersionReplyLength
// characters), whatever the HTTP status. False when the HTTP layer failed.
bool PostVersionForm(const std::string& serverHost, const std::string& path,
                     const std::string& body, int timeoutMs, std::string& reply);

// One exchange with the server named in settings: its result, and on
// success the reply's plaintext after the token. rawReply (when given)
// receives what the server sent.
VersionRequestResult RequestVersionInfo(const UpgradeSettings& settings,
                                        const UpgradeCheckLimits& limits, std::string& text,
                                        std::string* rawReply = nullptr);

// The reply fields in their order; names are kept as sent, values decoded.
using VersionReply = std::vector<std::pair<std::string, std::string>>;

// Splits text into name=value fields: a name runs to the next "=", its value
// from there to the next "&" (or the end). So a segment without "=" becomes
// part of the next field's name; once no "=" is left, the name is empty.
// Empty text gives no fields.
VersionReply ParseVersionReply(const std::string& text);
// The value of the first field called exactly name, or empty.
std::string ReplyValue(const VersionReply& reply, const std::string& name);

}  // namespace vt::upgrade
