#include "addons/addon_record.h"

#include <gtest/gtest.h>

namespace vt::addons {
namespace {

TEST(LeadingIntegerTest, ReadsLikeAtoi) {
    EXPECT_EQ(LeadingInteger("12"), 12);
    EXPECT_EQ(LeadingInteger("  \t-7x"), -7);
    EXPECT_EQ(LeadingInteger("+3"), 3);
    EXPECT_EQ(LeadingInteger("12b"), 12);
    EXPECT_EQ(LeadingInteger("abc"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("- 5"), 0);
    EXPECT_EQ(LeadingInteger("99999999999999999999"), 2147483647);
    EXPECT_EQ(LeadingInteger("-99999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(LeadingInteger("-2147483648"), -2147483647 - 1);
}

}  // namespace
}  // namespace vt::addons
