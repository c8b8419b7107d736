// Signature acceptance and refusal over real files, signed here with keys
// made for the test (and with the repository's test key, as the build does).
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/system.h"
#include "refitter/release_package.h"
#include "release_signing.h"
#include "support/temp_dir.h"

namespace vt::refitter {
namespace {

class VerifyPackageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(key_.Generate());
        ASSERT_TRUE(otherKey_.Generate());
        test::WriteTestFile(
            package_, std::string("PK\x03\x04 a release package ", 22) + std::string(100000, 'z'));
        ASSERT_TRUE(sign::SignFile(key_, package_, signature_));
    }
    PackageVerdict Verify() { return VerifyPackage(package_, signature_, key_.PublicKey()); }

    test::TempDir dir_;
    std::string package_ = dir_ / "release_9126.zip";
    std::string signature_ = dir_ / "release_9126.zip.sig";
    sign::SigningKey key_, otherKey_;
};

TEST_F(VerifyPackageTest, TheKeysSignatureOverThePackageIsGenuine) {
    platform::Sha256Digest digest{};
    EXPECT_EQ(VerifyPackage(package_, signature_, key_.PublicKey(), &digest),
              PackageVerdict::kGenuine);
    platform::Sha256Digest expected{};
    ASSERT_TRUE(Sha256OfFile(package_, expected));
    EXPECT_EQ(digest, expected);
}

TEST_F(VerifyPackageTest, TheRepositorysTestKeySignsWhatItsPublicFileVerifies) {
    const std::string source = platform::GetEnv("TESSEL_SOURCE_DIR");
    sign::SigningKey testKey;
    ASSERT_TRUE(testKey.Load(source + "/tools/sign/test-release-key.pem"));
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(source + "/tools/sign/test-release-key.pub", text));
    platform::P256PublicKey published{};
    ASSERT_TRUE(ParsePublicKeyText(text, published));
    EXPECT_EQ(testKey.PublicKey(), published);
    ASSERT_TRUE(sign::SignFile(testKey, package_, signature_));
    EXPECT_EQ(VerifyPackage(package_, signature_, published), PackageVerdict::kGenuine);
}

TEST_F(VerifyPackageTest, AnotherKeysPackageIsRefused) {
    // Verified with another key than the signer's...
    EXPECT_EQ(VerifyPackage(package_, signature_, otherKey_.PublicKey()),
              PackageVerdict::kOtherKey);
    // ...or signed by another key that claims to be ours.
    platform::Sha256Digest digest{};
    ASSERT_TRUE(Sha256OfFile(package_, digest));
    platform::P256Signature forged{};
    ASSERT_TRUE(otherKey_.Sign(digest, forged));
    test::WriteTestFile(signature_, SignatureFileText(KeyId(key_.PublicKey()), forged));
    EXPECT_EQ(Verify(), PackageVerdict::kBadSignature);
}

TEST_F(VerifyPackageTest, AnyFlippedByteIsRefused) {
    const std::string original = test::ReadTestFile(package_);
    for (size_t at : {size_t{0}, size_t{5}, original.size() / 2, original.size() - 1}) {
        std::string tampered = original;
        tampered[at] = static_cast<char>(tampered[at] ^ 0x40);
        test::WriteTestFile(package_, tampered);
        EXPECT_EQ(Verify(), PackageVerdict::kBadSignature) << at;
    }
    test::WriteTestFile(package_, original + "x");
    EXPECT_EQ(Verify(), PackageVerdict::kBadSignature);
    test::WriteTestFile(package_, original.substr(0, original.size() - 1));
    EXPECT_EQ(Verify(), PackageVerdict::kBadSignature);
    test::WriteTestFile(package_, original);
    EXPECT_EQ(Verify(), PackageVerdict::kGenuine);

    // A flipped digit of the signature itself.
    const std::string signature = test::ReadTestFile(signature_);
    std::string flipped = signature;
    flipped[60] = flipped[60] == '0' ? '1' : '0';
    test::WriteTestFile(signature_, flipped);
    EXPECT_EQ(Verify(), PackageVerdict::kBadSignature);
}

TEST_F(VerifyPackageTest, TheSignatureOfAnotherPackageIsRefused) {
    const std::string otherPackage = dir_ / "release_9127.zip";
    test::WriteTestFile(otherPackage, "another genuine package");
    ASSERT_TRUE(sign::SignFile(key_, otherPackage, dir_ / "other.sig"));
    EXPECT_EQ(VerifyPackage(package_, dir_ / "other.sig", key_.PublicKey()),
              PackageVerdict::kBadSignature);
    EXPECT_EQ(VerifyPackage(otherPackage, dir_ / "other.sig", key_.PublicKey()),
              PackageVerdict::kGenuine);
}

TEST_F(VerifyPackageTest, MissingOrMalformedSignaturesAreRefused) {
    platform::RemoveFile(signature_);
    EXPECT_EQ(Verify(), PackageVerdict::kNoSignature);
    test::WriteTestFile(signature_, "");
    EXPECT_EQ(Verify(), PackageVerdict::kNoSignature);
    test::WriteTestFile(signature_, "<html>404 Not Found</html>");
    EXPECT_EQ(Verify(), PackageVerdict::kMalformedSignature);
    test::WriteTestFile(signature_, std::string(5000, 'a'));
    EXPECT_EQ(Verify(), PackageVerdict::kMalformedSignature);
    ASSERT_TRUE(sign::SignFile(key_, package_, signature_));
    platform::RemoveFile(package_);
    EXPECT_EQ(Verify(), PackageVerdict::kUnreadable);
}

}  // namespace
}  // namespace vt::refitter
