#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"
#include "xml/document_file.h"
#include "xml/encoding_table.h"
#include "xml/entity_table.h"
#include "xml/xml_document.h"

namespace vt::xml {
namespace {

// "中文" in UTF-8, UTF-16LE, UTF-16BE and GBK.
const std::string kUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kGbk = "\xD6\xD0\xCE\xC4";

std::string Utf16(const std::string& ascii, const std::string& extraLE, bool bigEndian) {
    std::string out;
    for (char c : ascii) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    for (size_t i = 0; i + 1 < extraLE.size(); i += 2) {
        out += bigEndian ? std::string{extraLE[i + 1], extraLE[i]} : extraLE.substr(i, 2);
    }
    return out;
}

struct Loaded {
    bool ok;
    std::string name;
    std::string report;
    uint32_t flags;
};

Loaded Load(const std::string& bytes) {
    test::TempDir dir;
    test::WriteTestFile(dir / "f.xml", bytes);
    CXmlDocument doc;
    const bool ok = doc.LoadFile(dir / "f.xml");
    doc.NextElement();
    return {ok, doc.MainAttribute("n"), doc.Report(), doc.Flags()};
}

TEST(DocumentFileTest, EncodingsReachTheLocalCodePage) {
    const std::string body = "<a n=\"" + kUtf8 + "\"/>";
    struct Case {
        std::string bytes;
        const char* event;
        uint32_t flags;
    } cases[] = {
        {"\xEF\xBB\xBF" + body, "<bom/>", CXmlDocument::kFlagUtf8Preamble},
        {body, "<read encoding=\"UTF-8\"", 0},
        {"\xFF\xFE" + Utf16("<a n=\"", "\x2D\x4E\x87\x65", false) + Utf16("\"/>", "", false),
         "encoding=\"UTF-16LE\"", CXmlDocument::kFlagUtf16LEFile},
        {"\xFE\xFF" + Utf16("<a n=\"", "\x2D\x4E\x87\x65", true) + Utf16("\"/>", "", true),
         "<endian_swap/>", CXmlDocument::kFlagUtf16BEFile},
        {"<?xml version='1.0' encoding='GB2312'?><a n=\"" + kGbk + "\"/>", "encoding=\"GB2312\"",
         0},
        {"<?xml version='1.0' encoding=\"utf-8\"?>" + body, "<converted_to", 0},
        {"<html n=\"" + kUtf8 +
             "\"><head><meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\"/>"
             "</head></html>",
         "<converted_to", 0},
        {" " + body, "<utf8_detection/>", 0},
    };
    for (const Case& c : cases) {
        const Loaded loaded = Load(c.bytes);
        EXPECT_EQ(loaded.name, kGbk) << loaded.report;
        EXPECT_NE(loaded.report.find(c.event), std::string::npos) << loaded.report;
        EXPECT_EQ(loaded.flags, c.flags) << loaded.report;
    }
}

TEST(DocumentFileTest, DeclaredSingleByteEncodingIsConverted) {
    // 0xE9 is "é" in Latin-1 and "\xA8\xA6" in GBK; in KOI8-R 0xC1 is "а".
    EXPECT_EQ(Load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a n=\"\xE9\"/>").name,
              "\xA8\xA6");
    EXPECT_EQ(Load("<?xml version=\"1.0\" encoding=\"koi8-r\"?><a n=\"\xC1\"/>").name, "\xA7\xD1");
    // An unknown name converts nothing.
    EXPECT_EQ(Load("<?xml version=\"1.0\" encoding=\"x-none\"?><a n=\"" + kGbk + "\"/>").name,
              kGbk);
}

TEST(DocumentFileTest, TextThatIsNotUtf8StaysInTheLocalCodePage) {
    const Loaded loaded = Load(" <a n=\"" + kGbk + "\"/>");
    EXPECT_EQ(loaded.name, kGbk);
    EXPECT_NE(loaded.report.find("<utf8_detection/>"), std::string::npos);
    EXPECT_NE(loaded.report.find("<read encoding=\"\" length=\"14\"/>"), std::string::npos)
        << loaded.report;
}

TEST(DocumentFileTest, ZeroBytesAreDropped) {
    const Loaded loaded = Load(std::string("<a n=\"x\0y\0\"/>", 13));
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.name, "xy");
    EXPECT_NE(loaded.report.find("<nulls_removed count=\"2\"/>"), std::string::npos);
}

// The file error is the system's: its number and its own message.
TEST(DocumentFileTest, MissingFileLeavesAnEmptyDocument) {
    test::TempDir dir;
    CXmlDocument doc;
    ASSERT_TRUE(doc.SetText("<a/>"));
    EXPECT_FALSE(doc.LoadFile(dir / "none.xml"));
    const std::string missing = platform::FileErrorMessage(platform::kErrorFileNotFound);
    ASSERT_FALSE(missing.empty());
    EXPECT_NE(doc.Report().find("<file_error msg=\"" + missing + "\" n=\"2\"/>"), std::string::npos)
        << doc.Report();
    EXPECT_EQ(doc.Index().Size(), 0u);
    EXPECT_FALSE(doc.NextElement());

    // A directory cannot be read as a document either.
    EXPECT_FALSE(doc.LoadFile(dir.path()));
    EXPECT_NE(doc.Report().find("<file_error msg=\""), std::string::npos) << doc.Report();
    EXPECT_NE(doc.Report().find("\" n=\"5\"/>"), std::string::npos) << doc.Report();
}

TEST(DocumentFileTest, DeclaredEncodingComesOnlyFromTheTop) {
    EXPECT_EQ(xml::DeclaredEncoding("<?xml version='1.0' encoding='Big5'?><a/>"), "Big5");
    EXPECT_EQ(xml::DeclaredEncoding(" <?xml version='1.0' encoding='Big5'?><a/>"), "");
    EXPECT_EQ(xml::DeclaredEncoding("<a/><?xml encoding='Big5'?>"), "");
    EXPECT_EQ(xml::DeclaredEncoding("<!-- x --><HTML><META HTTP-EQUIV='Content-Type' "
                                    "CONTENT='text/html;charset=koi8-r'></HTML>"),
              "koi8-r");
    EXPECT_EQ(xml::DeclaredEncoding("<html><head></head><meta http-equiv='Content-Type' "
                                    "content='text/html; charset=koi8-r'></html>"),
              "");
}

TEST(DocumentFileTest, TablesResolveTheirTellingRows) {
    EXPECT_EQ(xml::EntityCount(), 253u);
    EXPECT_EQ(xml::LookupEntity("acute"), 180u);
    EXPECT_EQ(xml::LookupEntity("apos"), 39u);
    EXPECT_EQ(xml::LookupEntity("thetasym"), 977u);
    EXPECT_EQ(xml::LookupEntity("Alpha"), 913u);
    struct Row {
        const char* name;
        unsigned codePage;
    } rows[] = {{"UTF-8", 65001},
                {"utf-7", 65000},
                {"GBK", 936},
                {"gb2312", 936},
                {"cp936", 936},
                {"windows-936", 936},
                {"gb18030", 54936},
                {"big5", 950},
                {"Shift_JIS", 932},
                {"euc-kr", 51949},
                {"ks_c_5601-1987", 949},
                {"latin1", 28591},
                {"ISO-8859-1", 28591},
                {"us-ascii", 20127},
                {"ascii", 20127},
                {"windows-1252", 1252},
                {"x-ansi", 1252},
                {"utf-16", 1200},
                {"UTF-16LE", 1200},
                {"unicode", 1200},
                {"ucs-2", 1200},
                {"utf-16be", 1201},
                {"unicodeFFFE", 1201},
                {"utf-32", 12000},
                {"utf-32be", 12001},
                {"UTF-32BE", 12001},
                {"UTF-32", 12000},
                {"", 936},
                {"nosuch", 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(xml::ResolveEncoding(row.name), row.codePage) << row.name;
    }
    EXPECT_EQ(xml::ResolveEncoding(std::string(100, 'a')), 0u);
    EXPECT_FALSE(xml::NeedsConversion("gb2312", ""));
    EXPECT_FALSE(xml::NeedsConversion("nosuch", ""));
    EXPECT_TRUE(xml::NeedsConversion("utf-8", ""));
}

}  // namespace
}  // namespace vt::xml
