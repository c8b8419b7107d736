#include "addons/catalogue_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "xml/xml_document.h"

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

// Ids mostly ascend, but a record may repeat the last Id, fall between two
// earlier ones or come before them all; each lands in place, first kept.
TEST_F(CatalogueFileTest, IdsOutOfOrderAmongAscendingOnesLandInPlace) {
    std::string xml = "<AddOnList DownLoadUrl=\"u/\">";
    for (const char* id : {"10", "20", "20", "30", "15", "30", "5", "40", "15", "-3", "41"}) {
        xml += std::string("<P Id=\"") + id + "\" Name=\"n" + id + "\"/>";
    }
    xml += "<P Id=\"20\" Name=\"late\"/></AddOnList>";
    Catalogue catalogue;
    ASSERT_TRUE(LoadCatalogue(Write(xml), catalogue));
    std::string seen;
    for (const auto& [id, record] : catalogue) {
        EXPECT_EQ(record.Id, id);
        seen += std::to_string(id) + "=" + record.Name + " ";
    }
    EXPECT_EQ(seen, "-3=n-3 5=n5 10=n10 15=n15 20=n20 30=n30 40=n40 41=n41 ");
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

// The records as the document's general walk reads them, one attribute
// lookup at a time: the catalogue reader must agree with it on every input.
Catalogue ThroughTheWalk(xml::CXmlDocument& document) {
    Catalogue catalogue;
    document.ResetPosition();
    if (!document.NextElement("AddOnList"))
        return catalogue;
    const std::string downloadUrl = document.MainAttribute("DownLoadUrl");
    while (document.NextChildElement("P")) {
        AddonRecord record;
        record.Id = LeadingInteger(document.ChildAttribute("Id"));
        if (catalogue.count(record.Id) != 0)
            continue;
        record.Name = document.ChildAttribute("Name");
        record.Folder = document.ChildAttribute("Folder");
        record.Ver = document.ChildAttribute("Ver");
        record.Url = downloadUrl + document.ChildAttribute("Url");
        catalogue.emplace(record.Id, std::move(record));
    }
    return catalogue;
}

TEST_F(CatalogueFileTest, RecordsAgreeWithTheGeneralWalk) {
    const char* const documents[] = {
        // Repeated attributes (the first counts), references in every field and
        // the Id, attributes in any order, unquoted and empty values.
        "<AddOnList DownLoadUrl='u&amp;/' DownLoadUrl='x'>"
        "<P Url='a.zip' Ver=\"1\" Name='A' Name='B' Id='&#51;' Folder='F&lt;'/>"
        "<P Id=4 Name=Four Url=&quot;4 Folder= Ver/>"
        "<P Id='4' Name='dup'/><P id='6' Name='lower-case id'/>"
        "<P Id='7' Nam='x' Names='y' Name='z'>text<P Id='8'/></P></AddOnList>",
        // The list is not the first element; a nested AddOnList does not count.
        "<?xml version='1.0'?><!-- c --><Other><AddOnList><P Id='1'/></AddOnList></Other>"
        "<AddOnList><P Id='2' Name='&#x4E2D;'/></AddOnList><AddOnList><P Id='3'/></AddOnList>",
        // Ill-formed: an element left open, a tag cut short at the end.
        "<AddOnList DownLoadUrl='h/'><P Id='1' Name='one'><P Id='2' Url='2.zip'/>",
        "<AddOnList><P Id='1' Name='cut",
        // The layout catalogues use, and records that leave it at each field:
        // a name that only begins like a field's, two spaces, single quotes,
        // a field in capitals, white space before '=', repeats of fields
        // read before and after the layout ends, references in every field.
        "<AddOnList DownLoadUrl=\"d/\">"
        "<P Id=\"1\" Name=\"a &amp; b\" Folder=\"f&lt;\" Ver=\"1&#46;2\" Url=\"u&quot;.zip\"/>"
        "<P Id=\"2\" Names=\"x\" Name=\"b\" Folder=\"g\" Ver=\"2\" Url=\"2.zip\"/>"
        "<P Id=\"3\" Name=\"c\"  Folder=\"h\" Ver=\"3\" Url=\"3.zip\" Folder=\"again\"/>"
        "<P Id=\"4\" Name=\"d\" Folder='i' Ver=\"4\" Url=\"4.zip\"/>"
        "<P Id=\"5\" Name=\"e\" Folder=\"j\" VER=\"5\" Ver=\"6\" Url=\"5.zip\"/>"
        "<P Id=\"6\" Name=\"f\" Folder=\"k\" Ver=\"6\" Url =\"6.zip\"/>"
        "<P Id=\"7\" Name=\"g\" Folder=\"l\" Ver=\"7\" Url=\"7.zip\" Name=\"late\" Id=\"8\"/>"
        "<P Id=\"&#57;\" Name=\"h\" Folder=\"m\" Ver=\"9\" Url=\"9.zip\"/>"
        "<P Id=\"11\" Name=\"n\" Url=\"11.zip\" Name=\"repeat\" Id=\"12\" Folder=\"o\"/>"
        "</AddOnList>",
        "",
    };
    for (const char* text : documents) {
        for (const bool ignoreCase : {false, true}) {
            xml::CXmlDocument document;
            if (ignoreCase)
                document.SetFlags(xml::CXmlDocument::kFlagIgnoreCase);
            document.SetText(text);
            const Catalogue expected = ThroughTheWalk(document);
            const Catalogue got = CatalogueFromDocument(document);
            ASSERT_EQ(got.size(), expected.size()) << text;
            for (auto i = got.begin(), j = expected.begin(); i != got.end(); ++i, ++j) {
                EXPECT_EQ(i->first, j->first) << text;
                EXPECT_EQ(i->second.Id, j->second.Id) << text;
                EXPECT_EQ(i->second.Name, j->second.Name) << text;
                EXPECT_EQ(i->second.Folder, j->second.Folder) << text;
                EXPECT_EQ(i->second.Ver, j->second.Ver) << text;
                EXPECT_EQ(i->second.Url, j->second.Url) << text;
            }
        }
    }
}

TEST_F(CatalogueFileTest, PathIsInTheDownloadDirectory) {
    EXPECT_EQ(CataloguePath("C:\\Tessel\\"), "C:\\Tessel\\Download\\pluglist.xml");
}

}  // namespace
}  // namespace vt::addons
