#include "net/secure_exchange.h"

#include <vector>

#include "cipher/blowfish_cipher.h"
#include "net/form_post.h"
#include "net/url_codec.h"

namespace vt::net {

namespace {

cipher::BlowfishCipher MakeCipher(const std::string& key, const std::string& salt) {
    const std::string keyBytes = key + salt;
    return cipher::BlowfishCipher(keyBytes.data(), keyBytes.size());
}

}  // namespace

std::string MakeSalt(size_t count, uint32_t second) {
    return platform::RandomHexText(second, count);
}

std::string BuildExchangeBody(const std::string& data, const std::string& key,
                              const std::string& salt) {
    // The hex text doubles the padded plaintext; refuse before encrypting
    // anything that could not be sent.
    const size_t plainLength = salt.size() + data.size() + 1;
    const size_t framedLength = (plainLength + 7) / 8 * 16 + salt.size();
    if (framedLength > kMaxExchangeRequestLength)
        return {};
    const std::string plain = salt + data + '\0';
    const std::string hex =
        MakeCipher(key, salt).EncryptToHex(plain.data(), plain.size(), cipher::kCipherEcb);
    return "data=" + salt.substr(4) + hex + salt.substr(0, 4);
}

ExchangeStatus DecodeExchangeAnswer(const std::string& line, const std::string& key,
                                    const std::string& salt, std::string& plaintext) {
    plaintext.clear();
    if (line.find("bingo") == std::string::npos)
        return ExchangeStatus::kNoMarker;
    // The marker is assumed to lead the line: the first five characters go,
    // wherever the marker was found.
    const std::string hex = line.substr(5);
    // One block more than the limit, always zero, keeps the text terminated
    // even when the answer fills the whole limit.
    std::vector<char> buffer(kMaxExchangeAnswerLength + 8, '\0');
    MakeCipher(key, salt).DecryptFromHex(hex, buffer.data(), kMaxExchangeAnswerLength,
                                         cipher::kCipherEcb);
    plaintext.assign(buffer.data());
    if (plaintext.find(salt) == std::string::npos)
        return ExchangeStatus::kNoSalt;
    plaintext = UrlDecodeToLocal(plaintext.substr(8));
    return ExchangeStatus::kOk;
}

ExchangeStatus RunSecureExchange(const std::string& data, const std::string& url,
                                 const std::string& key, std::string& answer, int* httpStatus,
                                 int timeoutMs) {
    answer.clear();
    if (httpStatus)
        *httpStatus = 0;
    const std::string salt = MakeSalt(8);
    const std::string body = BuildExchangeBody(data, key, salt);
    if (body.empty())
        return ExchangeStatus::kRequestTooLong;
    std::string line;
    bool timedOut = false;
    if (!PostForm(url, body, line, httpStatus, timeoutMs, &timedOut))
        return timedOut ? ExchangeStatus::kTimedOut : ExchangeStatus::kPostFailed;
    return DecodeExchangeAnswer(line, key, salt, answer);
}

bool SecureExchange(const std::string& data, const std::string& url, const std::string& key,
                    std::string& answer) {
    return RunSecureExchange(data, url, key, answer) == ExchangeStatus::kOk;
}

}  // namespace vt::net
