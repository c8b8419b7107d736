#include "xml/node_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace vt::xml {
namespace {

// The end of a start tag found from bit masks is where the full attribute
// scan ends, for tags in the common form and for every departure from it,
// wherever the 64-byte pieces of the masks happen to cut the tag.
TEST(NodeScannerTest, StartTagEndAgreesWithTheFullScan) {
    const std::string bodies[] = {
        " a=\"1\" b=\"2\">",
        " a=\"x>y\" b='c\"d>' e>",  // '>' in values, a quote of the other kind
        " a = \"1\" b =\"2\">",     // white space around '='
        " a=unquoted b=\"2\">",
        " \"stray\" a=\"1\">",  // a quote that opens no value
        " \x81>=\"x\"> b>",     // a lead byte takes the '>' after it into the name
        " a=\"unterminated>",
        " a=\"1\"",
        " a=\"=>==>\"\"/>",  // a quote right after a value closes
        " a=\">\" b=>",
        " \xD6\xD0=\"\xCE\xC4\">",  // a name of double-byte characters
        " a=\"1\"b=\"2\"c/>",
        " a=\"\" b=''>",
        "/>",
    };
    for (const std::string& body : bodies) {
        for (size_t shift = 0; shift <= 130; ++shift) {
            for (const std::string& after : {std::string(), std::string(80, 'z')}) {
                const std::string text = std::string(shift, ' ') + body + after;
                const size_t full = ScanAttributes(NameSteps(), text.data(), text.size(), 0,
                                                   [](const AttributeSpan&) { return true; });
                ASSERT_EQ(StartTagEnd(NameSteps(), text.data(), text.size(), 0), full)
                    << "body \"" << body << "\" after " << shift << " spaces";
            }
        }
    }
    // A value longer than a piece, with '=' and '>' in it.
    std::string longValue = " a=\"";
    for (int i = 0; i < 300; ++i)
        longValue += "x=>"[i % 3];
    longValue += "\" b=\"2\">";
    EXPECT_EQ(StartTagEnd(NameSteps(), longValue.data(), longValue.size(), 0), longValue.size());
}

}  // namespace
}  // namespace vt::xml
