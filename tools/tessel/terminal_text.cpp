#include "terminal_text.h"

#include <algorithm>
#include <cstdio>

namespace vt::cli {

namespace {

// The code point at text[at] and its length in bytes (1 for a broken byte).
char32_t Decode(const std::string& text, size_t at, size_t& length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t count = lead < 0x80         ? 1
                   : (lead >> 5) == 6  ? 2
                   : (lead >> 4) == 14 ? 3
                   : (lead >> 3) == 30 ? 4
                                       : 1;
    if (at + count > text.size())
        count = 1;
    char32_t value = count == 1 ? lead : lead & (0x7F >> count);
    for (size_t i = 1; i < count; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            length = 1;
            return lead;
        }
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    length = count;
    return value;
}

int Width(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return 0;
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
                      (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

std::string Size(int64_t bytes) {
    char text[32];
    if (bytes >= 1024 * 1024)
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024 * 1024));
    else
        std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1024);
    return text;
}

}  // namespace

int DisplayColumns(const std::string& utf8) {
    int columns = 0;
    for (size_t at = 0, length = 0; at < utf8.size(); at += length)
        columns += Width(Decode(utf8, at, length));
    return columns;
}

std::string FitColumns(const std::string& utf8, int columns) {
    if (DisplayColumns(utf8) <= columns)
        return utf8;
    const int room = columns - 3;
    if (room < 0)
        return std::string(static_cast<size_t>(std::max(columns, 0)), '.');
    std::string out;
    int used = 0;
    for (size_t at = 0, length = 0; at < utf8.size(); at += length) {
        const int width = Width(Decode(utf8, at, length));
        if (used + width > room)
            break;
        used += width;
        out.append(utf8, at, length);
    }
    return out + "...";
}

std::string ProgressLine(const std::string& nameUtf8, int percent, int64_t done, int64_t total,
                         int columns) {
    percent = std::clamp(percent, 0, 100);
    char head[32];
    std::snprintf(head, sizeof head, "%3d%% ", percent);
    std::string sizes = " " + Size(done) + " / " + Size(total) + " ";
    // The bar shrinks on narrow terminals; the name takes what is left.
    const int barWidth = std::clamp(columns / 4, 0, 24);
    std::string bar;
    if (barWidth >= 4) {
        const int filled = percent * barWidth / 100;
        bar = "[" + std::string(static_cast<size_t>(filled), '#') +
              std::string(static_cast<size_t>(barWidth - filled), '.') + "]";
    }
    std::string line = head + bar + sizes;
    const int left = columns - DisplayColumns(line);
    if (left < 4)
        return FitColumns(head + bar, columns);
    return line + FitColumns(nameUtf8, left);
}

}  // namespace vt::cli
