#include "upgrade/version_exchange.h"

#include <atomic>
#include <vector>

#include "cipher/blowfish_cipher.h"
#include "net/url_codec.h"
#include "platform/http_post.h"
#include "platform/random.h"
#include "platform/system.h"

namespace vt::upgrade {

namespace {

constexpr char kMarker[] = "bingo";
constexpr size_t kMarkerLength = 5;
constexpr size_t kTokenLength = 8;

cipher::BlowfishCipher MakeCipher(const std::string& key, const std::string& token) {
    const std::string keyBytes = key + token;
    return cipher::BlowfishCipher(keyBytes.data(), keyBytes.size());
}

bool StartsWithMarker(const std::string& reply) {
    if (reply.size() < kMarkerLength)
        return false;
    for (size_t i = 0; i < kMarkerLength; ++i) {
        char c = reply[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kMarker[i])
            return false;
    }
    return true;
}

}  // namespace

std::string MakeToken(int digits, bool hexadecimal) {
    static std::atomic<unsigned> made{0};
    return platform::RandomNumberText(platform::CountedSeed(++made),
                                      digits >= 1 && digits <= 4 ? digits : 5, hexadecimal);
}

std::string BuildVersionRequestBody(const std::string& r1, const std::string& r2,
                                    const std::string& key, const std::string& projectName) {
    const std::string token = r2 + r1;
    // Each project character encodes to at most nine, and the hex text
    // doubles the padded plaintext: refuse before encoding what cannot be sent.
    if ((token.size() + 9 + 9 * projectName.size() + 8) * 2 > kMaxVersionRequestLength)
        return {};
    std::string form;
    if (!net::AppendQueryParam(form, "toolsign", projectName))
        return {};
    const std::string plain = token + form + '\0';
    return "data=" + r1 + MakeCipher(key, token).EncryptToHex(plain.data(), plain.size()) + r2;
}

VersionRequestResult DecodeVersionReply(const std::string& reply, const std::string& key,
                                        const std::string& token, std::string& text,
                                        std::string* plaintext) {
    text.clear();
    if (!StartsWithMarker(reply))
        return kVersionNoMarker;
    const std::string hex = reply.substr(kMarkerLength);
    if (hex.empty())
        return kVersionEmptyReply;
    // One zero block past the bound keeps the plaintext terminated even when
    // all decrypted bytes are non-zero.
    std::vector<char> buffer(kMaxVersionCipherBytes + cipher::BlowfishCipher::kBlockSize, '\0');
    MakeCipher(key, token).DecryptFromHex(hex, buffer.data(), kMaxVersionCipherBytes);
    const std::string decrypted(buffer.data());
    platform::DebugOutput(decrypted);
    if (plaintext)
        *plaintext = decrypted;
    if (decrypted.compare(0, kTokenLength, token) != 0)
        return kVersionTokenMismatch;
    text = decrypted.substr(kTokenLength);
    return kVersionReplyOk;
}

bool PostVersionForm(const std::string& serverHost, const std::string& path,
                     const std::string& body, int timeoutMs, std::string& reply) {
    platform::HttpPostRequest request;
    request.url = serverHost.find("://") == std::string::npos ? "http://" + serverHost : serverHost;
    request.url += path.empty() || path[0] != '/' ? "/" + path : path;
    request.body = body;
    request.maxLineLength = kMaxVersionReplyLength;
    request.timeoutMs = timeoutMs;
    request.joinAllLines = true;
    // The status is not looked at: an error page is read as a reply and fails
    // the marker test.
    int status = 0;
    if (!platform::HttpPostForm(request, status, reply)) {
        reply.clear();
        platform::DebugOutput("chucuole ~!");
        return false;
    }
    platform::DebugOutput(reply);
    platform::DebugOutput("PostKeyInformation:end");
    return true;
}

VersionRequestResult RequestVersionInfo(const UpgradeSettings& settings,
                                        const UpgradeCheckLimits& limits, std::string& text,
                                        std::string* rawReply) {
    text.clear();
    const std::string r1 = MakeToken(4, true);
    const std::string r2 = MakeToken(4, true);
    const std::string body =
        BuildVersionRequestBody(r1, r2, settings.interfaceKey, settings.projectName);
    if (body.empty())
        return kVersionFormFailed;
    std::string reply;
    if (!PostVersionForm(settings.serverHost, settings.interfacePath, body, limits.postTimeoutMs,
                         reply))
        return kVersionPostFailed;
    if (rawReply)
        *rawReply = reply;
    return DecodeVersionReply(reply, settings.interfaceKey, r2 + r1, text);
}

VersionReply ParseVersionReply(const std::string& text) {
    VersionReply reply;
    size_t at = 0;
    while (at < text.size()) {
        const size_t equals = text.find('=', at);
        std::string name;
        if (equals != std::string::npos) {
            name = text.substr(at, equals - at);
            at = equals + 1;
        }
        const size_t amp = text.find('&', at);
        const size_t end = amp == std::string::npos ? text.size() : amp;
        reply.emplace_back(std::move(name), net::UrlDecodeToLocal(text.substr(at, end - at)));
        at = amp == std::string::npos ? text.size() : amp + 1;
    }
    return reply;
}

std::string ReplyValue(const VersionReply& reply, const std::string& name) {
    for (const auto& [fieldName, value] : reply) {
        if (fieldName == name)
            return value;
    }
    return {};
}

}  // namespace vt::upgrade
