#include "shell/instance_record.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vt::shell {
namespace {

std::optional<uintptr_t> Parse(const char* text, size_t size) {
    return ParseInstanceRecord(reinterpret_cast<const uint8_t*>(text), size);
}
std::optional<uintptr_t> Parse(const char* text) {
    return Parse(text, std::strlen(text) + 1);
}

TEST(InstanceRecord, HandlesRoundTripAsLowerCaseHex) {
    for (uintptr_t handle :
         {uintptr_t{0x1}, uintptr_t{0x20086}, uintptr_t{0xABCDEF12}, uintptr_t{0xFFFFFFFF}}) {
        const std::string text = FormatInstanceRecord(handle);
        EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos) << text;
        EXPECT_LE(text.size() + 1, kInstanceRecordBytes);
        EXPECT_EQ(Parse(text.c_str()), handle) << text;
    }
    EXPECT_EQ(FormatInstanceRecord(0x20086), "20086");
}

TEST(InstanceRecord, OnlyAWholeHexTextIsAHandle) {
    EXPECT_EQ(Parse("20086"), uintptr_t{0x20086});
    EXPECT_EQ(Parse("A0B"), uintptr_t{0xA0B});
    // A fresh, zero-filled record (the first copy has no window yet).
    EXPECT_EQ(Parse("\0\0\0\0", 4), std::nullopt);
    for (const char* bad : {"", "zz", "12 34", "0x12", "-1", "123456789", "12g"})
        EXPECT_EQ(Parse(bad), std::nullopt) << bad;
    // A record filling its bytes without a NUL ends at its size.
    EXPECT_EQ(Parse("1234abcd", 8), uintptr_t{0x1234ABCD});
    EXPECT_EQ(Parse("1234abcdef", 4), uintptr_t{0x1234});
}

}  // namespace
}  // namespace vt::shell
