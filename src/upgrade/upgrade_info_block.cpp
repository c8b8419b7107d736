#include "upgrade/upgrade_info_block.h"

#include <algorithm>
#include <cstring>

#include "platform/code_page.h"

namespace vt::upgrade {

namespace {

void PutNumber(UpgradeInfoBlock& block, InfoBlockField field, uint32_t value) {
    for (size_t i = 0; i < field.size; ++i)
        block[field.offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The longest prefix of text that fits in limit bytes without splitting a
// double-byte character of the local code page.
size_t FittingLength(const std::string& text, size_t limit) {
    const unsigned codePage = platform::LocalCodePage();
    size_t length = 0;
    while (length < text.size()) {
        const auto c = static_cast<unsigned char>(text[length]);
        const size_t step = platform::IsLeadByte(codePage, c) ? 2 : 1;
        if (length + step > limit || length + step > text.size())
            break;
        length += step;
    }
    return length;
}

void PutText(UpgradeInfoBlock& block, InfoBlockField field, const std::string& text) {
    uint8_t* start = block.data() + field.offset;
    std::memset(start, 0, field.size);
    std::memcpy(start, text.data(), FittingLength(text, field.size - 1));
}

}  // namespace

void WriteUpgradeInfoBlock(UpgradeInfoBlock& block, const UpgradeInfo& info) {
    PutNumber(block, kInfoHostWindow, info.hostWindow);
    PutNumber(block, kInfoExitMessage, info.exitMessage);
    PutNumber(block, kInfoConstantOne, 1);
    PutText(block, kInfoSoftVer, info.softVer);
    PutText(block, kInfoSoftDownUrl, info.softDownUrl);
    PutText(block, kInfoSoftHandworkDownUrl, info.softHandworkDownUrl);
    PutText(block, kInfoSoftUpDesc, info.softUpDesc);
    PutText(block, kInfoSoftUpDate, info.softUpDate);
    PutText(block, kInfoModuleDir, info.moduleDir);
}

std::string InfoBlockText(const UpgradeInfoBlock& block, InfoBlockField field) {
    const char* start = reinterpret_cast<const char*>(block.data() + field.offset);
    return std::string(start, std::find(start, start + field.size, '\0'));
}

uint32_t InfoBlockNumber(const UpgradeInfoBlock& block, InfoBlockField field) {
    uint32_t value = 0;
    for (size_t i = 0; i < field.size && i < 4; ++i)
        value |= static_cast<uint32_t>(block[field.offset + i]) << (8 * i);
    return value;
}

}  // namespace vt::upgrade
