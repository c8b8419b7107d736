// The program's side of the server's exchanges, for tests that ask a server
// (in this process or behind nginx) as the program and its upgrade module do.
#pragma once

#include <map>
#include <string>

#include "cipher/blowfish_cipher.h"
#include "net/form_post.h"
#include "net/secure_exchange.h"
#include "net/url_codec.h"

namespace vt::test {

inline const std::string kCatalogueKey = "@n28;<bpb723PwktthCpz((3n311!?#%my<!";
inline const std::string kUpgradeKey = "ptmn%#*mhq789!(";

// The catalogue stamp the server at base ("http://host:port") gives; empty
// when the exchange failed.
inline std::string AskStamp(const std::string& base) {
    std::string answer;
    if (!net::SecureExchange("", base + "/Interfaces/IGetPlugXmlConfigInfo.aspx", kCatalogueKey,
                             answer))
        return {};
    return net::QueryValue(answer, "XMLMD5");
}

// The upgrade module's reading of a version reply from the server at base:
// fields split at "&" and "=", values decoded, after the token check. Empty
// when the exchange or the check failed.
inline std::map<std::string, std::string> AskUpgrade(const std::string& base,
                                                     const std::string& form) {
    const std::string token = "A1B2C3D4";
    std::string line;
    if (!net::PostForm(base + "/Interfaces/gettoolver.aspx",
                       net::BuildExchangeBody(form, kUpgradeKey, token), line))
        return {};
    if (line.compare(0, 5, "bingo") != 0)
        return {};
    const std::string keyBytes = kUpgradeKey + token;
    std::string plain(4096 + 8, '\0');
    cipher::BlowfishCipher(keyBytes.data(), keyBytes.size())
        .DecryptFromHex(line.substr(5), plain.data(), 4096);
    plain.resize(plain.find('\0'));
    if (plain.compare(0, 8, token) != 0)
        return {};
    std::map<std::string, std::string> fields;
    std::string rest = plain.substr(8);
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string pair = rest.substr(0, amp);
        const size_t eq = pair.find('=');
        fields[pair.substr(0, eq)] =
            eq == std::string::npos ? "" : net::UrlDecodeToLocal(pair.substr(eq + 1));
        rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
    }
    return fields;
}

}  // namespace vt::test
