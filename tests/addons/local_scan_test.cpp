#include "addons/local_scan.h"

#include "addon_fixture.h"
#include "addons/update_backup.h"

#include <set>

namespace vt::addons {
namespace {

class LocalScanTest : public test::AddonFixture {
  protected:
    const AddonRecord* Entry(const std::string& folder) const {
        for (const AddonRecord& r : *library_->localAddons()) {
            if (r.Folder == folder)
                return &r;
        }
        return nullptr;
    }
    std::shared_ptr<const LocalAddonList> keep_;
};

TEST_F(LocalScanTest, FoldersMatchTheCatalogueAndVersionsGiveTheUpdateMarker) {
    SetCatalogue({{1, "Alpha", "A", "12"},
                  {2, "Bravo", "B", "10"},
                  {3, "Charlie", "C", "3"},
                  {4, "Delta", "D", "9"},
                  {5, "Echo", "E", "5"},
                  {6, "Lower", "lower", "1"},
                  {7, "Zero", "Z", "abc"}});
    InstallFolder("A", "", "12");
    InstallFolder("B", "B", "9");  // project equal to its own name: a main folder
    InstallFolder("C", "", "", false);
    InstallFolder("D", "", "12");
    InstallFolder("E", "", "");  // version file without a version
    InstallFolder("LOWER", "", "1");
    InstallFolder("Z", "", "", false);
    InstallFolder("Foo", "", "", false);
    InstallFolder(".svn", "", "", false);
    InstallFolder("Unlisted", "", "4");
    ASSERT_TRUE(ScanLocalAddons(*library_));

    keep_ = library_->localAddons();
    ASSERT_NE(Entry("A"), nullptr);
    EXPECT_EQ(Entry("A")->Ver, "0");
    EXPECT_EQ(Entry("A")->Name, "Alpha");
    EXPECT_EQ(Entry("B")->Ver, "10");
    EXPECT_EQ(Entry("C")->Ver, "3");
    EXPECT_EQ(Entry("D")->Ver, "0");
    EXPECT_EQ(Entry("E")->Ver, "5");
    EXPECT_EQ(Entry("Z")->Ver, "abc");  // never offers an update: leading integer 0
    EXPECT_EQ(Entry("lower"), nullptr);
    EXPECT_EQ(Entry("LOWER"), nullptr);  // a managed folder the catalogue does not list
    EXPECT_EQ(Entry("Unlisted"), nullptr);
    EXPECT_EQ(Entry(".svn"), nullptr);
    ASSERT_NE(Entry("Foo"), nullptr);
    EXPECT_EQ(Entry("Foo")->Id, 20001);
    EXPECT_EQ(Entry("Foo")->Name, "");
    EXPECT_TRUE(FolderExists(".svn"));
    // Folders without a version file come first.
    std::set<std::string> firstThree;
    for (size_t i = 0; i < 3; ++i)
        firstThree.insert((*library_->localAddons())[i].Folder);
    EXPECT_EQ(firstThree, (std::set<std::string>{"C", "Z", "Foo"}));
}

TEST_F(LocalScanTest, SubFoldersJoinTheirMainFolderOrGoWhenItIsGone) {
    SetCatalogue({{1, "Alpha", "A", "2"}});
    InstallFolder("A", "", "2");
    InstallFolder("A_Options", "A", "2");
    InstallFolder("Gone_Options", "Gone", "2");  // its main folder was deleted
    InstallFolder("Local", "", "", false);
    InstallFolder("Local_Data", "Local", "1");
    InstallFolder("Unlisted", "", "1");
    InstallFolder("Unlisted_Options", "Unlisted", "1");
    ASSERT_TRUE(ScanLocalAddons(*library_));

    ASSERT_NE(Entry("A"), nullptr);
    EXPECT_EQ(Entry("A")->SubFolders, std::vector<std::string>{"A_Options"});
    EXPECT_EQ(Entry("A_Options"), nullptr);
    ASSERT_NE(Entry("Local"), nullptr);
    EXPECT_EQ(Entry("Local")->SubFolders, std::vector<std::string>{"Local_Data"});
    EXPECT_FALSE(FolderExists("Gone_Options"));
    // The main folder is still installed, only unknown to this catalogue.
    EXPECT_TRUE(FolderExists("Unlisted_Options"));
    EXPECT_EQ(library_->localAddons()->size(), 2u);
}

TEST_F(LocalScanTest, NothingIsDeletedWhileTheCatalogueIsEmpty) {
    InstallFolder("Gone_Options", "Gone", "2");
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_TRUE(FolderExists("Gone_Options"));
    EXPECT_TRUE(library_->localAddons()->empty());
}

TEST_F(LocalScanTest, NoGameDirectoryLeavesTheListAsItWas) {
    SetCatalogue({{1, "Alpha", "A", "2"}});
    InstallFolder("A", "", "1");
    ASSERT_TRUE(ScanLocalAddons(*library_));
    SetGamePath("");
    EXPECT_FALSE(ScanLocalAddons(*library_));
    EXPECT_EQ(LocalIds(), std::vector<int32_t>{1});
}

TEST_F(LocalScanTest, AnUndecidedInstallIsRolledBackADecidedOneFinished) {
    SetCatalogue({{1, "Alpha", "A", "5"}});
    const std::string transaction = UpdateBackupRoot(addonDir_) + "\\1";
    // A process died after setting A and A_Options aside, before deciding.
    platform::MakeDirectoryPath(transaction);
    InstallFolder("A", "", "4");
    InstallFolder("A_Options", "A", "4");
    ASSERT_TRUE(platform::RenamePath(addonDir_ + "\\A", transaction + "\\A"));
    ASSERT_TRUE(platform::RenamePath(addonDir_ + "\\A_Options", transaction + "\\A_Options"));
    platform::MakeDirectoryPath(StagingDir(addonDir_) + "\\A");
    test::WriteTestFile(StagingDir(addonDir_) + "\\A\\half.lua", "partial");

    library_->MarkUpdating(1, true);  // still running here: left alone
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_FALSE(FolderExists("A"));
    EXPECT_TRUE(platform::IsDirectory(StagingDir(addonDir_)));
    library_->MarkUpdating(1, false);

    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_EQ(AddonFile("A\\main.lua"), "old");
    EXPECT_EQ(AddonFile("A\\half.lua"), "");
    EXPECT_TRUE(FolderExists("A_Options"));
    EXPECT_FALSE(platform::PathExists(StagingDir(addonDir_)));
    EXPECT_FALSE(platform::PathExists(UpdateBackupRoot(addonDir_)));
    ASSERT_EQ(LocalIds(), std::vector<int32_t>{1});
    EXPECT_EQ(library_->localAddons()->front().Ver, "5");

    // Decided: whatever is left of the old version goes, even half deleted,
    // and the staged new version comes in.
    platform::MakeDirectoryPath(transaction + ".done");
    ASSERT_TRUE(platform::RenamePath(addonDir_ + "\\A", transaction + ".done\\A"));
    ASSERT_TRUE(platform::RemoveFile(transaction + ".done\\A\\tesselver.txt"));
    platform::MakeDirectoryPath(StagingDir(addonDir_) + "\\A");
    test::WriteTestFile(StagingDir(addonDir_) + "\\A\\main.lua", "new");
    test::WriteTestFile(StagingDir(addonDir_) + "\\A\\tesselver.txt",
                        test::VersionFileText("", "5"));
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_EQ(AddonFile("A\\main.lua"), "new");
    EXPECT_FALSE(platform::PathExists(UpdateBackupRoot(addonDir_)));
    EXPECT_FALSE(platform::PathExists(StagingDir(addonDir_)));
    EXPECT_EQ(library_->localAddons()->front().Ver, "0");

    // The same with the addon directory gone meanwhile: it comes back.
    platform::MakeDirectoryPath(transaction + ".done");
    platform::MakeDirectoryPath(StagingDir(addonDir_) + "\\B");
    test::WriteTestFile(StagingDir(addonDir_) + "\\B\\main.lua", "b");
    ASSERT_TRUE(platform::DeleteDirectoryTree(addonDir_));
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_EQ(AddonFile("B\\main.lua"), "b");
    EXPECT_FALSE(platform::PathExists(UpdateBackupRoot(addonDir_)));
}

}  // namespace
}  // namespace vt::addons
