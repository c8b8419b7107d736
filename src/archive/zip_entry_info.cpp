#include "archive/zip_entry_info.h"

#include <algorithm>

#include "archive/zip_source.h"

namespace vt::archive {

uint32_t ZipAttributes(uint32_t e) {
    const uint32_t unixMode = e >> 16;
    const bool directory = (e & 0x40000000) || (unixMode & 0170000) == 0040000 || (e & 0x10);
    uint32_t attr = directory ? 0x90 : 0x80;
    if (e & 0x20)
        attr |= platform::kAttrArchive;
    if (e & 0x02)
        attr |= platform::kAttrHidden;
    if (!(e & 0x00800000) || (e & 0x01))
        attr |= platform::kAttrReadOnly;
    if (e & 0x04)
        attr |= platform::kAttrSystem;
    return attr;
}

platform::FileTime DosDateTimeToFileTime(uint32_t dosDateTime) {
    const int year = 1980 + static_cast<int>(dosDateTime >> 25);
    const int month = static_cast<int>((dosDateTime >> 21) & 0x0F);
    const int day = static_cast<int>((dosDateTime >> 16) & 0x1F);
    const int hour = static_cast<int>((dosDateTime >> 11) & 0x1F);
    const int minute = static_cast<int>((dosDateTime >> 5) & 0x3F);
    const int second = static_cast<int>(dosDateTime & 0x1F) * 2;
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59)
        return 0;
    if (day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0))
        return 0;
    // Days since 1970-01-01 of a civil date (Howard Hinnant's algorithm).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
    return platform::UnixTimeToFileTime(days * 86400 + hour * 3600 + minute * 60 + second);
}

void ApplyExtendedTimestamp(const uint8_t* extra, size_t length, ZipTimes& times) {
    if (length < 5)
        return;
    size_t start = 0;
    while (length - start > 4) {
        const uint16_t id = ReadLe16(extra + start);
        const size_t size = ReadLe16(extra + start + 2);
        if (id == 0x5455) {  // "UT"
            const size_t end = std::min(length, start + 4 + size);
            size_t at = start + 4;
            if (at >= end)
                return;
            const uint8_t flags = extra[at++];
            platform::FileTime* targets[] = {&times.modify, &times.access, &times.create};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1 << bit)))
                    continue;
                if (end - at < 4)
                    return;
                const auto unixTime = static_cast<int32_t>(ReadLe32(extra + at));
                *targets[bit] = platform::UnixTimeToFileTime(unixTime);
                at += 4;
            }
            return;
        }
        start += 4 + size;
        if (start >= length)
            return;
    }
}

}  // namespace vt::archive
