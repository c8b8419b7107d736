#include "refitter/offer_block.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vt::refitter {

namespace {

bool IsPrintable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte > 0x20 && byte != 0x7F;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsPlainExeName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name == "." || name == "..")
        return false;
    if (name.find_first_of("\\/:*?\"<>|") != std::string::npos)
        return false;
    if (!std::all_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; }))
        return false;
    return name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".exe" &&
           name.front() != ' ' && name.back() != ' ';
}

bool IsBlockName(const std::string& name) {
    return !name.empty() && name.size() <= 260 && name.find_first_of("\\/") == std::string::npos &&
           std::all_of(name.begin(), name.end(), IsPrintable);
}

uint32_t Number(const uint8_t* block, upgrade::InfoBlockField field) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(block[field.offset + i]) << (8 * i);
    return value;
}

// The field's text when a zero ends it inside the field.
bool Text(const uint8_t* block, upgrade::InfoBlockField field, std::string& text) {
    const char* start = reinterpret_cast<const char*>(block + field.offset);
    const char* end = static_cast<const char*>(std::memchr(start, 0, field.size));
    if (end == nullptr)
        return false;
    text.assign(start, end);
    return true;
}

}  // namespace

bool ParseLaunchLine(const std::string& commandLine, LaunchLine& line) {
    std::string rest = commandLine;
    const auto trim = [](std::string& text) {
        const size_t start = text.find_first_not_of(" \t");
        text = start == std::string::npos ? "" : text.substr(start);
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.pop_back();
    };
    trim(rest);
    if (!rest.empty() && rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        if (close == std::string::npos)
            return false;
        rest = rest.substr(close + 1);
        trim(rest);
    } else if (const size_t blank = rest.find_first_of(" \t");
               blank != std::string::npos && rest.find('|') > blank) {
        // An unquoted program path before the line proper.
        rest = rest.substr(blank + 1);
        trim(rest);
    }
    const size_t bar = rest.find('|');
    if (bar == std::string::npos || rest.find('|', bar + 1) != std::string::npos)
        return false;
    LaunchLine parsed{rest.substr(0, bar), rest.substr(bar + 1)};
    if (!IsBlockName(parsed.mapName) || !IsPlainExeName(parsed.exeName))
        return false;
    line = std::move(parsed);
    return true;
}

bool IsWebUrl(const std::string& url) {
    const std::string lower = Lower(url.substr(0, 8));
    size_t hostStart = 0;
    if (lower.rfind("http://", 0) == 0)
        hostStart = 7;
    else if (lower.rfind("https://", 0) == 0)
        hostStart = 8;
    else
        return false;
    if (url.size() <= hostStart || url[hostStart] == '/' || url[hostStart] == ':' ||
        url[hostStart] == '@')
        return false;
    return std::all_of(url.begin(), url.end(), IsPrintable);
}

int32_t StrictVersion(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const long long value = std::stoll(text);
    return value >= 1 && value <= INT32_MAX ? static_cast<int32_t>(value) : 0;
}

BlockProblem ReadOfferBlock(const uint8_t* data, size_t size, UpdateOffer& offer,
                            upgrade::InfoBlockField* field) {
    if (data == nullptr || size < upgrade::kUpgradeInfoBlockSize)
        return BlockProblem::kTooShort;
    UpdateOffer read;
    struct TextField {
        upgrade::InfoBlockField where;
        std::string* into;
    };
    std::string manual;
    const TextField texts[] = {
        {upgrade::kInfoSoftVer, &read.versionText},
        {upgrade::kInfoSoftDownUrl, &read.downloadUrl},
        {upgrade::kInfoSoftHandworkDownUrl, &manual},
        {upgrade::kInfoModuleDir, &read.moduleDir},
        {upgrade::kInfoSoftUpDesc, &read.description},
        {upgrade::kInfoSoftUpDate, &read.date},
    };
    for (const TextField& text : texts) {
        if (!Text(data, text.where, *text.into)) {
            if (field)
                *field = text.where;
            return BlockProblem::kUnterminated;
        }
    }
    if (Number(data, upgrade::kInfoConstantOne) != 1)
        return BlockProblem::kBadMarker;
    read.hostWindow = Number(data, upgrade::kInfoHostWindow);
    if (read.hostWindow == 0)
        return BlockProblem::kNoWindow;
    read.exitMessage = Number(data, upgrade::kInfoExitMessage);
    // A system message (WM_CLOSE, WM_DESTROY, WM_QUIT...) is never posted on a
    // record's word.
    if (read.exitMessage < 0x0400 || read.exitMessage > 0xFFFF)
        return BlockProblem::kBadMessage;
    read.version = StrictVersion(read.versionText);
    if (read.version == 0)
        return BlockProblem::kBadVersion;
    if (!IsWebUrl(read.downloadUrl))
        return BlockProblem::kBadUrl;
    if (read.moduleDir.empty())
        return BlockProblem::kNoDirectory;
    if (IsWebUrl(manual))
        read.manualUrl = manual;
    offer = std::move(read);
    return BlockProblem::kBlockOk;
}

}  // namespace vt::refitter
