#include "platform/random.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace vt::platform {
namespace {

TEST(RandomTest, DrawsFollowTheirSeedAndWidth) {
    EXPECT_EQ(RandomNumberText(1234, 4, false), RandomNumberText(1234, 4, false));
    EXPECT_EQ(RandomHexText(99, 8), RandomHexText(99, 8));
    std::set<std::string> numbers, texts;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        const std::string number = RandomNumberText(seed, 4, false);
        ASSERT_EQ(number.size(), 4u);
        EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos);
        numbers.insert(number);
        const std::string text = RandomHexText(seed, 8);
        ASSERT_EQ(text.size(), 8u);
        EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        texts.insert(text);
    }
    EXPECT_GT(numbers.size(), 40u);
    EXPECT_EQ(texts.size(), 50u);
    EXPECT_EQ(RandomNumberText(7, 5, true).find_first_not_of("0123456789ABCDEF"),
              std::string::npos);
}

TEST(RandomTest, CountedSeedsMoveWithTheSecondAndTheCount) {
    const uint32_t second = SecondsSeed();
    const uint32_t seed = CountedSeed(3);
    // The second may turn between the two reads.
    EXPECT_TRUE(seed == (second + 1) * 3 || seed == (second + 2) * 3) << seed;
}

TEST(RandomTest, RandomDigitsHaveAFixedWidth) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string decimal = RandomDigits(4, false);
        ASSERT_EQ(decimal.size(), 4u);
        EXPECT_EQ(decimal.find_first_not_of("0123456789"), std::string::npos);
        seen.insert(decimal);
    }
    EXPECT_GT(seen.size(), 1u);  // each call counts: no two seeds alike
    EXPECT_EQ(RandomDigits(9, false).size(), 5u);
    EXPECT_EQ(RandomDigits(0, true).size(), 5u);
    EXPECT_EQ(RandomDigits(3, true).find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(RandomTest, DrawsLeaveTheRunTimeGeneratorAlone) {
    std::srand(5);
    const int expected = std::rand();
    std::srand(5);
    RandomDigits(4, false);
    RandomHexText(SecondsSeed(), 8);
    EXPECT_EQ(std::rand(), expected);
}

}  // namespace
}  // namespace vt::platform
