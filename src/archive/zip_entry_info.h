// Mapping of a central-directory entry to file attributes and file times.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files.h"

namespace vt::archive {

// Windows attribute bits from the external attributes (DOS bits low, Unix
// mode high): 0x80 for a file, 0x90 for a directory, plus archive, hidden,
// system, and read-only when the Unix owner-write bit is clear or the DOS
// read-only bit is set.
uint32_t ZipAttributes(uint32_t externalAttributes);

// A DOS date and time (date high word) as a file time, taken as universal
// time as it stands; 0 for an impossible date.
platform::FileTime DosDateTimeToFileTime(uint32_t dosDateTime);

struct ZipTimes {
    platform::FileTime access = 0;
    platform::FileTime create = 0;
    platform::FileTime modify = 0;
};

// Overrides times from the first "UT" (extended timestamp) block of a local
// extra field; values are read only from within the block and the field.
void ApplyExtendedTimestamp(const uint8_t* extra, size_t length, ZipTimes& times);

}  // namespace vt::archive
