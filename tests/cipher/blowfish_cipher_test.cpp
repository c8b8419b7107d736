#include "cipher/blowfish_cipher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vt::cipher {
namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const uint8_t* bytes, size_t length) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (size_t i = 0; i < length; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 15];
    }
    return hex;
}

// Eric Young's published ECB vectors: key, plaintext, ciphertext.
const char* const kEcbVectors[][3] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

TEST(BlowfishCipher, PublishedEcbVectorsEncryptAndDecrypt) {
    for (const auto& v : kEcbVectors) {
        const auto key = FromHex(v[0]);
        auto block = FromHex(v[1]);
        BlowfishCipher cipher(key.data(), key.size());
        cipher.Encrypt(block.data(), block.data(), 8, kCipherEcb);
        EXPECT_EQ(ToHex(block.data(), 8), v[2]) << "key " << v[0];
        cipher.Decrypt(block.data(), 8, kCipherEcb);
        EXPECT_EQ(ToHex(block.data(), 8), v[1]) << "key " << v[0];
    }
}

// The variable-key-length set: prefixes of one key, 1 to 24 bytes.
TEST(BlowfishCipher, PublishedKeyLengthVectors) {
    static const char* const kExpected[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
        "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
        "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
        "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    const auto key = FromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    for (size_t length = 1; length <= key.size(); ++length) {
        auto block = FromHex("FEDCBA9876543210");
        BlowfishCipher(key.data(), length).Encrypt(block.data(), block.data(), 8);
        EXPECT_EQ(ToHex(block.data(), 8), kExpected[length - 1]) << "key length " << length;
    }
}

// The chained-mode vectors of the same set, with a non-zero initial vector.
TEST(BlowfishCipher, PublishedCbcAndCfbVectors) {
    const auto key = FromHex("0123456789ABCDEFF0E1D2C3B4A59687");
    const char text[] = "7654321 Now is the time for ";  // 28 characters and the NUL
    uint8_t data[32] = {};
    std::memcpy(data, text, sizeof text);
    BlowfishCipher cipher(key.data(), key.size(), 0xFEDCBA98, 0x76543210);

    uint8_t cbc[32];
    cipher.Encrypt(data, cbc, 32, kCipherCbc);
    EXPECT_EQ(ToHex(cbc, 32), "6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC");
    cipher.Decrypt(cbc, 32, kCipherCbc);
    EXPECT_EQ(0, std::memcmp(cbc, data, 32));

    uint8_t cfb[32];
    cipher.Encrypt(data, cfb, 32, kCipherCfb);
    EXPECT_EQ(ToHex(cfb, 29), "E73214A2822139CAF26ECF6D2EB9E76E3DA3DE04D1517200519D57A6C3");
    cipher.Decrypt(cfb, 32, kCipherCfb);
    EXPECT_EQ(0, std::memcmp(cfb, data, 32));
}

TEST(BlowfishCipher, KeyBeyond56BytesUsesItsFirst56) {
    std::vector<uint8_t> key(60);
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> changedTail = key;
    changedTail[58] ^= 0xFF;
    const uint8_t block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t a[8], b[8], c[8];
    BlowfishCipher(key.data(), 60).Encrypt(block, a, 8);
    BlowfishCipher(changedTail.data(), 60).Encrypt(block, b, 8);
    BlowfishCipher(key.data(), 56).Encrypt(block, c, 8);
    EXPECT_EQ(0, std::memcmp(a, b, 8));
    EXPECT_EQ(0, std::memcmp(a, c, 8));
}

TEST(BlowfishCipher, MisuseRaisesTheTwoMessages) {
    const uint8_t key[1] = {0};
    try {
        BlowfishCipher cipher(key, 0);
        FAIL() << "empty key accepted";
    } catch (const BlowfishError& e) {
        EXPECT_STREQ(e.what(), "Incorrect key length");
    }
    BlowfishCipher cipher(key, 1);
    uint8_t buffer[16] = {};
    for (size_t length : {size_t{0}, size_t{7}, size_t{9}}) {
        try {
            cipher.Encrypt(buffer, buffer, length);
            FAIL() << "length " << length << " accepted";
        } catch (const BlowfishError& e) {
            EXPECT_STREQ(e.what(), "Incorrect buffer length");
        }
        EXPECT_THROW(cipher.Decrypt(buffer, length), BlowfishError);
    }
}

TEST(BlowfishCipher, ChainingRestartsOnEveryCall) {
    const char key[] = "k";
    BlowfishCipher cipher(key, 1);
    uint8_t twoBlocks[16] = {'s', 'a', 'm', 'e', 'b', 'l', 'k', '!',
                             's', 'a', 'm', 'e', 'b', 'l', 'k', '!'};
    uint8_t ecb[16], cbc[16], cbcAgain[16];
    cipher.Encrypt(twoBlocks, ecb, 16, kCipherEcb);
    cipher.Encrypt(twoBlocks, cbc, 16, kCipherCbc);
    cipher.Encrypt(twoBlocks, cbcAgain, 16, kCipherCbc);
    EXPECT_EQ(0, std::memcmp(ecb, ecb + 8, 8));
    EXPECT_NE(0, std::memcmp(cbc, cbc + 8, 8));
    EXPECT_EQ(0, std::memcmp(cbc, cbcAgain, 16));
    // Any other mode number means ECB.
    uint8_t other[16];
    cipher.Encrypt(twoBlocks, other, 16, 7);
    EXPECT_EQ(0, std::memcmp(ecb, other, 16));
}

TEST(BlowfishCipher, HexTextRoundsUpAndRoundTrips) {
    const char key[] = "secret";
    BlowfishCipher cipher(key, 6);
    EXPECT_EQ(cipher.EncryptToHex("a", 1).size(), 16u);
    EXPECT_EQ(cipher.EncryptToHex("abcdefgh", 8).size(), 16u);
    EXPECT_EQ(cipher.EncryptToHex("abcdefghi", 9).size(), 32u);
    EXPECT_EQ(cipher.EncryptToHex("", 0), "");

    const std::string hex = cipher.EncryptToHex("hello, world", 12);
    EXPECT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    char plain[32] = {};
    EXPECT_EQ(cipher.DecryptFromHex(hex, plain, sizeof plain), 16u);
    EXPECT_STREQ(plain, "hello, world");

    std::string lower = hex;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    char again[32] = {};
    cipher.DecryptFromHex(lower + "F", again, sizeof again);  // an odd trailing digit is ignored
    EXPECT_STREQ(again, "hello, world");
}

TEST(BlowfishCipher, DecryptFromHexStaysInsideItsBuffer) {
    const char key[] = "secret";
    BlowfishCipher cipher(key, 6);
    const std::string hex = cipher.EncryptToHex("0123456789ABCDEF", 16);
    // Capacity 4 would need 8 bytes after rounding: refused, buffer untouched.
    uint8_t small[4 + 8];
    std::memset(small, 0xAB, sizeof small);
    EXPECT_EQ(cipher.DecryptFromHex(hex, small, 4), 0u);
    for (uint8_t b : small)
        EXPECT_EQ(b, 0xAB);
    // Capacity 8 of a 16-byte text converts and decrypts only the first block.
    uint8_t eight[8 + 8];
    std::memset(eight, 0xCD, sizeof eight);
    EXPECT_EQ(cipher.DecryptFromHex(hex, eight, 8), 8u);
    EXPECT_EQ(0, std::memcmp(eight, "01234567", 8));
    for (size_t i = 8; i < sizeof eight; ++i)
        EXPECT_EQ(eight[i], 0xCD);
    // Non-hex pairs leave their bytes as they were.
    uint8_t kept[8] = {};
    EXPECT_EQ(cipher.DecryptFromHex("zz", kept, sizeof kept), 8u);
}

}  // namespace
}  // namespace vt::cipher
