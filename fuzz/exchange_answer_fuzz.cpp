// Hostile answers and requests of the encrypted form exchange, and the text
// codecs that read them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/exchange_peer.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string key = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string plain;
    vt::net::DecodeExchangeAnswer(text, key, "1234ABCD", plain);
    vt::net::DecodeExchangeAnswer("bingo" + text, key, "1234ABCD", plain);
    std::string salt, form;
    vt::net::DecodeExchangeRequest(text, key, salt, form);
    vt::net::UrlDecodeToLocal(text);
    vt::net::QueryValue(text, "XMLMD5");
    vt::net::NumberAfterEquals(text);
    vt::net::UrlEncode(text);
    return 0;
}
