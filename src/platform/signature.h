// SHA-256 and ECDSA P-256 signature checks, from the system's own
// implementations: OpenSSL on POSIX, CNG (bcrypt) on Windows. The release
// packages the updater installs are verified through this door only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vt::platform {

using Sha256Digest = std::array<uint8_t, 32>;
// An uncompressed P-256 point: 0x04, then X and Y, 32 bytes each, big-endian.
using P256PublicKey = std::array<uint8_t, 65>;
// A P-256 signature as r and s, 32 bytes each, big-endian (IEEE P1363 form).
using P256Signature = std::array<uint8_t, 64>;

// An incremental SHA-256. Move-only.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(Sha256&& other) noexcept;
    Sha256& operator=(Sha256&& other) noexcept;
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Adds bytes; false when the system hasher failed (then Finish fails too).
    bool Update(const void* data, size_t size);
    // The digest of everything added; false on failure. The object is spent.
    bool Finish(Sha256Digest& digest);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

enum class SignatureCheck {
    kValid,    // signature is publicKey's over digest
    kInvalid,  // it is not (another key, other data, damaged bytes)
    kBadKey,   // publicKey is not a point of the curve
    kFailed,   // the system's implementation could not be used
};

// Checks an ECDSA P-256 signature over a SHA-256 digest.
SignatureCheck VerifyP256Signature(const P256PublicKey& publicKey, const Sha256Digest& digest,
                                   const P256Signature& signature);

}  // namespace vt::platform
