#include "xml/xml_document.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(XmlDocumentTest, Placeholder) {
    CXmlDocument doc;
    EXPECT_TRUE(doc.SetText("<a/>"));
}

}  // namespace
}  // namespace vt
