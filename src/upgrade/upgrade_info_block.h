// The record the upgrade module hands to the updater in shared memory: 2288
// bytes, little-endian, texts in the local code page zero-filled to their
// field's end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vt::upgrade {

constexpr size_t kUpgradeInfoBlockSize = 2288;
using UpgradeInfoBlock = std::array<uint8_t, kUpgradeInfoBlockSize>;

// Offset and size of each field.
struct InfoBlockField {
    size_t offset;
    size_t size;
};
constexpr InfoBlockField kInfoHostWindow{0, 4};  // the main window's handle, 32 bits
constexpr InfoBlockField kInfoSoftVer{4, 300};
constexpr InfoBlockField kInfoSoftDownUrl{304, 300};
constexpr InfoBlockField kInfoSoftHandworkDownUrl{604, 300};
constexpr InfoBlockField kInfoModuleDir{904, 300};
constexpr InfoBlockField kInfoExitMessage{1204, 4};
constexpr InfoBlockField kInfoConstantOne{1208, 4};  // always 1
constexpr InfoBlockField kInfoSoftUpDesc{1212, 1024};
constexpr InfoBlockField kInfoSoftUpDate{2236, 50};  // 2 bytes of zero padding follow

// What goes into the block.
struct UpgradeInfo {
    uint32_t hostWindow = 0;
    unsigned exitMessage = 0;
    std::string softVer;
    std::string softDownUrl;
    std::string softHandworkDownUrl;
    std::string moduleDir;
    std::string softUpDesc;
    std::string softUpDate;
};

// Writes every field of info into block. Each text field is cleared first and
// then holds the text cut to leave at least one terminating zero, never in
// the middle of a double-byte character; the padding is left as it was.
void WriteUpgradeInfoBlock(UpgradeInfoBlock& block, const UpgradeInfo& info);

// The text stored in a field: its bytes up to the first zero.
std::string InfoBlockText(const UpgradeInfoBlock& block, InfoBlockField field);
// A 32-bit field.
uint32_t InfoBlockNumber(const UpgradeInfoBlock& block, InfoBlockField field);

}  // namespace vt::upgrade
