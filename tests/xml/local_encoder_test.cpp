#include "xml/local_encoder.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace vt::xml {
namespace {

// The cached table must give exactly the platform's bytes for every character
// of the Basic Multilingual Plane.
TEST(LocalEncoderTest, TableMatchesThePlatformOverTheWholePlane) {
    const unsigned local = platform::LocalCodePage();
    std::u16string plane;
    std::string planeExpected;
    for (unsigned u = 0; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) {
            continue;  // lone surrogate halves become '?' by design
        }
        const char16_t unit = static_cast<char16_t>(u);
        std::string expected;
        ASSERT_TRUE(platform::EncodeCodePage(local, std::u16string_view(&unit, 1), expected));
        std::string fast;
        bool lossy = false;
        AppendUtf16AsLocal(std::u16string_view(&unit, 1), fast, lossy);
        ASSERT_EQ(fast, expected) << "U+" << std::hex << u;
        std::string inPlace = platform::Utf16ToUtf8(std::u16string_view(&unit, 1));
        lossy = false;
        Utf8ToLocalInPlace(inPlace, lossy);
        ASSERT_EQ(inPlace, expected) << "U+" << std::hex << u;
        plane += unit;
        planeExpected += expected;
    }
    // The whole plane as one text: runs of characters read word-wise, blocks
    // met again and again, the text shrinking as it goes.
    std::string inPlace = platform::Utf16ToUtf8(plane);
    bool lossy = false;
    Utf8ToLocalInPlace(inPlace, lossy);
    EXPECT_TRUE(inPlace == planeExpected);
}

// Converting in place gives the same text and loss flag as converting into a
// second buffer, whatever mix of ASCII runs, multi-byte characters, planes
// beyond the first and broken sequences the text holds.
TEST(LocalEncoderTest, InPlaceConversionAgreesWithTheCopyingOne) {
    const std::string samples[] = {
        "",
        "plain ascii only, long enough for several words",
        "\xE6\x8F\x92\xE4\xBB\xB6 <P Name=\"\xE7\x95\x8C\xE9\x9D\xA2\"/> tail",
        "a\xF0\x9F\x98\x80z and \xF0\x9F\x98\x80\xF0\x9F\x98\x80 then \xE4\xB8\xAD",
        "broken \xE4\xB8 lead, stray \x80\xBF trail, overlong \xC0\xAF, surrogate \xED\xA0\x80",
        "cut at the end \xE4\xB8",
        "\xC2\xA9\xC3\xA9\xE2\x82\xAC\xE2\x84\xA2 latin and symbols \xEF\xBF\xBD",
    };
    std::vector<std::string> cases(std::begin(samples), std::end(samples));
    // ASCII runs of every length between shrinking characters: the text is
    // moved back word by word and byte by byte, and must not overrun input.
    std::string runs = "\xE4\xB8\xAD";
    for (size_t n = 0; n <= 19; ++n) {
        runs += std::string(n, static_cast<char>('a' + n)) + "\xE6\x96\x87\xC2\xB7";
    }
    cases.push_back(runs);
    cases.push_back(runs.substr(3) + "\xE4\xB8");
    // Longer than the copying conversion's stack window, with characters and
    // ASCII runs straddling its edge.
    std::string longText;
    for (int n = 0; n < 40; ++n) {
        longText += std::string(static_cast<size_t>(n * 7 % 23), 'x') + "\xE4\xB8\xAD\xC2\xB7";
    }
    cases.push_back(longText + std::string(700, 'y') + "\xF0\x9F\x98\x80");
    // Runs of Chinese text, read five characters at a time, broken at every
    // place by a character that does not become two plain bytes: a middle
    // dot, Hangul the code page lacks, an overlong middle dot (lead 0xE0), a
    // surrogate half (lead 0xED), a sequence cut short.
    const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87\xE6\xB5\x8B\xE8\xAF\x95";
    for (const char* odd :
         {"\xC2\xB7", "\xED\x95\x9C", "\xE0\x82\xB7", "\xED\xA0\x80", "\xE4\xB8"}) {
        for (size_t before = 0; before <= 12; ++before) {
            std::string run;
            for (size_t k = 0; k < before; ++k)
                run += chinese.substr(3 * (k % 4), 3);
            cases.push_back("x" + run + odd + chinese + chinese + chinese + "y");
        }
    }
    for (const std::string& utf8 : cases) {
        std::string copied;
        bool copiedLossy = false;
        AppendUtf8AsLocal(utf8, copied, copiedLossy);
        std::string inPlace = utf8;
        bool inPlaceLossy = false;
        Utf8ToLocalInPlace(inPlace, inPlaceLossy);
        EXPECT_EQ(inPlace, copied) << utf8;
        EXPECT_EQ(inPlaceLossy, copiedLossy) << utf8;
        // Appending keeps what the string held.
        std::string appended = "kept";
        AppendUtf8AsLocal(utf8, appended, copiedLossy);
        EXPECT_EQ(appended, "kept" + copied);
    }
}

}  // namespace
}  // namespace vt::xml
