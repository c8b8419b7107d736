#include "addons/catalogue_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vt::addons {
namespace {

class CatalogueFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& bytes) {
        const std::string path = dir_ / "pluglist.xml";
        test::WriteTestFile(path, bytes);
        return path;
    }
    test::TempDir dir_;
};

TEST_F(CatalogueFileTest, ReadsRecordsInAscendingIdFirstOccurrenceKept) {
    const std::string path = Write(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<AddOnList DownLoadUrl=\"http://h/files/\">\n"
        "  <ver>ab12</ver><ver>second</ver>\n"
        "  <P Id=\"7\" Name=\"\xE4\xB8\xAD &amp; B\" Folder=\"Seven\" Ver=\"3\" Url=\"7.zip\"/>\n"
        "  <P Id=\" +5x\" Name=\"Five\" Folder=\"F\" Ver=\"12b\" Url=\"12.zip\"></P>\n"
        "  <P Id=\"5\" Name=\"Again\"/>\n"
        "  <Q Id=\"9\"/><p Id=\"8\"/>\n"
        "  <P Id=\"abc\"/>\n"
        "</AddOnList>\n");
    Catalogue catalogue{{99, AddonRecord{}}};
    ASSERT_TRUE(LoadCatalogue(path, catalogue));
    ASSERT_EQ(catalogue.size(), 3u);
    auto it = catalogue.begin();
    EXPECT_EQ(it->first, 0);
    EXPECT_EQ(it->second.Url, "http://h/files/");
    ++it;
    EXPECT_EQ(it->first, 5);
    EXPECT_EQ(it->second.Id, 5);
    EXPECT_EQ(it->second.Name, "Five");
    EXPECT_EQ(it->second.Ver, "12b");
    EXPECT_EQ(it->second.Url, "http://h/files/12.zip");
    ++it;
    EXPECT_EQ(it->second.Name, "\xD6\xD0 & B");
    EXPECT_EQ(it->second.Folder, "Seven");
    EXPECT_TRUE(it->second.SubFolders.empty());
    EXPECT_EQ(ReadLocalStamp(path), "ab12");
}

TEST_F(CatalogueFileTest, MissingPiecesReadAsEmpty) {
    const std::string path = Write("<AddOnList><P Id=\"1\" Url=\"1.zip\"/></AddOnList>");
    Catalogue catalogue;
    ASSERT_TRUE(LoadCatalogue(path, catalogue));
    EXPECT_EQ(catalogue.at(1).Url, "1.zip");
    EXPECT_EQ(catalogue.at(1).Name, "");
    EXPECT_EQ(ReadLocalStamp(path), "");

    Write("<Other><P Id=\"1\"/><ver>1</ver></Other>");
    EXPECT_TRUE(LoadCatalogue(path, catalogue));
    EXPECT_TRUE(catalogue.empty());
    EXPECT_EQ(ReadLocalStamp(path), "");
}

TEST_F(CatalogueFileTest, UnreadableOrIllFormedFileGivesNothing) {
    Catalogue catalogue{{1, AddonRecord{}}};
    EXPECT_FALSE(LoadCatalogue(dir_ / "none.xml", catalogue));
    EXPECT_TRUE(catalogue.empty());
    EXPECT_EQ(ReadLocalStamp(dir_ / "none.xml"), "");

    const std::string path = Write("<AddOnList><ver>1</ver><P Id=\"1\"></AddOnList><x/>");
    catalogue = {{1, AddonRecord{}}};
    EXPECT_FALSE(LoadCatalogue(path, catalogue));
    EXPECT_TRUE(catalogue.empty());
    EXPECT_EQ(ReadLocalStamp(path), "");
}

TEST_F(CatalogueFileTest, PathIsInTheDownloadDirectory) {
    EXPECT_EQ(CataloguePath("C:\\Tessel\\"), "C:\\Tessel\\Download\\pluglist.xml");
}

}  // namespace
}  // namespace vt::addons
