#include "cipher/blowfish_cipher.h"

#include <cstring>

#include "cipher/blowfish_tables.h"
#include "cipher/hex_text.h"

namespace vt::cipher {

namespace {

uint32_t LoadBigEndian(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void StoreBigEndian(uint32_t v, uint8_t* p) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

void CheckLength(size_t length) {
    if (length == 0 || length % BlowfishCipher::kBlockSize != 0)
        throw BlowfishError("Incorrect buffer length");
}

}  // namespace

BlowfishCipher::BlowfishCipher(const void* key, size_t keyLength, uint32_t ivLeft, uint32_t ivRight)
    : iv_{ivLeft, ivRight}, chain_{ivLeft, ivRight} {
    if (keyLength == 0)
        throw BlowfishError("Incorrect key length");
    if (keyLength > kMaxKeyLength)
        keyLength = kMaxKeyLength;
    const auto* k = static_cast<const uint8_t*>(key);

    std::memcpy(s_, kInitialS, sizeof s_);
    size_t at = 0;
    for (int i = 0; i < kRounds + 2; ++i) {
        uint32_t word = 0;
        for (int b = 0; b < 4; ++b) {
            word = (word << 8) | k[at];
            if (++at == keyLength)
                at = 0;
        }
        p_[i] = kInitialP[i] ^ word;
    }

    uint32_t left = 0, right = 0;
    for (int i = 0; i < kRounds + 2; i += 2) {
        EncryptBlock(left, right);
        p_[i] = left;
        p_[i + 1] = right;
    }
    for (auto& box : s_) {
        for (int i = 0; i < 256; i += 2) {
            EncryptBlock(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

// The 16 rounds written out: the key schedule runs 521 blocks per exchange.
void BlowfishCipher::EncryptBlock(uint32_t& left, uint32_t& right) const {
    uint32_t l = left, r = right;
    l ^= p_[0];
    r ^= F(l) ^ p_[1];
    l ^= F(r) ^ p_[2];
    r ^= F(l) ^ p_[3];
    l ^= F(r) ^ p_[4];
    r ^= F(l) ^ p_[5];
    l ^= F(r) ^ p_[6];
    r ^= F(l) ^ p_[7];
    l ^= F(r) ^ p_[8];
    r ^= F(l) ^ p_[9];
    l ^= F(r) ^ p_[10];
    r ^= F(l) ^ p_[11];
    l ^= F(r) ^ p_[12];
    r ^= F(l) ^ p_[13];
    l ^= F(r) ^ p_[14];
    r ^= F(l) ^ p_[15];
    l ^= F(r) ^ p_[16];
    left = r ^ p_[17];
    right = l;
}

void BlowfishCipher::DecryptBlock(uint32_t& left, uint32_t& right) const {
    uint32_t l = left, r = right;
    l ^= p_[17];
    r ^= F(l) ^ p_[16];
    l ^= F(r) ^ p_[15];
    r ^= F(l) ^ p_[14];
    l ^= F(r) ^ p_[13];
    r ^= F(l) ^ p_[12];
    l ^= F(r) ^ p_[11];
    r ^= F(l) ^ p_[10];
    l ^= F(r) ^ p_[9];
    r ^= F(l) ^ p_[8];
    l ^= F(r) ^ p_[7];
    r ^= F(l) ^ p_[6];
    l ^= F(r) ^ p_[5];
    r ^= F(l) ^ p_[4];
    l ^= F(r) ^ p_[3];
    r ^= F(l) ^ p_[2];
    l ^= F(r) ^ p_[1];
    left = r ^ p_[0];
    right = l;
}

void BlowfishCipher::Encrypt(const void* in, void* out, size_t length, int mode) const {
    CheckLength(length);
    const auto* src = static_cast<const uint8_t*>(in);
    auto* dst = static_cast<uint8_t*>(out);
    uint32_t prevL = chain_[0], prevR = chain_[1];
    for (size_t at = 0; at < length; at += kBlockSize) {
        uint32_t l = LoadBigEndian(src + at), r = LoadBigEndian(src + at + 4);
        if (mode == kCipherCbc) {
            l ^= prevL;
            r ^= prevR;
            EncryptBlock(l, r);
            prevL = l;
            prevR = r;
        } else if (mode == kCipherCfb) {
            EncryptBlock(prevL, prevR);
            l ^= prevL;
            r ^= prevR;
            prevL = l;
            prevR = r;
        } else {
            EncryptBlock(l, r);
        }
        StoreBigEndian(l, dst + at);
        StoreBigEndian(r, dst + at + 4);
    }
}

void BlowfishCipher::Decrypt(void* buffer, size_t length, int mode) const {
    CheckLength(length);
    auto* data = static_cast<uint8_t*>(buffer);
    uint32_t prevL = chain_[0], prevR = chain_[1];
    for (size_t at = 0; at < length; at += kBlockSize) {
        uint32_t l = LoadBigEndian(data + at), r = LoadBigEndian(data + at + 4);
        const uint32_t cipherL = l, cipherR = r;
        if (mode == kCipherCbc) {
            DecryptBlock(l, r);
            l ^= prevL;
            r ^= prevR;
        } else if (mode == kCipherCfb) {
            EncryptBlock(prevL, prevR);
            l ^= prevL;
            r ^= prevR;
        } else {
            DecryptBlock(l, r);
        }
        prevL = cipherL;
        prevR = cipherR;
        StoreBigEndian(l, data + at);
        StoreBigEndian(r, data + at + 4);
    }
}

std::string BlowfishCipher::EncryptToHex(const void* in, size_t length, int mode) const {
    const size_t rounded = (length + kBlockSize - 1) / kBlockSize * kBlockSize;
    if (rounded == 0)
        return {};
    std::string bytes(rounded, '\0');
    std::memcpy(bytes.data(), in, length);
    Encrypt(bytes.data(), bytes.data(), rounded, mode);
    std::string hex(rounded * 2, '\0');
    for (size_t i = 0; i < rounded; ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        hex[2 * i] = UpperHexDigit(b >> 4);
        hex[2 * i + 1] = UpperHexDigit(b);
    }
    return hex;
}

size_t BlowfishCipher::DecryptFromHex(std::string_view hex, void* out, size_t capacity,
                                      int mode) const {
    size_t n = hex.size() / 2;
    if (n > capacity)
        n = capacity;
    const size_t rounded = (n + kBlockSize - 1) / kBlockSize * kBlockSize;
    if (rounded == 0 || rounded > capacity)
        return 0;
    auto* bytes = static_cast<uint8_t*>(out);
    for (size_t i = 0; i < n; ++i) {
        const int high = HexDigitValue(hex[2 * i]), low = HexDigitValue(hex[2 * i + 1]);
        if (high >= 0 && low >= 0)
            bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    Decrypt(bytes, rounded, mode);
    return rounded;
}

}  // namespace vt::cipher
