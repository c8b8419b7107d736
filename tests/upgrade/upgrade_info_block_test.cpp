#include "upgrade/upgrade_info_block.h"

#include <gtest/gtest.h>

namespace vt::upgrade {
namespace {

UpgradeInfo SampleInfo() {
    UpgradeInfo info;
    info.hostWindow = 0x00010A2Cu;
    info.exitMessage = 3038;
    info.softVer = "9126";
    info.softDownUrl = "http://h/p.zip";
    info.softHandworkDownUrl = "http://h/manual";
    info.moduleDir = "C:\\Vael\\";
    info.softUpDesc = "\xD0\xC2\xB0\xE6";  // GBK text
    info.softUpDate = "2024-05-01";
    return info;
}

std::string Bytes(const UpgradeInfoBlock& block, size_t offset, size_t size) {
    return std::string(reinterpret_cast<const char*>(block.data()) + offset, size);
}

TEST(UpgradeInfoBlock, PutsEveryFieldAtItsOffset) {
    UpgradeInfoBlock block{};
    WriteUpgradeInfoBlock(block, SampleInfo());
    EXPECT_EQ(Bytes(block, 0, 4), std::string("\x2C\x0A\x01\x00", 4));
    EXPECT_EQ(Bytes(block, 4, 5), std::string("9126\0", 5));
    EXPECT_EQ(Bytes(block, 304, 15), std::string("http://h/p.zip\0", 15));
    EXPECT_EQ(Bytes(block, 604, 16), std::string("http://h/manual\0", 16));
    EXPECT_EQ(Bytes(block, 904, 9), std::string("C:\\Vael\\\0", 9));
    EXPECT_EQ(Bytes(block, 1204, 4), std::string("\xDE\x0B\x00\x00", 4));  // 3038
    EXPECT_EQ(Bytes(block, 1208, 4), std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(Bytes(block, 1212, 5), std::string("\xD0\xC2\xB0\xE6\0", 5));
    EXPECT_EQ(Bytes(block, 2236, 11), std::string("2024-05-01\0", 11));
    // Everything else is zero, the padding included.
    size_t nonZero = 0;
    for (uint8_t byte : block)
        nonZero += byte != 0;
    EXPECT_EQ(nonZero, 3u + 4 + 14 + 15 + 8 + 2 + 1 + 4 + 10);
    EXPECT_EQ(Bytes(block, 2286, 2), std::string(2, '\0'));
    EXPECT_EQ(InfoBlockText(block, kInfoSoftDownUrl), "http://h/p.zip");
    EXPECT_EQ(InfoBlockNumber(block, kInfoExitMessage), 3038u);
}

TEST(UpgradeInfoBlock, CutsLongTextsAndKeepsATerminatingZero) {
    UpgradeInfoBlock block{};
    UpgradeInfo info = SampleInfo();
    info.softVer = std::string(400, '9');
    info.softUpDesc = std::string(2000, 'd');
    info.softUpDate = std::string(50, 'x');
    info.moduleDir = std::string(299, 'm');  // exactly fits with its zero
    WriteUpgradeInfoBlock(block, info);
    EXPECT_EQ(InfoBlockText(block, kInfoSoftVer), std::string(299, '9'));
    EXPECT_EQ(block[4 + 299], 0);
    EXPECT_EQ(InfoBlockText(block, kInfoSoftDownUrl), "http://h/p.zip");  // the next field intact
    EXPECT_EQ(InfoBlockText(block, kInfoSoftUpDesc), std::string(1023, 'd'));
    EXPECT_EQ(InfoBlockText(block, kInfoSoftUpDate), std::string(49, 'x'));
    EXPECT_EQ(InfoBlockText(block, kInfoModuleDir), std::string(299, 'm'));
    EXPECT_EQ(Bytes(block, 2286, 2), std::string(2, '\0'));
    // A double-byte character that would be split at the end is left out whole.
    info.softUpDate = std::string(48, 'x') + "\xD6\xD0";
    WriteUpgradeInfoBlock(block, info);
    EXPECT_EQ(InfoBlockText(block, kInfoSoftUpDate), std::string(48, 'x'));
    info.softUpDate = std::string(47, 'x') + "\xD6\xD0";
    WriteUpgradeInfoBlock(block, info);
    EXPECT_EQ(InfoBlockText(block, kInfoSoftUpDate), std::string(47, 'x') + "\xD6\xD0");
}

TEST(UpgradeInfoBlock, ARewriteLeavesNothingOfALongerText) {
    UpgradeInfoBlock block{};
    UpgradeInfo info = SampleInfo();
    info.softDownUrl = "http://a-much-longer-host-name/and/a/long/path.zip";
    WriteUpgradeInfoBlock(block, info);
    WriteUpgradeInfoBlock(block, SampleInfo());
    EXPECT_EQ(Bytes(block, 304, 300), "http://h/p.zip" + std::string(286, '\0'));
}

}  // namespace
}  // namespace vt::upgrade
