// The release key's private side, for the build machine only (OpenSSL):
// making, loading and saving keys and signing release packages. The updater
// never holds a private key; it verifies through platform/signature.h.
#pragma once

#include <memory>
#include <string>

#include "platform/signature.h"

namespace vt::sign {

// A P-256 private key. Move-only.
class SigningKey {
  public:
    SigningKey();
    ~SigningKey();
    SigningKey(SigningKey&& other) noexcept;
    SigningKey& operator=(SigningKey&& other) noexcept;

    // A fresh random key.
    bool Generate();
    // A PEM private key file (as `openssl ecparam -genkey` writes it, or
    // PKCS#8); false unless it is a P-256 key.
    bool Load(const std::string& pemPath);
    // Writes the key as PKCS#8 PEM, readable only by its owner.
    bool Save(const std::string& pemPath) const;

    bool IsValid() const;
    platform::P256PublicKey PublicKey() const;
    // Signs a SHA-256 digest; r and s as 32 bytes each (the DER signature
    // OpenSSL makes is converted, so every signature has one form).
    bool Sign(const platform::Sha256Digest& digest, platform::P256Signature& signature) const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Signs the file at packagePath and writes the signature file (release
// package format) to signaturePath. False when either file fails.
bool SignFile(const SigningKey& key, const std::string& packagePath,
              const std::string& signaturePath);

}  // namespace vt::sign
