#include "xml/xml_document.h"

#include <gtest/gtest.h>

#include <string>

#include "xml/element_index.h"

namespace vt::xml {
namespace {

bool ReportHas(const CXmlDocument& doc, const std::string& piece) {
    return doc.Report().find(piece) != std::string::npos;
}

TEST(XmlDocumentTest, EmptyTextHasNoRootAndNothingToFind) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.NextElement());  // before any text
    EXPECT_FALSE(doc.SetText(nullptr));
    EXPECT_TRUE(ReportHas(doc, "<no_root_element/>"));
    EXPECT_FALSE(doc.NextElement());
    EXPECT_FALSE(doc.NextChildElement());
    EXPECT_EQ(doc.MainTagName(), "");
    EXPECT_EQ(doc.ChildText(), "");
    EXPECT_EQ(doc.MainAttribute("x"), "");
    EXPECT_FALSE(doc.SetText(" text only "));
}

TEST(XmlDocumentTest, WalksSiblingsAndChildrenByName) {
    CXmlDocument doc;
    ASSERT_TRUE(
        doc.SetText("<?xml version=\"1.0\"?><!-- c --><!DOCTYPE r [<!ENTITY x \"<>\">]>"
                    "<r><a n='1'/><b n='2'><c/></b><a n='3'>t</a><A n='4'/></r>"));
    EXPECT_TRUE(doc.Report().empty()) << doc.Report();
    ASSERT_TRUE(doc.NextElement("r"));
    EXPECT_EQ(doc.MainTagName(), "r");
    ASSERT_TRUE(doc.NextChildElement("a"));
    EXPECT_EQ(doc.ChildAttribute("n"), "1");
    ASSERT_TRUE(doc.NextChildElement("a"));
    EXPECT_EQ(doc.ChildAttribute("n"), "3");
    EXPECT_EQ(doc.ChildText(), "t");
    EXPECT_FALSE(doc.NextChildElement("a"));  // "A" differs in case

    doc.ResetPosition();
    ASSERT_TRUE(doc.NextChildElement());  // steps into the root first
    EXPECT_EQ(doc.MainTagName(), "r");
    EXPECT_EQ(doc.ChildAttribute("n"), "1");
    ASSERT_TRUE(doc.NextChildElement("b n"));  // the sought name ends at a space
    EXPECT_EQ(doc.ChildAttribute("n"), "2");
    EXPECT_EQ(doc.ChildText(), "");  // holds an element
    EXPECT_FALSE(doc.NextChildElement("/r"));
    EXPECT_FALSE(doc.NextElement("r"));  // no second root

    doc.SetFlags(CXmlDocument::kFlagIgnoreCase);
    doc.ResetPosition();
    ASSERT_TRUE(doc.NextElement("R"));
    int count = 0;
    while (doc.NextChildElement("a")) {
        ++count;
    }
    EXPECT_EQ(count, 3);
}

TEST(XmlDocumentTest, TwoRootsAreIndexedButNotWellFormed) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.SetText("<a/><b/>"));
    EXPECT_TRUE(ReportHas(doc, "<root_has_sibling/>"));
    EXPECT_TRUE(doc.NextElement("b"));
    doc.ResetPosition();
    EXPECT_TRUE(doc.NextElement("a"));
}

TEST(XmlDocumentTest, EndTagDeeperInTheStackClosesInnerElements) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.SetText("<a><b></a>"));
    EXPECT_TRUE(ReportHas(doc, "<unended_start_tag tagname=\"b\" offset=\"3\"/>")) << doc.Report();
    ASSERT_TRUE(doc.NextElement("a"));
    ASSERT_TRUE(doc.NextChildElement("b"));
    EXPECT_EQ(doc.ChildText(), "");

    // Children of closed elements move up and follow them, in document order.
    EXPECT_FALSE(doc.SetText("<r><x><y><z/><w/></r>"));
    ASSERT_TRUE(doc.NextElement("r"));
    std::string names;
    for (const char* name : {"x", "y", "z", "w"}) {
        if (doc.NextChildElement(name)) {
            names += name;
        }
    }
    EXPECT_EQ(names, "xyzw");
    const xml::ElementIndex& index = doc.Index();
    for (uint32_t i = 2; i < index.Size(); ++i) {
        EXPECT_EQ(index[i].parent, 1u);
    }
    EXPECT_NE(index[2].levelFlags & xml::kFlagUnended, 0u);
    EXPECT_EQ(index[4].levelFlags & xml::kFlagUnended, 0u);  // z was empty
}

TEST(XmlDocumentTest, LoneEndTagIsReportedAndIgnored) {
    CXmlDocument doc;
    EXPECT_FALSE(doc.SetText("<a></x><b/></a>"));
    EXPECT_TRUE(ReportHas(doc, "<lone_end_tag tagname=\"x\" offset=\"3\"/>"));
    ASSERT_TRUE(doc.NextElement("a"));
    EXPECT_TRUE(doc.NextChildElement("b"));
    EXPECT_NE(doc.Index()[1].levelFlags & xml::kFlagMarkupError, 0u);
}

TEST(XmlDocumentTest, MarkupErrorsAreReportedWithOffsets) {
    struct Case {
        const char* text;
        const char* report;
    } cases[] = {
        {"<a>1 < 2</a>", "<first_tag_syntax offset=\"5\"/>"},
        {"<a><!x></a>", "<exclamation_tag_syntax offset=\"3\"/>"},
        {"<a><!-x></a>", "<comment_tag_syntax offset=\"3\"/>"},
        {"<a><![x></a>", "<cdata_section_syntax offset=\"3\"/>"},
        {"<a><!DOCTYPE a [ <x> ]></a>", "<doctype_tag_syntax offset=\"17\"/>"},
        {"<a><b x='1>", "<unterminated_tag_syntax type=\"start_tag\" offset=\"3\"/>"},
        {"<a></a", "<unterminated_tag_syntax type=\"end_tag\" offset=\"3\"/>"},
        {"<a><![CDATA[x</a>", "type=\"cdata_section\""},
        {"<a><?pi x</a>", "type=\"processing_instruction\""},
        {"<a><!-- x</a>", "type=\"comment\""},
        {"<a><!DOCTYPE x", "type=\"document_type\""},
        {"<a/><", "type=\"tag\""},
    };
    for (const Case& c : cases) {
        CXmlDocument doc;
        EXPECT_FALSE(doc.SetText(c.text)) << c.text;
        EXPECT_TRUE(ReportHas(doc, c.report)) << c.text << " -> " << doc.Report();
        doc.ResetPosition();
        EXPECT_TRUE(doc.NextElement("a")) << c.text;
    }
}

TEST(XmlDocumentTest, AttributesAreDecoded) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.SetText(
        "<a q=\"Tom &amp; Jerry\" s='x\"y' u=bare/x v = \"sp\" w=\"&AMP;&nosuch;&#0;&#65;&#x4E2D;"
        "&lt&thetasym;&#x1F600;\" e=\"\" n=\"&#128512;&;&#x110000;\"/>"));
    ASSERT_TRUE(doc.NextElement());
    EXPECT_EQ(doc.MainAttribute("q"), "Tom & Jerry");
    EXPECT_EQ(doc.MainAttribute("s"), "x\"y");
    EXPECT_EQ(doc.MainAttribute("u"), "bare/x");
    EXPECT_EQ(doc.MainAttribute("v"), "sp");
    // U+4E2D is "\xD6\xD0" in GBK; U+03D1 and U+1F600 are not in GBK.
    EXPECT_EQ(doc.MainAttribute("w"), "&&nosuch;&#0;A\xD6\xD0&lt&thetasym;&#x1F600;");
    EXPECT_EQ(doc.MainAttribute("e"), "");
    EXPECT_EQ(doc.MainAttribute("missing"), "");
    EXPECT_EQ(doc.MainAttribute("Q"), "");
    EXPECT_EQ(doc.MainAttribute("n"), "&#128512;&;&#x110000;");
}

// A start tag is scanned only as far as the attributes asked for; asking in
// any order, again, for absent or repeated names, or moving between elements
// must give what a full scan would.
TEST(XmlDocumentTest, AttributesReadInAnyOrderMatchAFullScan) {
    CXmlDocument doc;
    doc.SetText("<r><p a=\"1\" b='2' a=\"dup\" c=3 / d=\"4\"/><p c=\"x\" a=\"y\"/></r>");
    ASSERT_TRUE(doc.NextElement("r"));
    ASSERT_TRUE(doc.NextChildElement("p"));
    EXPECT_EQ(doc.ChildAttribute("b"), "2");
    EXPECT_EQ(doc.ChildAttribute("d"), "4");
    EXPECT_EQ(doc.ChildAttribute("a"), "1");  // the first of a repeated name
    EXPECT_EQ(doc.ChildAttribute("missing"), "");
    EXPECT_EQ(doc.ChildAttribute("c"), "3");
    EXPECT_EQ(doc.ChildAttribute("d"), "4");
    ASSERT_TRUE(doc.NextChildElement("p"));
    EXPECT_EQ(doc.ChildAttribute("a"), "y");
    EXPECT_EQ(doc.ChildAttribute("missing"), "");
    EXPECT_EQ(doc.ChildAttribute("c"), "x");
    EXPECT_EQ(doc.MainAttribute("a"), "");
    EXPECT_EQ(doc.ChildAttribute("a"), "y");
}

TEST(XmlDocumentTest, ChildTextJoinsTextAndCData) {
    struct Case {
        const char* text;
        const char* child;
    } cases[] = {
        {"<r><ver>12</ver></r>", "12"},
        {"<r><ver><![CDATA[1<2]]></ver></r>", "1<2"},
        {"<r><ver>1<x/>2</ver></r>", ""},
        {"<r><ver>a&amp;<!-- c -->b<?p?><![CDATA[&amp;]]></ver></r>", "a&b&amp;"},
        {"<r><ver/></r>", ""},
        {"<r><ver>  </ver></r>", "  "},
    };
    for (const Case& c : cases) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.SetText(c.text)) << c.text;
        ASSERT_TRUE(doc.NextChildElement("ver")) << c.text;
        EXPECT_EQ(doc.ChildText(), c.child) << c.text;
    }
}

TEST(XmlDocumentTest, MultiByteNamesKeepTrailBytes) {
    // "\x81\x5C" is one GBK character whose trail byte is a backslash.
    CXmlDocument doc;
    ASSERT_TRUE(doc.SetText("<r><\x81\x5C a=\"\x81\x5C\"></\x81\x5C></r>"));
    ASSERT_TRUE(doc.NextChildElement("\x81\x5C"));
    EXPECT_EQ(doc.ChildAttribute("a"), "\x81\x5C");
}

TEST(XmlDocumentTest, ReportStopsGrowing) {
    std::string text = "<a>";
    for (int i = 0; i < 500; ++i) {
        text += "</nosuch>";
    }
    text += "</a>";
    CXmlDocument doc;
    EXPECT_FALSE(doc.SetText(text));
    EXPECT_GT(doc.Report().size(), 999u);
    EXPECT_LT(doc.Report().size(), 1100u);
    EXPECT_TRUE(doc.NextElement("a"));
}

TEST(XmlDocumentTest, IndexSpansSeveralSegments) {
    std::string text = "<r>";
    for (int i = 0; i < 140000; ++i) {
        text += "<e/>";
    }
    text += "<last k=\"v\"/></r>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.SetText(text));
    EXPECT_EQ(doc.Index().Size(), 140003u);
    ASSERT_TRUE(doc.NextChildElement("last"));
    EXPECT_EQ(doc.ChildAttribute("k"), "v");
}

TEST(XmlDocumentTest, DeepUnclosedNestingParsesInLinearTime) {
    // Each implicit close would move all the children again if done naively.
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text += "<d>";
    }
    for (int i = 0; i < 20000; ++i) {
        text += "<e/>";
    }
    CXmlDocument doc;
    EXPECT_FALSE(doc.SetText(text));
    ASSERT_TRUE(doc.NextElement("d"));
    int count = 0;
    while (doc.NextElement()) {
        ++count;
    }
    EXPECT_EQ(count, 20000 - 1 + 20000);
}

}  // namespace
}  // namespace vt::xml
