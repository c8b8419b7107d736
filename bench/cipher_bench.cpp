// The cipher work of one secure exchange (key schedule for a 44-byte key,
// encrypting a 64-byte form, decrypting a 256-byte answer, all ECB), done by
// BlowfishCipher and by OpenSSL's Blowfish; prints both and their ratio.
#include <openssl/blowfish.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "cipher/blowfish_cipher.h"

namespace {

constexpr int kExchanges = 20000;
const char kKey[] = "0123456789abcdefghijklmnopqrstuvwxyz1234ABCD";  // key text + salt

volatile unsigned char sink;

double OursOnce() {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        unsigned char form[64], answer[256];
        std::memset(form, i, sizeof form);
        std::memset(answer, i + 1, sizeof answer);
        vt::cipher::BlowfishCipher request(kKey, sizeof kKey - 1);
        request.Encrypt(form, form, sizeof form, vt::cipher::kCipherEcb);
        vt::cipher::BlowfishCipher reply(kKey, sizeof kKey - 1);
        reply.Decrypt(answer, sizeof answer, vt::cipher::kCipherEcb);
        sink = form[0] ^ answer[0];
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double OpenSslOnce() {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        unsigned char form[64], answer[256];
        std::memset(form, i, sizeof form);
        std::memset(answer, i + 1, sizeof answer);
        BF_KEY request;
        BF_set_key(&request, sizeof kKey - 1, reinterpret_cast<const unsigned char*>(kKey));
        for (size_t at = 0; at < sizeof form; at += 8)
            BF_ecb_encrypt(form + at, form + at, &request, BF_ENCRYPT);
        BF_KEY reply;
        BF_set_key(&reply, sizeof kKey - 1, reinterpret_cast<const unsigned char*>(kKey));
        for (size_t at = 0; at < sizeof answer; at += 8)
            BF_ecb_encrypt(answer + at, answer + at, &reply, BF_DECRYPT);
        sink = form[0] ^ answer[0];
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    // Best of several runs each, interleaved, so both see the same machine state.
    double ours = 1e9, openssl = 1e9;
    for (int run = 0; run < 7; ++run) {
        const double a = OursOnce(), b = OpenSslOnce();
        if (a < ours)
            ours = a;
        if (b < openssl)
            openssl = b;
    }
    std::printf("BlowfishCipher: %.2f us per exchange\n", ours / kExchanges * 1e6);
    std::printf("OpenSSL BF:     %.2f us per exchange\n", openssl / kExchanges * 1e6);
    std::printf("ratio (ours / OpenSSL): %.3f (goal <= 1.10)\n", ours / openssl);
    return 0;
}
