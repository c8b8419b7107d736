#include <gtest/gtest.h>

#include "cli.h"

namespace vt::cli {
namespace {

TEST(AnswerTest, YesInAnyCaseWithOrWithoutCarriageReturn) {
    for (const char* yes : {"y", "Y", "yes", "YES", "Yes", "y\r", "yes\r\n", " y "})
        EXPECT_TRUE(IsYes(yes)) << yes;
    for (const char* no : {"", "\r", "n", "no", "yep", "ye", "y y", "是", "yes please"})
        EXPECT_FALSE(IsYes(no)) << no;
}

TEST(AnswerTest, JsonStringsEscapeWhatJsonForbids) {
    EXPECT_EQ(JsonQuote("a\"b\\c\n\x01"
                        "中"),
              "\"a\\\"b\\\\c\\n\\u0001中\"");
    EXPECT_EQ(JsonLine().Add("id", 3).AddOrNull("v", "").Add("ok", true).Text(),
              "{\"id\":3,\"v\":null,\"ok\":true}");
}

}  // namespace
}  // namespace vt::cli
