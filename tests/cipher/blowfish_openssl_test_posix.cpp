// Cross-checks ECB, CBC and CFB output against OpenSSL's Blowfish (legacy
// provider), an independent implementation, over random keys and lengths.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <random>
#include <vector>

#include "cipher/blowfish_cipher.h"

namespace vt::cipher {
namespace {

std::vector<uint8_t> OpenSslEncrypt(const EVP_CIPHER* type, const std::vector<uint8_t>& key,
                                    const uint8_t iv[8], const std::vector<uint8_t>& plain) {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    std::vector<uint8_t> out(plain.size() + 16);
    int written = 0, tail = 0;
    bool ok = EVP_EncryptInit_ex(ctx, type, nullptr, nullptr, nullptr) == 1 &&
              EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size())) == 1 &&
              EVP_EncryptInit_ex(ctx, nullptr, nullptr, key.data(), iv) == 1 &&
              EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
              EVP_EncryptUpdate(ctx, out.data(), &written, plain.data(),
                                static_cast<int>(plain.size())) == 1 &&
              EVP_EncryptFinal_ex(ctx, out.data() + written, &tail) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok)
        return {};
    out.resize(static_cast<size_t>(written + tail));
    return out;
}

TEST(BlowfishOpenSsl, AllModesMatchOverRandomKeysAndLengths) {
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    OSSL_PROVIDER* base = OSSL_PROVIDER_load(nullptr, "default");
    ASSERT_NE(legacy, nullptr) << "OpenSSL legacy provider unavailable";
    EVP_CIPHER* ecb = EVP_CIPHER_fetch(nullptr, "BF-ECB", nullptr);
    EVP_CIPHER* cbc = EVP_CIPHER_fetch(nullptr, "BF-CBC", nullptr);
    EVP_CIPHER* cfb = EVP_CIPHER_fetch(nullptr, "BF-CFB", nullptr);
    ASSERT_TRUE(ecb && cbc && cfb);

    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        // OpenSSL accepts keys of 1 to 56 bytes here as well (longer ones are cut by both).
        std::vector<uint8_t> key(1 + random() % 56);
        for (auto& b : key)
            b = static_cast<uint8_t>(random());
        std::vector<uint8_t> plain(8 * (1 + random() % 40));
        for (auto& b : plain)
            b = static_cast<uint8_t>(random());
        const uint32_t ivLeft = random(), ivRight = random();
        const uint8_t iv[8] = {uint8_t(ivLeft >> 24),  uint8_t(ivLeft >> 16),
                               uint8_t(ivLeft >> 8),   uint8_t(ivLeft),
                               uint8_t(ivRight >> 24), uint8_t(ivRight >> 16),
                               uint8_t(ivRight >> 8),  uint8_t(ivRight)};

        BlowfishCipher ours(key.data(), key.size(), ivLeft, ivRight);
        const struct {
            int mode;
            const EVP_CIPHER* type;
        } modes[] = {{kCipherEcb, ecb}, {kCipherCbc, cbc}, {kCipherCfb, cfb}};
        for (const auto& m : modes) {
            std::vector<uint8_t> mine(plain.size());
            ours.Encrypt(plain.data(), mine.data(), plain.size(), m.mode);
            ASSERT_EQ(mine, OpenSslEncrypt(m.type, key, iv, plain))
                << "mode " << m.mode << " key " << key.size();
            ours.Decrypt(mine.data(), mine.size(), m.mode);
            ASSERT_EQ(mine, plain) << "mode " << m.mode;
        }
    }
    EVP_CIPHER_free(ecb);
    EVP_CIPHER_free(cbc);
    EVP_CIPHER_free(cfb);
    OSSL_PROVIDER_unload(legacy);
    if (base)
        OSSL_PROVIDER_unload(base);
}

}  // namespace
}  // namespace vt::cipher
