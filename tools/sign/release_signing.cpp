#include "release_signing.h"

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <fcntl.h>
#include <unistd.h>

#include "platform/files.h"
#include "refitter/release_package.h"

namespace vt::sign {

struct SigningKey::State {
    EVP_PKEY* key = nullptr;
    ~State() { EVP_PKEY_free(key); }
};

SigningKey::SigningKey() : state_(std::make_unique<State>()) {}
SigningKey::~SigningKey() = default;
SigningKey::SigningKey(SigningKey&& other) noexcept = default;
SigningKey& SigningKey::operator=(SigningKey&& other) noexcept = default;

bool SigningKey::IsValid() const {
    return state_ && state_->key;
}

bool SigningKey::Generate() {
    EVP_PKEY* key = EVP_EC_gen("prime256v1");
    if (!key)
        return false;
    EVP_PKEY_free(state_->key);
    state_->key = key;
    return true;
}

bool SigningKey::Load(const std::string& pemPath) {
    std::string pem;
    if (!platform::ReadWholeFile(pemPath, pem))
        return false;
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    EVP_PKEY* key = bio ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (!key)
        return false;
    char group[64] = {};
    size_t length = 0;
    if (EVP_PKEY_get_base_id(key) != EVP_PKEY_EC ||
        EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, group, sizeof group,
                                       &length) != 1 ||
        std::string(group) != "prime256v1") {
        EVP_PKEY_free(key);
        return false;
    }
    EVP_PKEY_free(state_->key);
    state_->key = key;
    return true;
}

bool SigningKey::Save(const std::string& pemPath) const {
    if (!IsValid())
        return false;
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return false;
    bool ok =
        PEM_write_bio_PrivateKey(bio, state_->key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    const std::string pem = ok && size > 0 ? std::string(data, static_cast<size_t>(size)) : "";
    BIO_free(bio);
    if (pem.empty())
        return false;
    // A private key is created unreadable to others before its bytes arrive,
    // and never over an existing file.
    const int file = open(pemPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (file < 0)
        return false;
    ok = write(file, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size());
    return close(file) == 0 && ok;
}

platform::P256PublicKey SigningKey::PublicKey() const {
    platform::P256PublicKey point{};
    size_t length = 0;
    if (IsValid())
        EVP_PKEY_get_octet_string_param(state_->key, OSSL_PKEY_PARAM_PUB_KEY, point.data(),
                                        point.size(), &length);
    return length == point.size() ? point : platform::P256PublicKey{};
}

bool SigningKey::Sign(const platform::Sha256Digest& digest,
                      platform::P256Signature& signature) const {
    if (!IsValid())
        return false;
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(state_->key, nullptr);
    unsigned char der[128];
    size_t derLength = sizeof der;
    const bool signed_ = context && EVP_PKEY_sign_init(context) == 1 &&
                         EVP_PKEY_sign(context, der, &derLength, digest.data(), digest.size()) == 1;
    EVP_PKEY_CTX_free(context);
    if (!signed_)
        return false;
    const unsigned char* cursor = der;
    ECDSA_SIG* sig = d2i_ECDSA_SIG(nullptr, &cursor, static_cast<long>(derLength));
    if (!sig)
        return false;
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    ECDSA_SIG_get0(sig, &r, &s);
    const bool ok = BN_bn2binpad(r, signature.data(), 32) == 32 &&
                    BN_bn2binpad(s, signature.data() + 32, 32) == 32;
    ECDSA_SIG_free(sig);
    return ok;
}

bool SignFile(const SigningKey& key, const std::string& packagePath,
              const std::string& signaturePath) {
    platform::Sha256Digest digest{};
    platform::P256Signature signature{};
    if (!refitter::Sha256OfFile(packagePath, digest) || !key.Sign(digest, signature))
        return false;
    return platform::WriteWholeFile(
        signaturePath, refitter::SignatureFileText(refitter::KeyId(key.PublicKey()), signature));
}

}  // namespace vt::sign
