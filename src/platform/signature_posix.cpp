#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <memory>

#include "platform/signature.h"

namespace vt::platform {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, Deleter<T, Free>>;

using MdContext = Owned<EVP_MD_CTX, EVP_MD_CTX_free>;
using Key = Owned<EVP_PKEY, EVP_PKEY_free>;
using KeyContext = Owned<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using ParamBuilder = Owned<OSSL_PARAM_BLD, OSSL_PARAM_BLD_free>;
using Params = Owned<OSSL_PARAM, OSSL_PARAM_free>;
using EcdsaSig = Owned<ECDSA_SIG, ECDSA_SIG_free>;

// The public key as OpenSSL's object; null when the bytes are no point of
// P-256 (the import checks that the point lies on the curve).
Key ImportKey(const P256PublicKey& publicKey) {
    ParamBuilder builder(OSSL_PARAM_BLD_new());
    if (!builder ||
        !OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, "prime256v1",
                                         0) ||
        !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, publicKey.data(),
                                          publicKey.size()))
        return nullptr;
    Params params(OSSL_PARAM_BLD_to_param(builder.get()));
    KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* key = nullptr;
    if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        return nullptr;
    return Key(key);
}

}  // namespace

struct Sha256::State {
    MdContext context{EVP_MD_CTX_new()};
    bool ok = false;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->ok =
        state_->context && EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

bool Sha256::Update(const void* data, size_t size) {
    if (state_ && state_->ok && size > 0)
        state_->ok = EVP_DigestUpdate(state_->context.get(), data, size) == 1;
    return state_ && state_->ok;
}

bool Sha256::Finish(Sha256Digest& digest) {
    if (!state_ || !state_->ok)
        return false;
    unsigned length = 0;
    const bool ok = EVP_DigestFinal_ex(state_->context.get(), digest.data(), &length) == 1 &&
                    length == digest.size();
    state_.reset();
    return ok;
}

SignatureCheck VerifyP256Signature(const P256PublicKey& publicKey, const Sha256Digest& digest,
                                   const P256Signature& signature) {
    Key key = ImportKey(publicKey);
    if (!key)
        return SignatureCheck::kBadKey;
    // OpenSSL takes the DER form; r and s travel raw, so they are re-encoded.
    EcdsaSig sig(ECDSA_SIG_new());
    BIGNUM* r = BN_bin2bn(signature.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(signature.data() + 32, 32, nullptr);
    if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
        BN_free(r);
        BN_free(s);
        return SignatureCheck::kFailed;
    }
    unsigned char* der = nullptr;
    const int derLength = i2d_ECDSA_SIG(sig.get(), &der);
    if (derLength <= 0)
        return SignatureCheck::kFailed;
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> derOwner(
        der, [](unsigned char* p) { OPENSSL_free(p); });
    KeyContext context(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!context || EVP_PKEY_verify_init(context.get()) != 1)
        return SignatureCheck::kFailed;
    const int verdict = EVP_PKEY_verify(context.get(), der, static_cast<size_t>(derLength),
                                        digest.data(), digest.size());
    // 0 is a wrong signature; a negative value is a signature that does not
    // even parse as one (r or s out of range), which is no better.
    return verdict == 1 ? SignatureCheck::kValid : SignatureCheck::kInvalid;
}

}  // namespace vt::platform
