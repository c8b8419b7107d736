// SHA-256 and ECDSA P-256 checks against known answers: the same vectors run
// on OpenSSL natively and on CNG under wine, so both doors agree.
#include "platform/signature.h"

#include <gtest/gtest.h>

#include <string>

namespace vt::platform {
namespace {

template <size_t N>
std::array<uint8_t, N> FromHex(const std::string& hex) {
    std::array<uint8_t, N> bytes{};
    EXPECT_EQ(hex.size(), 2 * N);
    for (size_t i = 0; i < N && 2 * i + 1 < hex.size(); ++i)
        bytes[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return bytes;
}

Sha256Digest Digest(const std::string& text) {
    Sha256 hash;
    EXPECT_TRUE(hash.Update(text.data(), text.size()));
    Sha256Digest digest{};
    EXPECT_TRUE(hash.Finish(digest));
    return digest;
}

// The repository's test release key and a second, unrelated key.
const P256PublicKey kTestKey = FromHex<65>(
    "048eb59a1518f9b868262155e0ad85e2ce6028d97c95b03662f116d47a954210f5ed2aadee7f3a5c8d6c18f3ee0a"
    "dd7be2f91596a9dd54d8ac42e500fb5ae587bb");
const P256PublicKey kOtherKey = FromHex<65>(
    "048580bdd60432ccdab45d6375ead2e224dc55c27219d0fea37835b68aa5ef461b00f37dc877c5a564e8d76d705e"
    "1f793542dde682966098dd63c19230c92c9201");
// The test key's signature over SHA-256("VaelTessel release"), r then s.
const P256Signature kSignature = FromHex<64>(
    "92172668ee7f545e0c221fd8464deffdafc7d04d1450d3b76ea3a4ece0b2f723c15938b56fdf60c9194ef8b5fbe0"
    "356a1ca9529973490a6a7784a2bd80718353");
const std::string kMessage = "VaelTessel release";

TEST(Sha256Test, KnownAnswersWholeAndInPieces) {
    EXPECT_EQ(Digest(""), FromHex<32>("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b78"
                                      "52b855"));
    EXPECT_EQ(Digest("abc"),
              FromHex<32>("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f2"
                          "0015ad"));
    EXPECT_EQ(Digest(kMessage),
              FromHex<32>("54d9845aae19e4f95adfc152e87aa5b97cc9dc9e947b0a487ae712eb"
                          "ffaf7c32"));
    // A million 'a' fed in uneven pieces.
    Sha256 hash;
    const std::string piece(997, 'a');
    size_t fed = 0;
    while (fed + piece.size() <= 1000000) {
        ASSERT_TRUE(hash.Update(piece.data(), piece.size()));
        fed += piece.size();
    }
    ASSERT_TRUE(hash.Update(piece.data(), 1000000 - fed));
    Sha256Digest digest{};
    ASSERT_TRUE(hash.Finish(digest));
    EXPECT_EQ(digest,
              FromHex<32>("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"));
    // A spent hasher refuses more work rather than answering twice.
    EXPECT_FALSE(hash.Update("x", 1));
    EXPECT_FALSE(hash.Finish(digest));
}

TEST(SignatureTest, TheKeysOwnSignatureOverTheDataIsValid) {
    EXPECT_EQ(VerifyP256Signature(kTestKey, Digest(kMessage), kSignature), SignatureCheck::kValid);
}

TEST(SignatureTest, EveryChangeMakesItInvalid) {
    const Sha256Digest digest = Digest(kMessage);
    EXPECT_EQ(VerifyP256Signature(kOtherKey, digest, kSignature), SignatureCheck::kInvalid);
    EXPECT_EQ(VerifyP256Signature(kTestKey, Digest(kMessage + "."), kSignature),
              SignatureCheck::kInvalid);
    for (size_t i : {0, 17, 31, 32, 50, 63}) {
        P256Signature flipped = kSignature;
        flipped[i] ^= 0x01;
        EXPECT_EQ(VerifyP256Signature(kTestKey, digest, flipped), SignatureCheck::kInvalid) << i;
    }
    // r and s swapped, zero, and at or above the group order are no signatures.
    P256Signature swapped{};
    std::copy(kSignature.begin() + 32, kSignature.end(), swapped.begin());
    std::copy(kSignature.begin(), kSignature.begin() + 32, swapped.begin() + 32);
    EXPECT_EQ(VerifyP256Signature(kTestKey, digest, swapped), SignatureCheck::kInvalid);
    EXPECT_EQ(VerifyP256Signature(kTestKey, digest, P256Signature{}), SignatureCheck::kInvalid);
    P256Signature huge;
    huge.fill(0xFF);
    EXPECT_EQ(VerifyP256Signature(kTestKey, digest, huge), SignatureCheck::kInvalid);
}

TEST(SignatureTest, AKeyOffTheCurveNeverVerifies) {
    const Sha256Digest digest = Digest(kMessage);
    P256PublicKey offCurve = kTestKey;
    offCurve[64] ^= 0x01;
    EXPECT_NE(VerifyP256Signature(offCurve, digest, kSignature), SignatureCheck::kValid);
    P256PublicKey compressedTag = kTestKey;
    compressedTag[0] = 0x02;
    EXPECT_EQ(VerifyP256Signature(compressedTag, digest, kSignature), SignatureCheck::kBadKey);
    EXPECT_EQ(VerifyP256Signature(P256PublicKey{}, digest, kSignature), SignatureCheck::kBadKey);
}

}  // namespace
}  // namespace vt::platform
