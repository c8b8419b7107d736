#include "settings/settings.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/file_faults.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/app_state.h"
#include "support/temp_dir.h"

namespace vt::settings {
namespace {

// Each test gets its own program directory and documents folder.
class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app_.SetProgramDir(program_.path());
        SetDocumentsFolder(documents_.path());
    }
    void TearDown() override { SetDocumentsFolder(""); }

    static void SetDocumentsFolder(const std::string& dir) {
        platform::SetEnv("VAEL_DOCUMENTS", platform::LocalToUtf8(dir));
    }

    test::TempDir program_;
    test::TempDir documents_;
    CAppState app_;
};

TEST_F(SettingsTest, NoSettingsFileMeansNoGame) {
    LoadSettings(app_);
    EXPECT_EQ(app_.GamePath(), "");
    EXPECT_EQ(app_.GameDir(), "");
}

TEST_F(SettingsTest, GameDirIsTheChosenFilesDirectoryUnlessDocumentsHoldAddons) {
    const std::string chosen = "D:\\Game\\vaelpatchchinese.exe";
    EXPECT_EQ(DeriveGameDir(chosen), "D:\\Game\\");

    // An addon directory with only files, or only dot folders, does not count.
    const std::string addons = documents_ / "VAEL\\Interface\\Addons";
    ASSERT_TRUE(platform::MakeDirectory(documents_ / "VAEL"));
    ASSERT_TRUE(platform::MakeDirectory(documents_ / "VAEL\\Interface"));
    ASSERT_TRUE(platform::MakeDirectory(addons));
    test::WriteTestFile(addons + "\\readme.txt", "x");
    ASSERT_TRUE(platform::MakeDirectory(addons + "\\.svn"));
    EXPECT_EQ(DeriveGameDir(chosen), "D:\\Game\\");

    ASSERT_TRUE(platform::MakeDirectory(addons + "\\Bagnon"));
    EXPECT_EQ(DeriveGameDir(chosen), platform::DocumentsFolder() + "\\VAEL\\");
    EXPECT_TRUE(platform::IsDirectory(DeriveGameDir(chosen) + "Interface\\Addons\\Bagnon"));
    EXPECT_EQ(DeriveGameDir(""), "");
}

TEST_F(SettingsTest, DoubleByteTrailBackslashIsNoSeparator) {
    // "\x81\x5C" is one GBK character whose second byte is a backslash.
    EXPECT_EQ(DeriveGameDir("D:\\\x81\x5C\\game.exe"), "D:\\\x81\x5C\\");
    EXPECT_EQ(DeriveGameDir("D:\\dir\\\x81\x5C"), "D:\\dir\\");
}

TEST_F(SettingsTest, ChineseGamePathRoundTripsAsGbkBytes) {
    const std::string path = "D:\\\xD3\xCE\xCF\xB7\\vaelpatchchinese.exe";  // "游戏"
    SaveGamePath(app_, path);
    std::string stored;
    ASSERT_TRUE(platform::ReadWholeFile(program_ / "config", stored));
    EXPECT_NE(stored.find("GamePath=" + path), std::string::npos);

    app_.SetGame("", "");
    LoadSettings(app_);
    EXPECT_EQ(app_.GamePath(), path);
    EXPECT_EQ(app_.GameDir(), "D:\\\xD3\xCE\xCF\xB7\\");
}

TEST_F(SettingsTest, HandEditedAndBrokenFilesReadSafely) {
    test::WriteTestFile(program_ / "config", "");
    LoadSettings(app_);
    EXPECT_EQ(app_.GamePath(), "");

    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 131) & 0xFF);
    test::WriteTestFile(program_ / "config", garbage);
    LoadSettings(app_);
    EXPECT_LT(app_.GamePath().size(), 200u);

    test::WriteTestFile(program_ / "config", "[setting]\r\n gamepath = C:\\Vael\\a.exe \r\n");
    LoadSettings(app_);
    EXPECT_EQ(app_.GamePath(), "C:\\Vael\\a.exe");
    EXPECT_EQ(app_.GameDir(), "C:\\Vael\\");
}

TEST_F(SettingsTest, APathLongerThanTheProgramKeepsIsNeverCutIntoAParent) {
    const std::string kept = "C:\\Vael\\vaelpatchchinese.exe";
    ASSERT_TRUE(SaveGamePath(app_, kept));
    // 199 bytes fit; 200 do not, and saving them changes nothing.
    const std::string fits = "C:\\" + std::string(kMaxGamePathBytes - 3, 'x');
    const std::string tooLong = "C:\\Games\\" + std::string(300, 'x') + "\\game.exe";
    EXPECT_FALSE(SaveGamePath(app_, fits + "y"));
    EXPECT_FALSE(SaveGamePath(app_, tooLong));
    EXPECT_EQ(app_.GamePath(), kept);
    EXPECT_TRUE(LoadSettings(app_));
    EXPECT_EQ(app_.GamePath(), kept);
    EXPECT_EQ(app_.GameDir(), "C:\\Vael\\");
    EXPECT_TRUE(SaveGamePath(app_, fits));
    EXPECT_TRUE(LoadSettings(app_));
    EXPECT_EQ(app_.GamePath(), fits);

    // Stored by hand, a long value would read back as its parent directory.
    test::WriteTestFile(program_ / "config", "[Setting]\nGamePath=" + tooLong);
    EXPECT_FALSE(LoadSettings(app_));
    EXPECT_EQ(app_.GamePath(), "");
    EXPECT_EQ(app_.GameDir(), "");
}

TEST_F(SettingsTest, AFailedSaveKeepsTheFileAndTheFields) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows profile functions write past the file layer's fault seam";
#endif
    ASSERT_TRUE(SaveGamePath(app_, "C:\\Old\\a.exe"));
    const std::string before = test::ReadTestFile(program_ / "config");
    for (platform::FileOp op :
         {platform::FileOp::kCreate, platform::FileOp::kWrite, platform::FileOp::kRename}) {
        platform::FailFileOperation(op, 1);
        EXPECT_FALSE(SaveGamePath(app_, "D:\\New\\a.exe"));
        platform::ClearFileFaults();
        EXPECT_EQ(app_.GamePath(), "C:\\Old\\a.exe");
        EXPECT_EQ(app_.GameDir(), "C:\\Old\\");
        EXPECT_EQ(test::ReadTestFile(program_ / "config"), before);
    }
}

TEST_F(SettingsTest, SavingKeepsOtherContentAndVersionFileIsRewritten) {
    test::WriteTestFile(program_ / "config", "[Other]\r\nk=v\r\n[Setting]\r\nGamePath=old\r\n");
    SaveGamePath(app_, "E:\\Vael\\vaelpatchchinese.exe");
    std::string text = test::ReadTestFile(program_ / "config");
    EXPECT_EQ(text, "[Other]\r\nk=v\r\n[Setting]\r\nGamePath=E:\\Vael\\vaelpatchchinese.exe\r\n");

    test::WriteTestFile(program_ / "ver.ini", "[u]\r\nv=1\r\n");
    WriteVersionFile(program_.path());
    EXPECT_EQ(platform::ReadProfileString(program_ / "ver.ini", "u", "v", "", 32),
              std::to_string(kProgramVersion));
}

}  // namespace
}  // namespace vt::settings
