#include "addons/reload_all.h"

#include "addon_fixture.h"
#include "addons/catalogue_refresh.h"

namespace vt::addons {
namespace {

using States = std::vector<std::pair<int, int>>;

class ReloadAllTest : public test::AddonFixture {};

TEST_F(ReloadAllTest, PostsTheViewsInOrder) {
    ServeCatalogue("s1", {{1, "Alpha", "A", "3"}, {2, "Bravo", "B", "1"}});
    ReloadAll(*library_);
    EXPECT_EQ(window_.TakeStates(), (States{{5, 1}, {3, 1}, {1, 0}}));
    EXPECT_EQ(window_.panel().noAddonsShown, true);

    InstallFolder("A", "", "3");
    InstallFolder("B", "", "0");
    ReloadAll(*library_);
    EXPECT_EQ(window_.TakeStates(), (States{{5, 1}, {4, 2}, {6, 1}, {7, 1}, {1, 0}}));
    const std::vector<test::FakeRow> rows = list_.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(window_.panel().listShown, true);

    InstallFolder("B", "", "1");
    ReloadAll(*library_);
    EXPECT_EQ(window_.TakeStates(), (States{{5, 1}, {4, 2}, {6, 1}, {7, 0}, {1, 0}}));

    SetGamePath("");
    ReloadAll(*library_);
    EXPECT_EQ(window_.TakeStates(), (States{{5, 1}, {2, 1}}));
    EXPECT_EQ(list_.Rows().size(), 2u);  // the list is not touched
}

TEST_F(ReloadAllTest, RowsCarryNameOrFolderAndTheUpdateValue) {
    ServeCatalogue("s1", {{7, "Seven", "S", "12b"}});
    InstallFolder("S", "", "9");
    InstallFolder("Loose", "", "", false);
    ReloadAll(*library_);
    std::vector<test::FakeRow> rows = list_.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].key, 20001);
    EXPECT_EQ(rows[0].label, "Loose");
    EXPECT_EQ(rows[0].upgradable, 0);
    EXPECT_EQ(rows[1].key, 7);
    EXPECT_EQ(rows[1].label, "Seven");
    EXPECT_EQ(rows[1].upgradable, 12);
}

TEST_F(ReloadAllTest, TheStampDecidesWhetherTheCatalogueIsFetchedAgain) {
    ServeCatalogue("s1", {{1, "Alpha", "A", "3"}});
    EXPECT_TRUE(RefreshCatalogue(*library_));
    EXPECT_EQ(server_.Count("GET /Config/pluglist.xml"), 1);
    EXPECT_EQ(server_.Count("POST /Interfaces/IGetPlugXmlConfigInfo.aspx"), 0);

    EXPECT_TRUE(RefreshCatalogue(*library_));  // same stamp: kept
    EXPECT_EQ(server_.Count("GET /Config/pluglist.xml"), 1);
    EXPECT_EQ(server_.Count("POST /Interfaces/IGetPlugXmlConfigInfo.aspx"), 1);

    ServeCatalogue("s2", {{1, "Alpha", "A", "4"}, {2, "Bravo", "B", "1"}});
    EXPECT_TRUE(RefreshCatalogue(*library_));
    EXPECT_EQ(server_.Count("GET /Config/pluglist.xml"), 2);
    EXPECT_EQ(library_->catalogue()->size(), 2u);
    EXPECT_EQ(library_->catalogue()->at(1).Url, server_.Root() + "/files/1.zip");

    server_.SetStamp("");  // the stamp interface fails: the file stays
    ServeCatalogue("s3", {});
    server_.SetStamp("");
    EXPECT_TRUE(RefreshCatalogue(*library_));
    EXPECT_EQ(server_.Count("GET /Config/pluglist.xml"), 2);
    EXPECT_EQ(library_->catalogue()->size(), 2u);
}

TEST_F(ReloadAllTest, ADownOrLyingServerLosesNothing) {
    InstallFolder("A", "", "3");
    InstallFolder("A_Options", "A", "3");
    // No catalogue yet and nothing answers: the scan runs on an empty catalogue.
    server_.SetGarbage("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n<html");
    EXPECT_FALSE(RefreshCatalogue(*library_));
    ReloadAll(*library_);
    EXPECT_TRUE(FolderExists("A_Options"));
    EXPECT_EQ(window_.TakeStates(), (States{{5, 1}, {3, 1}, {1, 0}}));

    // A catalogue that is not well-formed is no catalogue at all.
    server_.SetGarbage("");
    server_.SetFile("/Config/pluglist.xml", "<AddOnList><P Id=\"1\" Folder=\"A\"");
    server_.SetStamp("x");
    EXPECT_FALSE(RefreshCatalogue(*library_));
    EXPECT_TRUE(library_->catalogue()->empty());
    ReloadAll(*library_);
    EXPECT_TRUE(FolderExists("A") && FolderExists("A_Options"));

    // A good catalogue again: everything is still there.
    ServeCatalogue("s9", {{1, "Alpha", "A", "3"}});
    ReloadAll(*library_);
    ASSERT_EQ(LocalIds(), std::vector<int32_t>{1});
    EXPECT_EQ(library_->localAddons()->front().SubFolders, std::vector<std::string>{"A_Options"});
}

TEST_F(ReloadAllTest, AFailedFirstDownloadKeepsTheCatalogueInMemory) {
    ServeCatalogue("s1", {{1, "Alpha", "A", "3"}});
    EXPECT_TRUE(RefreshCatalogue(*library_));
    platform::RemoveFile(program_ / "Download\\pluglist.xml");
    server_.SetFile("/Config/pluglist.xml", "");
    server_.SetGarbage("HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n");
    EXPECT_FALSE(RefreshCatalogue(*library_));
    EXPECT_EQ(library_->catalogue()->size(), 1u);
    EXPECT_FALSE(platform::PathExists(program_ / "Download\\pluglist.xml"));
}

// The library works with the fields and servers it was lent: servers.ini is
// read once at start-up, and a second library over other fields keeps to its
// own program and game directories.
TEST_F(ReloadAllTest, EachLibraryKeepsToTheStateAndServersItWasGiven) {
    ServeCatalogue("s1", {{1, "Alpha", "A", "3"}});
    platform::WriteProfileString(program_ / "servers.ini", "Servers", "Catalogue",
                                 "http://127.0.0.1:1");
    InstallFolder("A", "", "3");
    ReloadAll(*library_);
    EXPECT_EQ(LocalIds(), std::vector<int32_t>{1});

    test::TempDir otherProgram;
    test::TempDir otherGame;
    settings::CAppState otherApp;
    otherApp.SetProgramDir(otherProgram.path());
    platform::WriteProfileString(otherProgram / "config", "Setting", "GamePath",
                                 otherGame / "vaelpatchchinese.exe");
    platform::MakeDirectoryPath(otherGame / "Interface\\Addons\\Other");
    test::FakeList otherList;
    test::FakeWindow otherWindow{otherList};
    {
        AddonLibrary other(otherApp, servers_, otherWindow, otherList, FastOptions());
        ReloadAll(other);
        ASSERT_EQ(other.localAddons()->size(), 1u);
        EXPECT_EQ(other.localAddons()->front().Folder, "Other");
    }
    EXPECT_TRUE(platform::PathExists(otherProgram / "Download\\pluglist.xml"));
    EXPECT_EQ(app_.GameDir(), game_.path());
    ReloadAll(*library_);
    EXPECT_EQ(LocalIds(), std::vector<int32_t>{1});
}

}  // namespace
}  // namespace vt::addons
