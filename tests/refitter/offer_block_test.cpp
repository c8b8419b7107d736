// The updater's command line and the module's record: every field at its
// bound, texts without their terminator, numbers that are not, addresses that
// are not web addresses, and a record for another directory.
#include "refitter/offer_block.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/shared_memory.h"
#include "refitter/refitter_flow.h"

namespace vt::refitter {
namespace {

upgrade::UpgradeInfo GoodInfo() {
    upgrade::UpgradeInfo info;
    info.hostWindow = 0x00020B3Cu;
    info.exitMessage = 3038;
    info.softVer = "9126";
    info.softDownUrl = "http://127.0.0.1:8080/upgrade/VaelTessel_9126.zip";
    info.softHandworkDownUrl = "https://vael.example/download";
    info.moduleDir = "C:\\Games\\VaelTessel\\";
    info.softUpDesc = "\xD0\xC2\xB0\xE6\xB1\xBE";  // GBK
    info.softUpDate = "2026-12-08";
    return info;
}

upgrade::UpgradeInfoBlock Block(const upgrade::UpgradeInfo& info) {
    upgrade::UpgradeInfoBlock block{};
    upgrade::WriteUpgradeInfoBlock(block, info);
    return block;
}

BlockProblem Read(const upgrade::UpgradeInfoBlock& block, UpdateOffer* offer = nullptr,
                  upgrade::InfoBlockField* field = nullptr) {
    UpdateOffer local;
    return ReadOfferBlock(block.data(), block.size(), offer ? *offer : local, field);
}

void Put32(upgrade::UpgradeInfoBlock& block, upgrade::InfoBlockField field, uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        block[field.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(LaunchLineTest, ExactlyABlockNameAndAPlainProgramName) {
    LaunchLine line;
    ASSERT_TRUE(ParseLaunchLine("__VAEL_UPGRADE_FILEMAP_KEYNAME__|VaelTessel.exe", line));
    EXPECT_EQ(line.mapName, "__VAEL_UPGRADE_FILEMAP_KEYNAME__");
    EXPECT_EQ(line.exeName, "VaelTessel.exe");
    // A program path in front, quoted or not, is passed over.
    ASSERT_TRUE(ParseLaunchLine("\"C:\\Program Files\\V\\Refitter.exe\" map|V.EXE", line));
    EXPECT_EQ(line.mapName, "map");
    EXPECT_EQ(line.exeName, "V.EXE");
    ASSERT_TRUE(ParseLaunchLine("C:\\V\\Refitter.exe map|v.exe ", line));
    EXPECT_EQ(line.mapName, "map");

    for (const char* bad :
         {"", "map", "|VaelTessel.exe", "map|", "map|a|b.exe", "map|..\\VaelTessel.exe",
          "map|C:\\Windows\\x.exe", "map|sub/x.exe", "map|VaelTessel.dll", "map|.exe",
          "ma\\p|x.exe", "\"unclosed map|x.exe", "map|x.exe\x01"})
        EXPECT_FALSE(ParseLaunchLine(bad, line)) << bad;
    EXPECT_FALSE(ParseLaunchLine(std::string(261, 'm') + "|x.exe", line));
    EXPECT_TRUE(ParseLaunchLine(std::string(260, 'm') + "|x.exe", line));
    EXPECT_FALSE(ParseLaunchLine("m|" + std::string(97, 'x') + ".exe", line));
    EXPECT_TRUE(ParseLaunchLine("m|" + std::string(96, 'x') + ".exe", line));
}

TEST(OfferBlockTest, AGoodRecordReadsWhole) {
    UpdateOffer offer;
    ASSERT_EQ(Read(Block(GoodInfo()), &offer), BlockProblem::kBlockOk);
    EXPECT_EQ(offer.hostWindow, 0x00020B3Cu);
    EXPECT_EQ(offer.exitMessage, 3038u);
    EXPECT_EQ(offer.version, 9126);
    EXPECT_EQ(offer.versionText, "9126");
    EXPECT_EQ(offer.downloadUrl, GoodInfo().softDownUrl);
    EXPECT_EQ(offer.manualUrl, "https://vael.example/download");
    EXPECT_EQ(offer.moduleDir, "C:\\Games\\VaelTessel\\");
    EXPECT_EQ(offer.description, GoodInfo().softUpDesc);
    EXPECT_EQ(offer.date, "2026-12-08");
}

TEST(OfferBlockTest, EveryTextFieldFullToItsLastByteButOne) {
    upgrade::UpgradeInfo info = GoodInfo();
    info.softDownUrl = "http://h/" + std::string(299 - 9, 'u');
    info.softHandworkDownUrl = "http://m/" + std::string(299 - 9, 'm');
    info.moduleDir = std::string(299, 'd');
    info.softUpDesc = std::string(1023, 'x');
    info.softUpDate = std::string(49, 'y');
    info.softVer = "0000000000009126";  // leading zeros count toward the ten digits
    upgrade::UpgradeInfoBlock block = Block(info);
    EXPECT_EQ(Read(block), BlockProblem::kBadVersion);
    info.softVer = "2147483647";
    block = Block(info);
    UpdateOffer offer;
    ASSERT_EQ(Read(block, &offer), BlockProblem::kBlockOk);
    EXPECT_EQ(offer.version, 2147483647);
    EXPECT_EQ(offer.downloadUrl.size(), 299u);
    EXPECT_EQ(offer.manualUrl.size(), 299u);
    EXPECT_EQ(offer.moduleDir.size(), 299u);
    EXPECT_EQ(offer.description.size(), 1023u);
    EXPECT_EQ(offer.date.size(), 49u);
}

TEST(OfferBlockTest, ATextWithoutItsTerminatorIsNamedAndRefused) {
    for (upgrade::InfoBlockField field :
         {upgrade::kInfoSoftVer, upgrade::kInfoSoftDownUrl, upgrade::kInfoSoftHandworkDownUrl,
          upgrade::kInfoModuleDir, upgrade::kInfoSoftUpDesc, upgrade::kInfoSoftUpDate}) {
        upgrade::UpgradeInfoBlock block = Block(GoodInfo());
        std::memset(block.data() + field.offset, '7', field.size);
        upgrade::InfoBlockField named{};
        EXPECT_EQ(Read(block, nullptr, &named), BlockProblem::kUnterminated) << field.offset;
        EXPECT_EQ(named.offset, field.offset);
    }
    // The padding after the date is no text: its bytes are not read.
    upgrade::UpgradeInfoBlock block = Block(GoodInfo());
    block[2286] = block[2287] = 'p';
    EXPECT_EQ(Read(block), BlockProblem::kBlockOk);
}

TEST(OfferBlockTest, VersionsThatAreNotPlainPositiveNumbersAreRefused) {
    for (const char* bad : {"", "0", "-1", "+9126", " 9126", "9126 ", "9126abc", "v9126", "91.26",
                            "2147483648", "99999999999", "0x2396"}) {
        upgrade::UpgradeInfo info = GoodInfo();
        info.softVer = bad;
        EXPECT_EQ(Read(Block(info)), BlockProblem::kBadVersion) << bad;
    }
    EXPECT_EQ(StrictVersion("1"), 1);
    EXPECT_EQ(StrictVersion("09126"), 9126);
}

TEST(OfferBlockTest, OnlyWebAddressesAreDownloadedOrShown) {
    for (const char* bad :
         {"", "ftp://h/p.zip", "file:///C:/p.zip", "C:\\p.zip", "//h/p.zip", "http://", "https://",
          "http:///p.zip", "http://h/p q.zip", "http://h/p\x7F", "javascript:alert(1)",
          "http:h/p.zip", "http://@h/"}) {
        upgrade::UpgradeInfo info = GoodInfo();
        info.softDownUrl = bad;
        EXPECT_EQ(Read(Block(info)), BlockProblem::kBadUrl) << bad;
        // The address for downloading by hand is dropped rather than refused.
        info = GoodInfo();
        info.softHandworkDownUrl = bad;
        UpdateOffer offer;
        EXPECT_EQ(Read(Block(info), &offer), BlockProblem::kBlockOk) << bad;
        EXPECT_EQ(offer.manualUrl, "") << bad;
    }
    for (const char* good : {"HTTP://H/P.ZIP", "https://h:8443/p.zip?x=1", "http://h"})
        EXPECT_TRUE(IsWebUrl(good)) << good;
}

TEST(OfferBlockTest, NumbersOutsideTheirRangeAreRefused) {
    upgrade::UpgradeInfoBlock block = Block(GoodInfo());
    Put32(block, upgrade::kInfoConstantOne, 2);
    EXPECT_EQ(Read(block), BlockProblem::kBadMarker);

    block = Block(GoodInfo());
    Put32(block, upgrade::kInfoHostWindow, 0);
    EXPECT_EQ(Read(block), BlockProblem::kNoWindow);

    // System messages (WM_CLOSE 0x10, WM_DESTROY 2, WM_QUIT 0x12) are never
    // posted on the record's word; the private and registered ranges are.
    for (uint32_t message : {0u, 2u, 0x10u, 0x12u, 0x3FFu, 0x10000u, 0xFFFFFFFFu}) {
        block = Block(GoodInfo());
        Put32(block, upgrade::kInfoExitMessage, message);
        EXPECT_EQ(Read(block), BlockProblem::kBadMessage) << message;
    }
    for (uint32_t message : {0x400u, 3038u, 0xC123u, 0xFFFFu}) {
        block = Block(GoodInfo());
        Put32(block, upgrade::kInfoExitMessage, message);
        EXPECT_EQ(Read(block), BlockProblem::kBlockOk) << message;
    }

    upgrade::UpgradeInfo info = GoodInfo();
    info.moduleDir = "";
    EXPECT_EQ(Read(Block(info)), BlockProblem::kNoDirectory);

    block = Block(GoodInfo());
    UpdateOffer offer;
    EXPECT_EQ(ReadOfferBlock(block.data(), upgrade::kUpgradeInfoBlockSize - 1, offer),
              BlockProblem::kTooShort);
    EXPECT_EQ(ReadOfferBlock(nullptr, upgrade::kUpgradeInfoBlockSize, offer),
              BlockProblem::kTooShort);
}

TEST(ReadStartTest, TheBlockNamedOnTheCommandLineForThisDirectory) {
    const std::string name = "tessel_refitter_start_block";
    RefitterStart start;
    EXPECT_EQ(ReadStart("no bar here", "C:\\Games\\VaelTessel\\", start), Failure::kBadCommandLine);
    EXPECT_EQ(ReadStart(name + "|VaelTessel.exe", "C:\\Games\\VaelTessel\\", start),
              Failure::kNoBlock);

    platform::SharedMemory block;
    ASSERT_EQ(block.CreateOrOpen(name, upgrade::kUpgradeInfoBlockSize),
              platform::SharedMemory::Result::kCreated);
    const upgrade::UpgradeInfoBlock good = Block(GoodInfo());
    std::memcpy(block.data(), good.data(), good.size());
    // The same directory in another spelling is the same directory.
    ASSERT_EQ(ReadStart(name + "|VaelTessel.exe", "c:/games/vaeltessel", start), Failure::kNone);
    EXPECT_EQ(start.line.exeName, "VaelTessel.exe");
    EXPECT_EQ(start.offer.version, 9126);
    EXPECT_EQ(ReadStart(name + "|VaelTessel.exe", "C:\\Games\\Other\\", start),
              Failure::kOtherDirectory);

    block.data()[4] = 'x';  // softVer "x126"
    int detail = -1;
    EXPECT_EQ(ReadStart(name + "|VaelTessel.exe", "C:\\Games\\VaelTessel\\", start, &detail),
              Failure::kBadBlock);
    EXPECT_EQ(detail, static_cast<int>(BlockProblem::kBadVersion));
}

}  // namespace
}  // namespace vt::refitter
