#include "addons/install_pipeline.h"

#include "addon_fixture.h"

#include <map>
#include "addons/addon_removal.h"
#include "addons/archive_install.h"
#include "addons/reload_all.h"

namespace vt::addons {
namespace {

class InstallPipelineTest : public test::AddonFixture {
  protected:
    // The catalogue and the list as the window holds them after a refresh.
    void Refresh() {
        ReloadAll(*library_);
        window_.TakeStates();
    }
    void InstallAndWait(std::initializer_list<int32_t> ids) {
        for (int32_t id : ids)
            EXPECT_EQ(RequestInstall(*library_, id, 0), kRequestQueued) << id;
        library_->WaitIdle();
    }
};

TEST_F(InstallPipelineTest, ARequestDownloadsUnpacksPingsAndRefreshes) {
    ServeCatalogue("s1", {{7, "Seven", "Seven", "3"}});
    ServeArchive(7, {{"Seven\\tesselver.txt", test::VersionFileText("", "3")},
                     {"Seven/main.lua", std::string(50000, 'x')},
                     {"Seven_Options/tesselver.txt", test::VersionFileText("Seven", "3")}});
    Refresh();
    InstallAndWait({7});

    EXPECT_EQ(AddonFile("Seven\\main.lua").size(), 50000u);
    EXPECT_TRUE(FolderExists("Seven_Options"));
    EXPECT_FALSE(platform::PathExists(program_ / "Download\\7.zip"));
    EXPECT_FALSE(platform::PathExists(addonDir_ + "\\7.zip"));
    EXPECT_EQ(server_.pings(), std::vector<std::string>{"PlugId=7"});
    const auto progress = window_.progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), std::make_pair(kProgressDownloading, 7));
    EXPECT_EQ(progress.back(), std::make_pair(kProgressInstalled, 7));

    // Worker messages, then those of the refresh it started.
    const auto states = window_.TakeStates();
    ASSERT_GE(states.size(), 4u);
    EXPECT_EQ(states[0], std::make_pair(8, 1));
    EXPECT_EQ(states[1], std::make_pair(1, 1));
    EXPECT_EQ(states[2], std::make_pair(9, 0));
    EXPECT_EQ(states[3], std::make_pair(9, 1));
    EXPECT_EQ(states.back(), std::make_pair(1, 0));
    ASSERT_EQ(LocalIds(), std::vector<int32_t>{7});
    EXPECT_EQ(library_->localAddons()->front().SubFolders,
              std::vector<std::string>{"Seven_Options"});
    EXPECT_EQ(library_->localAddons()->front().Ver, "0");
    EXPECT_EQ(window_.panel().notBusy, 1);
}

// The worker waits for each sent progress message to be handled, while its
// posted list states wait until the window's own thread takes them: the
// window sees the download and the install before it learns that the list
// was busy, and the states still arrive whole and in order.
TEST_F(InstallPipelineTest, SentMessagesAreHandledAtOncePostedOnesWhenTheWindowTakesThem) {
    using Handled = test::FakeWindow::Handled;
    ServeCatalogue("s1", {{7, "Seven", "Seven", "3"}});
    ServeAddon(7, "Seven", "3");
    Refresh();
    const size_t before = window_.handled().size();
    InstallAndWait({7});

    EXPECT_GT(window_.PostedWaiting(), 0u);
    std::vector<Handled> handled = window_.handled();
    ASSERT_GT(handled.size(), before);
    for (size_t i = before; i < handled.size(); ++i)
        EXPECT_EQ(handled[i].kind, Handled::kProgress);
    EXPECT_EQ(handled.back(), (Handled{Handled::kProgress, kProgressInstalled, 7}));

    const size_t sent = handled.size();
    window_.DeliverPosted();
    handled = window_.handled();
    ASSERT_GE(handled.size(), sent + 4);
    EXPECT_EQ(handled[sent], (Handled{Handled::kListState, 8, 1}));
    EXPECT_EQ(handled[sent + 2], (Handled{Handled::kListState, 9, 0}));
    EXPECT_EQ(handled[sent + 3], (Handled{Handled::kListState, 9, 1}));
    EXPECT_EQ(window_.panel().notBusy, 1);
}

TEST_F(InstallPipelineTest, TheLastQueuedIsInstalledFirst) {
    ServeCatalogue("s1", {{7, "a", "F7", "1"}, {8, "b", "F8", "1"}, {9, "c", "F9", "1"}});
    for (int id : {7, 8, 9})
        ServeAddon(id, "F" + std::to_string(id), "1");
    Refresh();
    ASSERT_TRUE(library_->TryBeginDraining());  // a worker is busy elsewhere
    for (int id : {7, 8, 9})
        EXPECT_EQ(RequestInstall(*library_, id, 0), kRequestQueued);
    library_->WaitIdle();  // the workers started meanwhile ended at once
    EXPECT_EQ(library_->QueuedIds(), (std::vector<int32_t>{7, 8, 9}));
    library_->EndDraining();
    InstallWorker(*library_);
    library_->WaitIdle();
    EXPECT_EQ(observer_.order(), (std::vector<int32_t>{9, 8, 7}));
    EXPECT_EQ(LocalIds().size(), 3u);
    // Rows were inserted at the top, so the last request leads.
    EXPECT_EQ(list_.Rows().size(), 3u);
}

TEST_F(InstallPipelineTest, RequestsForPresentOrQueuedAddonsAreRefused) {
    ServeCatalogue("s1",
                   {{1, "One", "One", "2"}, {2, "Two", "Two", "5"}, {3, "Three", "Three", "1"}});
    InstallFolder("One", "", "2");
    InstallFolder("Two", "", "4");
    Refresh();
    EXPECT_EQ(RequestInstall(*library_, 1, 0), kRequestAlreadyCurrent);
    ASSERT_TRUE(library_->TryBeginDraining());
    EXPECT_EQ(RequestInstall(*library_, 3, 0), kRequestQueued);
    EXPECT_EQ(RequestInstall(*library_, 3, 0), kRequestAlreadyListed);
    // An update may be asked for twice; it is then installed twice.
    EXPECT_EQ(RequestInstall(*library_, 2, 0), kRequestQueued);
    EXPECT_EQ(RequestInstall(*library_, 2, 0), kRequestQueued);
    library_->WaitIdle();
    EXPECT_EQ(window_.messages(), (std::vector<int>{kStringAlreadyAdded, kStringAlreadyAdded}));
    EXPECT_EQ(library_->QueuedIds(), (std::vector<int32_t>{3, 2, 2}));
    EXPECT_EQ(server_.pings().size(), 3u);
    library_->EndDraining();
    for (int32_t id = 0; library_->TakeLastQueued(id);) {
    }
}

TEST_F(InstallPipelineTest, WithoutAGameDirectoryThePathDialogRunsInstead) {
    ServeCatalogue("s1", {{1, "One", "One", "2"}});
    Refresh();
    SetGamePath("");
    app_.SetGame("", "");
    EXPECT_EQ(RequestInstall(*library_, 1, 0), kRequestNoGameDir);
    library_->WaitIdle();
    EXPECT_EQ(window_.pathDialogs(), 1);
    EXPECT_TRUE(library_->QueuedIds().empty());
    EXPECT_TRUE(server_.pings().empty());
}

TEST_F(InstallPipelineTest, AnUpdateReplacesTheFolderAndItsSubFolders) {
    ServeCatalogue("s1", {{4, "Four", "Four", "2"}});
    ServeArchive(
        4, {{"Four\\tesselver.txt", test::VersionFileText("", "2")}, {"Four\\main.lua", "new"}});
    InstallFolder("Four", "", "1");
    InstallFolder("Four_Old", "Four", "1");
    test::WriteTestFile(addonDir_ + "\\Four\\stale.lua", "stale");
    Refresh();
    ASSERT_EQ(library_->localAddons()->front().SubFolders, std::vector<std::string>{"Four_Old"});
    InstallAndWait({4});
    EXPECT_EQ(AddonFile("Four\\main.lua"), "new");
    EXPECT_EQ(AddonFile("Four\\stale.lua"), "");
    EXPECT_FALSE(FolderExists("Four_Old"));
    EXPECT_EQ(library_->localAddons()->front().Ver, "0");
    EXPECT_FALSE(platform::PathExists(game_ / "Interface\\.tessel-update\\4"));
}

TEST_F(InstallPipelineTest, BrokenArchivesAndFailedDownloadsLeaveTheOldVersion) {
    ServeCatalogue("s1",
                   {{4, "Four", "Four", "2"}, {5, "Five", "Five", "2"}, {6, "Six", "Six", "2"}});
    std::string broken = test::BuildZip({{"Four\\main.lua", "new content here"}});
    broken[broken.find("new content")] ^= 0x20;  // the CRC no longer matches
    server_.SetFile("/files/4.zip", broken);
    server_.SetFile("/files/5.zip", "this is not a zip archive at all");
    // 6 is missing on the server: 404.
    for (const char* name : {"Four", "Five", "Six"})
        InstallFolder(name, "", "1");
    Refresh();
    InstallAndWait({4, 5, 6});

    for (const char* name : {"Four", "Five", "Six"})
        EXPECT_EQ(AddonFile(std::string(name) + "\\main.lua"), "old");
    std::map<int32_t, InstallOutcome> outcomes;
    for (size_t i = 0; i < observer_.order().size(); ++i)
        outcomes[observer_.order()[i]] = observer_.outcomes()[i];
    EXPECT_EQ(outcomes, (std::map<int32_t, InstallOutcome>{{4, InstallOutcome::kBrokenArchive},
                                                           {5, InstallOutcome::kBrokenArchive},
                                                           {6, InstallOutcome::kDownloadFailed}}));
    EXPECT_FALSE(platform::PathExists(program_ / "Download\\4.zip"));
    EXPECT_FALSE(platform::PathExists(program_ / "Download\\5.zip"));
    EXPECT_EQ(LocalIds().size(), 3u);
    for (const AddonRecord& r : *library_->localAddons())
        EXPECT_EQ(r.Ver, "2");
    for (const auto& [code, id] : window_.progress())
        EXPECT_NE(code, kProgressInstalled);
}

TEST_F(InstallPipelineTest, MembersOutsideTheAddonDirectoryAreNeverWritten) {
    ServeCatalogue("s1", {{3, "Three", "Three", "1"}});
    ServeArchive(
        3, {{"Three\\main.lua", "ok"}, {"..\\..\\escaped.txt", "bad"}, {"../escaped2.txt", "bad"}});
    Refresh();
    InstallAndWait({3});
    EXPECT_FALSE(platform::PathExists(game_ / "escaped.txt"));
    EXPECT_FALSE(platform::PathExists(game_ / "Interface\\escaped2.txt"));
    EXPECT_FALSE(platform::PathExists(game_ / "Interface\\escaped.txt"));
}

TEST_F(InstallPipelineTest, AnInterruptedDownloadResumesFromItsPartialFile) {
    const std::string body = std::string(300000, 'r');
    ServeCatalogue("s1", {{2, "Two", "Two", "1"}});
    ServeArchive(2, {{"Two\\main.lua", body}});
    server_.SetStallAfter("/files/2.zip", 120000);
    Refresh();
    AddonOptions impatient = FastOptions();
    impatient.receiveTimeoutMs = 300;
    {
        AddonLibrary stalled(app_, servers_, window_, list_, impatient);
        stalled.SetCatalogue(Catalogue(*library_->catalogue()));
        std::string archive;
        const net::DownloadResult result =
            DownloadArchive(stalled, 2, stalled.catalogue()->at(2).Url, archive);
        EXPECT_NE(result, net::kDownloaded);
        EXPECT_NE(result, net::kAlreadyCurrent);
        EXPECT_GE(platform::FileSize(archive + ".down"), 100000);
        test::WriteTestFile(archive, "left over from an earlier run");
    }
    server_.SetStallAfter("", -1);
    InstallAndWait({2});
    EXPECT_EQ(AddonFile("Two\\main.lua"), body);
    bool resumed = false;
    for (const std::string& head : server_.heads())
        resumed = resumed || head.find("Range: bytes=") != std::string::npos;
    EXPECT_TRUE(resumed);
}

TEST_F(InstallPipelineTest, UpdateAllAndTheDeletions) {
    ServeCatalogue("s1",
                   {{1, "One", "One", "2"}, {2, "Two", "Two", "3"}, {3, "Three", "Three", ""}});
    InstallFolder("One", "", "2");
    InstallFolder("Two", "", "1");
    InstallFolder("Two_Data", "Two", "1");
    InstallFolder("Three", "", "");
    InstallFolder("Loose", "", "", false);
    Refresh();
    EXPECT_EQ(UpdateAll(*library_), 1);
    EXPECT_EQ(window_.installs(), (std::vector<std::pair<int32_t, int>>{{2, 0}}));

    EXPECT_TRUE(DeleteAddon(*library_, 2));
    EXPECT_FALSE(FolderExists("Two"));
    EXPECT_FALSE(FolderExists("Two_Data"));
    EXPECT_FALSE(DeleteAddon(*library_, 2));
    EXPECT_TRUE(DeleteAddon(*library_, 20001));
    EXPECT_FALSE(FolderExists("Loose"));
    EXPECT_TRUE(FolderExists("One"));

    DeleteAllAddons(*library_);
    library_->WaitIdle();
    EXPECT_TRUE(platform::IsDirectory(addonDir_));
    EXPECT_TRUE(platform::ListSubdirectories(addonDir_).empty());
    EXPECT_TRUE(LocalIds().empty());

    platform::DeleteDirectoryTree(game_ / "Interface");
    DeleteAllAddons(*library_);
    library_->WaitIdle();
    EXPECT_TRUE(platform::IsDirectory(addonDir_));
}

}  // namespace
}  // namespace vt::addons
