// The cipher work of one secure exchange (key schedule for a 44-byte key,
// encrypting a 64-byte form, decrypting a 256-byte answer, all ECB), done by
// BlowfishCipher and by OpenSSL's Blowfish; prints both and their ratio,
// the median of the runs (default 7) with its spread.
//   cipher_bench [--runs N]
#include <openssl/blowfish.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench_stats.h"
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

int main(int argc, char** argv) {
    // Interleaved runs, so both see the same machine state.
    const int runs = vt::bench::RunsOption(argc, argv, 7);
    std::vector<double> ours, openssl;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(OursOnce() / kExchanges);
        openssl.push_back(OpenSslOnce() / kExchanges);
    }
    const vt::bench::Spread a = vt::bench::SpreadOf(ours), b = vt::bench::SpreadOf(openssl);
    std::printf("BlowfishCipher: %.2f us per exchange [%.2f-%.2f]\n", a.median * 1e6, a.min * 1e6,
                a.max * 1e6);
    std::printf("OpenSSL BF:     %.2f us per exchange [%.2f-%.2f]\n", b.median * 1e6, b.min * 1e6,
                b.max * 1e6);
    vt::bench::PrintRatio("cipher exchange: ours / OpenSSL", vt::bench::Ratios(ours, openssl), 1.1);
    return 0;
}
