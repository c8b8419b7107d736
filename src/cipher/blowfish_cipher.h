// Blowfish (64-bit blocks, 16 rounds, keys of 1 to 56 bytes) in ECB, CBC and
// CFB-64 modes, with conversion of ciphertext to and from hexadecimal text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vt::cipher {

enum CipherMode : int { kCipherEcb = 0, kCipherCbc = 1, kCipherCfb = 2 };

// Thrown for an empty key ("Incorrect key length") or a buffer length that is
// not a non-zero multiple of 8 ("Incorrect buffer length"). Callers in this
// system never trigger it; it exists to catch programming errors.
class BlowfishError : public std::invalid_argument {
  public:
    using std::invalid_argument::invalid_argument;
};

// One keyed cipher. Every call starts chaining again from the initial vector,
// so calls are independent of each other. Holds no shared state.
class BlowfishCipher {
  public:
    static constexpr size_t kMaxKeyLength = 56;
    static constexpr size_t kBlockSize = 8;

    // Runs the key schedule; keys longer than 56 bytes use their first 56.
    BlowfishCipher(const void* key, size_t keyLength, uint32_t ivLeft = 0, uint32_t ivRight = 0);

    // length must be a non-zero multiple of 8; in and out may be the same.
    void Encrypt(const void* in, void* out, size_t length, int mode = kCipherEcb) const;
    // In place; the same length rule.
    void Decrypt(void* buffer, size_t length, int mode = kCipherEcb) const;

    // Encrypts length bytes zero-padded to a multiple of 8 and returns the
    // ciphertext as upper-case hexadecimal text (two digits per byte).
    std::string EncryptToHex(const void* in, size_t length, int mode = kCipherEcb) const;
    // Reads n = min(hex.size() / 2, capacity) bytes from hex pairs (either
    // case; a non-hex pair leaves its byte as it was) into out, then decrypts
    // n rounded up to a multiple of 8 bytes in place. Returns the number of
    // bytes decrypted, or 0 without touching out when that rounding would not
    // fit in capacity.
    size_t DecryptFromHex(std::string_view hex, void* out, size_t capacity,
                          int mode = kCipherEcb) const;

    // Single-block primitives on two big-endian halves.
    void EncryptBlock(uint32_t& left, uint32_t& right) const;
    void DecryptBlock(uint32_t& left, uint32_t& right) const;

  private:
    uint32_t F(uint32_t x) const {
        return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) +
               s_[3][x & 0xFF];
    }

    uint32_t iv_[2];
    uint32_t chain_[2];  // equal to iv_; each call starts chaining from it
    uint32_t p_[18];
    uint32_t s_[4][256];
};

}  // namespace vt::cipher
