// Release package formats: the public key and signature files, and what an
// unpacked package may hold before it is installed.
#include "refitter/release_package.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace vt::refitter {
namespace {

const char kTestKeyText[] =
    "048eb59a1518f9b868262155e0ad85e2ce6028d97c95b03662f116d47a954210f5ed2aadee7f3a5c8d6c18f3ee0a"
    "dd7be2f91596a9dd54d8ac42e500fb5ae587bb";

TEST(ReleaseFormatsTest, PublicKeyFiles) {
    platform::P256PublicKey key{};
    ASSERT_TRUE(ParsePublicKeyText(std::string("  ") + kTestKeyText + "\r\n", key));
    EXPECT_EQ(key[0], 0x04);
    EXPECT_EQ(key[64], 0xbb);
    EXPECT_EQ(PublicKeyText(key), std::string(kTestKeyText) + "\n");
    EXPECT_EQ(KeyId(key).size(), 16u);
    platform::P256PublicKey other = key;
    other[10] ^= 1;
    EXPECT_NE(KeyId(other), KeyId(key));

    const std::string text = kTestKeyText;
    for (const std::string& bad :
         {std::string(), text.substr(2), text + "00", "02" + text.substr(2),
          text.substr(0, 129) + "g", text.substr(0, 64) + " " + text.substr(64)})
        EXPECT_FALSE(ParsePublicKeyText(bad, key)) << bad;
}

TEST(ReleaseFormatsTest, SignatureFiles) {
    platform::P256Signature signature{};
    for (size_t i = 0; i < signature.size(); ++i)
        signature[i] = static_cast<uint8_t>(i * 7);
    const std::string text = SignatureFileText("0123456789abcdef", signature);
    EXPECT_EQ(text.substr(0, 48), "vaeltessel-release-signature 1 0123456789abcdef ");
    std::string keyId;
    platform::P256Signature read{};
    ASSERT_TRUE(ParseSignatureFile(text, keyId, read));
    EXPECT_EQ(keyId, "0123456789abcdef");
    EXPECT_EQ(read, signature);
    // Upper-case digits and a Windows line end read the same.
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'f' && &c > &upper[40])
            c = static_cast<char>(c - 32);
    upper.back() = '\r';
    ASSERT_TRUE(ParseSignatureFile(upper + "\n", keyId, read));
    EXPECT_EQ(read, signature);

    const std::string hex = text.substr(48, 128);
    for (const std::string& bad : {
             std::string(),
             "vaeltessel-release-signature 2 0123456789abcdef " + hex,
             "vaeltessel-release-signature 1 0123456789abcde " + hex,
             "vaeltessel-release-signature 1 0123456789abcdef " + hex.substr(2),
             "vaeltessel-release-signature 1 0123456789abcdef " + hex + "00",
             "vaeltessel-release-signature 1 0123456789abcdef " + hex + " extra",
             "vaeltessel-release-signature 1 0123456789abcdeg " + hex,
             "other-signature 1 0123456789abcdef " + hex,
             text + std::string(2000, ' '),
         })
        EXPECT_FALSE(ParseSignatureFile(bad, keyId, read)) << bad;
}

class UnpackedPackageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteTestFile(dir_ / "release.ini", "[Release]\r\nversion=9126\r\n");
        test::WriteTestFile(dir_ / "VaelTessel.exe", "program");
        test::WriteTestFile(dir_ / "Surgewell.dll", "module");
    }
    ContentProblem Check(int32_t offered = 9126, int32_t installed = 9125) {
        return CheckUnpackedPackage(dir_.path(), "VaelTessel.exe", offered, installed, contents_);
    }
    test::TempDir dir_;
    PackageContents contents_;
};

TEST_F(UnpackedPackageTest, ANewerProgramWithItsManifestIsInstallable) {
    platform::MakeDirectory(dir_ / "Help");
    test::WriteTestFile(dir_ / "Help\\guide.txt", "help");
    ASSERT_EQ(Check(), ContentProblem::kContentOk);
    EXPECT_EQ(contents_.version, 9126);
    EXPECT_EQ(contents_.files,
              (std::vector<std::string>{"Surgewell.dll", "VaelTessel.exe", "Help\\guide.txt"}));
    // An unknown installed version is not compared.
    EXPECT_EQ(Check(9126, 0), ContentProblem::kContentOk);
}

TEST_F(UnpackedPackageTest, VersionsMustMatchTheOfferAndBeNewer) {
    EXPECT_EQ(Check(9127), ContentProblem::kWrongVersion);
    // An old signed package offered as itself is a downgrade.
    EXPECT_EQ(Check(9126, 9126), ContentProblem::kNotNewer);
    EXPECT_EQ(Check(9126, 9200), ContentProblem::kNotNewer);
    for (const char* manifest : {"", "[Release]\r\nversion=\r\n", "[Release]\r\nversion=9126x\r\n",
                                 "[Other]\r\nversion=9126\r\n"}) {
        test::WriteTestFile(dir_ / "release.ini", manifest);
        EXPECT_EQ(Check(), ContentProblem::kNoManifest) << manifest;
    }
    platform::RemoveFile(dir_ / "release.ini");
    EXPECT_EQ(Check(), ContentProblem::kNoManifest);
}

TEST_F(UnpackedPackageTest, ThePackageMustHoldTheProgram) {
    platform::RemoveFile(dir_ / "VaelTessel.exe");
    EXPECT_EQ(Check(), ContentProblem::kNoProgram);
    test::WriteTestFile(dir_ / "VAELTESSEL.EXE", "program");
    EXPECT_EQ(Check(), ContentProblem::kContentOk);
}

TEST_F(UnpackedPackageTest, TheUpdatersAndTheUsersFilesAreNeverReplaced) {
    for (const char* name :
         {"Refitter.exe", "refitterver.ini", "ImageRes\\bg.png", "config", "VER.INI", "servers.ini",
          "Download\\1.zip", "manager.lock", "RefitterWork\\journal.txt", "Uninstall.exe"}) {
        test::TempDir dir;
        test::WriteTestFile(dir / "release.ini", "[Release]\r\nversion=9126\r\n");
        test::WriteTestFile(dir / "VaelTessel.exe", "program");
        const std::string path = dir / name;
        const size_t folder = path.rfind('\\');
        platform::MakeDirectory(path.substr(0, folder));
        test::WriteTestFile(path, "x");
        EXPECT_EQ(CheckUnpackedPackage(dir.path(), "VaelTessel.exe", 9126, 9125, contents_),
                  ContentProblem::kReservedName)
            << name;
    }
}

}  // namespace
}  // namespace vt::refitter
