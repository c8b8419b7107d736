#include "net/exchange_peer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cipher/blowfish_cipher.h"
#include "net/secure_exchange.h"

namespace vt::net {

bool DecodeExchangeRequest(const std::string& framed, const std::string& key, std::string& salt,
                           std::string& data) {
    salt.clear();
    data.clear();
    if (framed.size() < 8 + 16 || framed.size() > kMaxExchangeRequestLength ||
        (framed.size() - 8) % 16 != 0)
        return false;
    if (framed.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
        return false;
    const std::string candidate = framed.substr(framed.size() - 4) + framed.substr(0, 4);
    const std::string hex = framed.substr(4, framed.size() - 8);
    const std::string keyBytes = key + candidate;
    if (keyBytes.empty())
        return false;
    std::vector<char> plain(hex.size() / 2 + 1, '\0');
    cipher::BlowfishCipher(keyBytes.data(), keyBytes.size())
        .DecryptFromHex(hex, plain.data(), hex.size() / 2);
    const size_t length = static_cast<size_t>(
        std::find(plain.begin(), plain.begin() + hex.size() / 2, '\0') - plain.begin());
    // The plaintext is the salt, the form text and a NUL within the last block.
    if (length == hex.size() / 2 || length + 8 < hex.size() / 2 || length < 8)
        return false;
    if (std::memcmp(plain.data(), candidate.data(), 8) != 0)
        return false;
    salt = candidate;
    data.assign(plain.data() + 8, length - 8);
    return true;
}

std::string EncodeExchangeAnswer(const std::string& text, const std::string& key,
                                 const std::string& salt) {
    const std::string plain = salt + text + '\0';
    const std::string keyBytes = key + salt;
    return "bingo" + cipher::BlowfishCipher(keyBytes.data(), keyBytes.size())
                         .EncryptToHex(plain.data(), plain.size());
}

}  // namespace vt::net
