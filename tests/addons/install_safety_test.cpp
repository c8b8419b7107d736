// What an install leaves when the process dies or a file operation fails at
// any point, when another manager works on the same directories, with names
// the code page cannot spell, and when the owner cancels.
#include <gtest/gtest.h>

#include <map>

#include "addon_fixture.h"
#include "addons/addon_paths.h"
#include "addons/addon_removal.h"
#include "addons/archive_install.h"
#include "addons/catalogue_refresh.h"
#include "addons/install_pipeline.h"
#include "addons/local_scan.h"
#include "addons/reload_all.h"
#include "addons/update_backup.h"
#include "archive/extract_archive.h"
#include "archive/zip_reader.h"
#include "platform/file_faults.h"
#include "platform/file_names.h"
#include "platform/manager_lock.h"
#include "settings/settings.h"

namespace vt::addons {
namespace {

using Tree = std::map<std::string, std::string>;  // relative path -> content

class InstallSafetyTest : public test::AddonFixture {
  protected:
    void SetUp() override {
        test::AddonFixture::SetUp();
        settings::LoadSettings(app_);
    }
    void TearDown() override {
        platform::ClearFileFaults();
        test::AddonFixture::TearDown();
    }

    // Every file under the addon directory.
    Tree Snapshot(const std::string& dir = "", Tree tree = {}) const {
        const std::string base = dir.empty() ? addonDir_ : addonDir_ + "\\" + dir;
        for (const std::string& name : platform::ListDirectory(base)) {
            const std::string relative = dir.empty() ? name : dir + "\\" + name;
            if (platform::IsDirectory(addonDir_ + "\\" + relative)) {
                tree = Snapshot(relative, std::move(tree));
            } else {
                tree[relative] = test::ReadTestFile(addonDir_ + "\\" + relative);
            }
        }
        return tree;
    }
    void Plant(const Tree& tree) {
        platform::DeleteDirectoryTree(addonDir_);
        for (const auto& [path, content] : tree) {
            platform::MakeDirectoryPath(addonDir_ + "\\" + path.substr(0, path.rfind('\\')));
            test::WriteTestFile(addonDir_ + "\\" + path, content);
        }
    }
    void PutArchive(int32_t id, const Tree& tree) {
        test::ZipMembers members(tree.begin(), tree.end());
        platform::MakeDirectoryPath(program_ / "Download");
        test::WriteTestFile(ArchivePath(app_.ProgramDir(), id), test::BuildZip(members));
    }
    bool WorkDirectoriesGone() const {
        return !platform::PathExists(UpdateBackupRoot(addonDir_)) &&
               !platform::PathExists(StagingDir(addonDir_));
    }

    // Old version 1 of addon 1 (folders A and A_Options), the archive of
    // version 2 (A, A_Options and a new A_Extra), and a folder of nobody's.
    static Tree Version(const std::string& ver, int files) {
        Tree tree{{"A\\tesselver.txt", test::VersionFileText("", ver)},
                  {"A_Options\\tesselver.txt", test::VersionFileText("A", ver)}};
        for (int i = 0; i < files; ++i) {
            tree["A\\f" + std::to_string(i) + ".lua"] = "v" + ver;
            tree["A_Options\\o" + std::to_string(i % 4) + ".lua"] = "v" + ver;
        }
        if (ver == "2")
            tree["A_Extra\\x.lua"] = "v2";
        return tree;
    }
    static Tree With(Tree tree, const Tree& more) {
        tree.insert(more.begin(), more.end());
        return tree;
    }

    // Installs the archive with the n-th operation of kind op failing (with
    // halt: the process dies there), then runs the next scan as the next
    // start of the program would; the addon directory must hold the whole
    // old or the whole new state.
    void CrashAndRecover(const Tree& before, const Tree& archive, bool isUpdate) {
        const Tree keep{{"Keep\\keep.txt", "mine"}};
        const Tree oldState = With(before, keep);
        const Tree newState = With(archive, keep);
        SetCatalogue({{1, "Alpha", "A", "2"}});
        for (platform::FileOp op : {platform::FileOp::kWrite, platform::FileOp::kCreate,
                                    platform::FileOp::kRename, platform::FileOp::kDelete}) {
            // How many operations of this kind a clean install makes.
            Plant(oldState);
            ASSERT_TRUE(ScanLocalAddons(*library_));
            PutArchive(1, archive);
            platform::ClearFileFaults();
            ASSERT_EQ(InstallArchive(*library_, 1, ArchivePath(app_.ProgramDir(), 1), isUpdate),
                      InstallOutcome::kInstalled);
            const int count = platform::FileOperationCount(op);
            ASSERT_EQ(Snapshot(), newState);
            ASSERT_TRUE(WorkDirectoriesGone());
            for (int n = 1; n <= count; ++n) {
                for (bool halt : {true, false}) {
                    Plant(oldState);
                    ASSERT_TRUE(ScanLocalAddons(*library_));
                    PutArchive(1, archive);
                    platform::ClearFileFaults();
                    platform::FailFileOperation(op, n, halt);
                    const InstallOutcome outcome =
                        InstallArchive(*library_, 1, ArchivePath(app_.ProgramDir(), 1), isUpdate);
                    platform::ClearFileFaults();
                    ASSERT_TRUE(ScanLocalAddons(*library_));
                    const Tree after = Snapshot();
                    const std::string where = "operation " + std::to_string(static_cast<int>(op)) +
                                              " #" + std::to_string(n) + (halt ? " halt" : "");
                    EXPECT_TRUE(after == oldState || after == newState) << where;
                    if (outcome == InstallOutcome::kInstalled) {
                        EXPECT_EQ(after, newState) << where;
                    }
                    EXPECT_TRUE(WorkDirectoriesGone()) << where;
                }
            }
        }
    }
};

TEST_F(InstallSafetyTest, AnUpdateStoppedAtAnyFileOperationLeavesOneWholeVersion) {
    CrashAndRecover(Version("1", 4), Version("2", 6), true);
}

TEST_F(InstallSafetyTest, AFreshInstallStoppedAtAnyFileOperationLeavesNothingOrAllOfIt) {
    CrashAndRecover({}, Version("2", 6), false);
}

TEST_F(InstallSafetyTest, AFullDiskOrAnOverlongMemberLeavesNothingBehind) {
    SetCatalogue({{1, "Alpha", "A", "2"}});
    ASSERT_TRUE(ScanLocalAddons(*library_));
    PutArchive(1, Version("2", 8));
    platform::SetDiskFull(true);
    EXPECT_EQ(InstallArchive(*library_, 1, ArchivePath(app_.ProgramDir(), 1), false),
              InstallOutcome::kExtractFailed);
    platform::ClearFileFaults();
    EXPECT_TRUE(Snapshot().empty());
    EXPECT_TRUE(WorkDirectoriesGone());
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_TRUE(LocalIds().empty());  // not listed, so a new request is taken

    // A path that fits the staging directory's length only if measured there
    // would not fit the addon directory: the check refuses it up front.
    const std::string name =
        "A\\" + std::string(archive::kMaxMemberPath - addonDir_.size() - 2, 'n');
    ASSERT_LT(name.size(), archive::kZipMaxName);
    PutArchive(1, {{"A\\tesselver.txt", test::VersionFileText("", "2")}, {name, "x"}});
    EXPECT_EQ(InstallArchive(*library_, 1, ArchivePath(app_.ProgramDir(), 1), false),
              InstallOutcome::kBrokenArchive);
    EXPECT_TRUE(Snapshot().empty());
    EXPECT_TRUE(WorkDirectoriesGone());
    EXPECT_FALSE(platform::PathExists(ArchivePath(app_.ProgramDir(), 1)));
}

TEST_F(InstallSafetyTest, NothingIsTouchedWhileAnotherManagerWorks) {
    SetCatalogue({{1, "Alpha", "A", "2"}});
    Plant(Version("1", 2));
    ASSERT_TRUE(ScanLocalAddons(*library_));
    // The other manager is half way through an update of its own.
    platform::MakeDirectoryPath(UpdateBackupRoot(addonDir_) + "\\1");
    ASSERT_TRUE(platform::RenamePath(addonDir_ + "\\A_Options",
                                     UpdateBackupRoot(addonDir_) + "\\1\\A_Options"));
    const Tree during = Snapshot();

    for (const std::string& lockPath :
         {ProgramLockPath(app_.ProgramDir()), GameLockPath(app_.GameDir())}) {
        platform::ManagerLock other;
        ASSERT_EQ(other.Acquire(lockPath, 0), platform::LockResult::kAcquired);
        const int notes = window_.busyNotes();
        ReloadAll(*library_);
        EXPECT_TRUE(ScanLocalAddons(*library_));  // reads only
        EXPECT_EQ(LocalIds(), std::vector<int32_t>{1});
        EXPECT_FALSE(DeleteAddon(*library_, 1));
        EXPECT_FALSE(DeleteAllAddons(*library_));
        ServeAddon(1, "A", "2");
        EXPECT_EQ(RequestInstall(*library_, 1, 0), kRequestQueued);
        library_->WaitIdle();
        EXPECT_EQ(observer_.outcomes().back(), InstallOutcome::kManagerBusy);
        EXPECT_EQ(Snapshot(), during);
        EXPECT_TRUE(platform::IsDirectory(UpdateBackupRoot(addonDir_) + "\\1\\A_Options"));
        EXPECT_GE(window_.busyNotes(), notes + 4);
        list_.DeleteAllRows();
    }
    // Once it is gone, its interrupted update is rolled back.
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_EQ(Snapshot(), Version("1", 2));
    EXPECT_TRUE(WorkDirectoriesGone());
}

TEST_F(InstallSafetyTest, NamesTheCodePageCannotSpellAreUpdatedAndDeletedWhole) {
    const std::string korean = platform::FileNameFromUtf8("\xED\x95\x9C\xEA\xB8\x80");
    const std::string koreanText = platform::FileNameFromUtf8("\xED\x95\x9C\xEA\xB8\x80.txt");
    const std::string emoji = platform::FileNameFromUtf8("\xF0\x9F\x98\x80.lua");
    SetCatalogue({{1, "Alpha", "A", "2"}});
    Plant(With(Version("1", 2), {{"A\\" + koreanText, "k"},
                                 {"A\\" + emoji, "e"},
                                 {"A\\" + korean + "\\" + emoji, "deep"},
                                 {korean + "\\" + emoji, "local only"}}));
    ASSERT_TRUE(ScanLocalAddons(*library_));
    ASSERT_EQ(LocalIds(), (std::vector<int32_t>{20001, 1}));
    EXPECT_EQ(library_->localAddons()->front().Folder, korean);

    PutArchive(1, Version("2", 2));
    EXPECT_EQ(InstallArchive(*library_, 1, ArchivePath(app_.ProgramDir(), 1), true),
              InstallOutcome::kInstalled);
    EXPECT_EQ(Snapshot(), With(Version("2", 2), {{korean + "\\" + emoji, "local only"}}));
    EXPECT_TRUE(WorkDirectoriesGone());

    ASSERT_TRUE(ScanLocalAddons(*library_));
    int32_t koreanId = 0;
    for (const AddonRecord& record : *library_->localAddons()) {
        if (record.Folder == korean)
            koreanId = record.Id;
    }
    EXPECT_TRUE(DeleteAddon(*library_, koreanId));
    EXPECT_EQ(Snapshot(), Version("2", 2));
}

TEST_F(InstallSafetyTest, LocalOnlyFoldersAreNumberedInOneOrder) {
    for (const char* name : {"b", "C", "A", "a0"})
        InstallFolder(name, "", "", false);
    ASSERT_TRUE(ScanLocalAddons(*library_));
    std::vector<std::string> folders;
    for (const AddonRecord& record : *library_->localAddons())
        folders.push_back(record.Folder);
    EXPECT_EQ(folders, (std::vector<std::string>{"A", "a0", "b", "C"}));
    EXPECT_EQ(LocalIds(), (std::vector<int32_t>{20001, 20002, 20003, 20004}));
}

TEST_F(InstallSafetyTest, CancellingStopsADownloadAndKeepsWhatArrived) {
    ServeCatalogue("s1", {{2, "Two", "Two", "1"}});
    ServeArchive(2, {{"Two\\main.lua", std::string(400000, 'r')}});
    server_.SetStallAfter("/files/2.zip", 150000);
    AddonOptions patient = FastOptions();
    patient.receiveTimeoutMs = 120000;  // only the cancel can end the wait soon
    AddonLibrary library(app_, servers_, window_, list_, patient);
    library.SetInstallObserver(&observer_);
    ReloadAll(library);
    ASSERT_EQ(RequestInstall(library, 2, 0), kRequestQueued);
    while (window_.lastDone() < 100000 && library.RunningWorkers() > 0)
        platform::SleepMs(5);
    library.CancelTransfers();
    library.WaitIdle();
    ASSERT_FALSE(observer_.outcomes().empty());
    EXPECT_EQ(observer_.outcomes().back(), InstallOutcome::kDownloadFailed);
    EXPECT_EQ(observer_.details().back(), net::kDownloadCancelled);
    EXPECT_GE(platform::FileSize(ArchivePath(app_.ProgramDir(), 2) + ".down"), 100000);
    EXPECT_FALSE(FolderExists("Two"));
}

TEST_F(InstallSafetyTest, ADeleteStoppedAtAnyFileOperationLeavesTheAddonWholeOrGone) {
    SetCatalogue({{1, "Alpha", "A", "2"}});
    const Tree keep{{"Keep\\keep.txt", "mine"}};
    const Tree installed = With(Version("1", 4), keep);
    for (platform::FileOp op : {platform::FileOp::kRename, platform::FileOp::kDelete}) {
        Plant(installed);
        ASSERT_TRUE(ScanLocalAddons(*library_));
        platform::ClearFileFaults();
        ASSERT_TRUE(DeleteAddon(*library_, 1));
        ASSERT_EQ(Snapshot(), keep);
        const int count = platform::FileOperationCount(op);
        for (int n = 1; n <= count; ++n) {
            Plant(installed);
            ASSERT_TRUE(ScanLocalAddons(*library_));
            platform::ClearFileFaults();
            platform::FailFileOperation(op, n, true);
            DeleteAddon(*library_, 1);
            platform::ClearFileFaults();
            ASSERT_TRUE(ScanLocalAddons(*library_));
            const Tree after = Snapshot();
            EXPECT_TRUE(after == installed || after == keep) << static_cast<int>(op) << " #" << n;
            EXPECT_TRUE(WorkDirectoriesGone());
        }
    }
}

TEST_F(InstallSafetyTest, ADeleteAllThatFailsSaysSoAndLeavesNoOldVersionToComeBack) {
    SetCatalogue({{1, "Alpha", "A", "2"}});
    Plant({{"Keep\\keep.txt", "mine"}});
    // An update died after setting version 1 aside.
    platform::MakeDirectoryPath(UpdateBackupRoot(addonDir_) + "\\1\\A");
    test::WriteTestFile(UpdateBackupRoot(addonDir_) + "\\1\\A\\f0.lua", "v1");
    // The third deletion is one inside the addon directory.
    platform::FailFileOperation(platform::FileOp::kDelete, 3);
    EXPECT_FALSE(DeleteAllAddons(*library_));
    platform::ClearFileFaults();
    library_->WaitIdle();
    // What could not be deleted was out of sight already; the refresh that
    // followed deleted the rest.
    EXPECT_TRUE(Snapshot().empty());
    EXPECT_TRUE(WorkDirectoriesGone());
    EXPECT_TRUE(DeleteAllAddons(*library_));
    library_->WaitIdle();
    ASSERT_TRUE(ScanLocalAddons(*library_));
    EXPECT_TRUE(Snapshot().empty());
    EXPECT_TRUE(platform::IsDirectory(addonDir_));
    EXPECT_TRUE(WorkDirectoriesGone());
}

TEST_F(InstallSafetyTest, AStalePartialCatalogueThatCannotGoIsNeverResumed) {
    ServeCatalogue("s2", {{1, "Alpha", "A", "2"}});
    const std::string partial = program_ / "Download\\pluglist.xmlTemp.down";
    platform::MakeDirectoryPath(program_ / "Download");
    test::WriteTestFile(partial, "<?xml version=\"1.0\"?><AddOnList><ver>s1</ver>");
    platform::FailFileOperation(platform::FileOp::kDelete, 1);
    EXPECT_FALSE(DownloadCatalogue(*library_));
    platform::ClearFileFaults();
    EXPECT_FALSE(platform::PathExists(program_ / "Download\\pluglist.xml"));
    EXPECT_TRUE(DownloadCatalogue(*library_));
    EXPECT_EQ(test::ReadTestFile(program_ / "Download\\pluglist.xml"),
              CatalogueXml("s2", server_.Root() + "/files/", {{1, "Alpha", "A", "2"}}));
}

}  // namespace
}  // namespace vt::addons
