#include <windows.h>
// bcrypt.h needs the types of windows.h first.
#include <bcrypt.h>

#include <cstring>
#include <vector>

#include "platform/signature.h"

namespace vt::platform {

namespace {

// Owns an algorithm provider.
class Provider {
  public:
    explicit Provider(const wchar_t* algorithm) {
        if (BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, 0) != 0)
            handle_ = nullptr;
    }
    ~Provider() {
        if (handle_)
            BCryptCloseAlgorithmProvider(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// Owns an imported key.
class KeyHandle {
  public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (handle_)
            BCryptDestroyKey(handle_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    BCRYPT_KEY_HANDLE* out() { return &handle_; }
    BCRYPT_KEY_HANDLE get() const { return handle_; }

  private:
    BCRYPT_KEY_HANDLE handle_ = nullptr;
};

}  // namespace

struct Sha256::State {
    Provider provider{BCRYPT_SHA256_ALGORITHM};
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;
    ~State() {
        if (hash)
            BCryptDestroyHash(hash);
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->ok = state_->provider.get() && BCryptCreateHash(state_->provider.get(), &state_->hash,
                                                            nullptr, 0, nullptr, 0, 0) == 0;
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&& other) noexcept = default;
Sha256& Sha256::operator=(Sha256&& other) noexcept = default;

bool Sha256::Update(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (state_ && state_->ok && size > 0) {
        const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        state_->ok = BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes), part, 0) == 0;
        bytes += part;
        size -= part;
    }
    return state_ && state_->ok;
}

bool Sha256::Finish(Sha256Digest& digest) {
    if (!state_ || !state_->ok)
        return false;
    const bool ok = BCryptFinishHash(state_->hash, digest.data(), digest.size(), 0) == 0;
    state_.reset();
    return ok;
}

SignatureCheck VerifyP256Signature(const P256PublicKey& publicKey, const Sha256Digest& digest,
                                   const P256Signature& signature) {
    if (publicKey[0] != 0x04)
        return SignatureCheck::kBadKey;
    Provider provider(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!provider.get())
        return SignatureCheck::kFailed;
    // The public blob is the header followed by X and Y, without the 0x04.
    std::vector<uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, publicKey.data() + 1, 64);
    KeyHandle key;
    if (BCryptImportKeyPair(provider.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, key.out(), blob.data(),
                            static_cast<ULONG>(blob.size()), 0) != 0)
        return SignatureCheck::kBadKey;
    const NTSTATUS status = BCryptVerifySignature(
        key.get(), nullptr, const_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()),
        const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()), 0);
    return status == 0 ? SignatureCheck::kValid : SignatureCheck::kInvalid;
}

}  // namespace vt::platform
