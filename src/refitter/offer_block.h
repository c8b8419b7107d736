// What the updater reads when it starts: its command line "MAPNAME|EXENAME"
// and the upgrade module's record in the shared block MAPNAME, checked
// field by field before anything is acted on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "upgrade/upgrade_info_block.h"

namespace vt::refitter {

// The updater's command line, split.
struct LaunchLine {
    std::string mapName;  // the shared block
    std::string exeName;  // the program's executable, a plain file name
};

// Splits the command line. A program path in front (quoted, or unquoted up
// to the first blank) is skipped, so a line built with the updater's own path
// also works. False unless the rest is exactly one "|" between a block name
// (1 to 260 printable characters, no "\\" or "/") and a plain file name
// ending in ".exe" (no separators, no ":", not "." or "..", at most 100
// characters).
bool ParseLaunchLine(const std::string& commandLine, LaunchLine& line);

// Why a block was refused; kBlockOk when every field passed.
enum class BlockProblem {
    kBlockOk,
    kTooShort,      // fewer bytes than the record holds
    kUnterminated,  // a text fills its whole field without a terminating zero
    kBadVersion,    // softVer is not a decimal number from 1 to 2147483647
    kBadUrl,        // softDownUrl is not an http:// or https:// URL
    kBadMarker,     // the constant at offset 1208 is not 1
    kNoWindow,      // hostWindow is 0
    kBadMessage,    // exitMessage is not a private message (0x0400 to 0xFFFF)
    kNoDirectory,   // moduleDir is empty
};

// The record, checked. Texts are in the local code page.
struct UpdateOffer {
    uint32_t hostWindow = 0;
    unsigned exitMessage = 0;
    int32_t version = 0;      // softVer as a number
    std::string versionText;  // softVer as sent
    std::string downloadUrl;  // softDownUrl
    // softHandworkDownUrl when it is an http:// or https:// URL, else empty:
    // it is shown to the user as a link, so nothing else may pass.
    std::string manualUrl;
    std::string moduleDir;
    std::string description;  // softUpDesc
    std::string date;         // softUpDate
};

// Reads and checks the record from the first kUpgradeInfoBlockSize of size
// bytes at data. field names the offending field for kUnterminated.
BlockProblem ReadOfferBlock(const uint8_t* data, size_t size, UpdateOffer& offer,
                            upgrade::InfoBlockField* field = nullptr);

// True for "http://" or "https://" (any letter case) followed by a host and
// only printable, non-blank characters.
bool IsWebUrl(const std::string& url);

// The digits-only decimal number of text, 1 to 2147483647; 0 otherwise.
int32_t StrictVersion(const std::string& text);

}  // namespace vt::refitter
