#include "net/http_date.h"

#include <cctype>
#include <cstring>

namespace vt::net {

namespace {

std::string LeftTrim(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    return text.substr(i);
}

// The decimal value of the leading digits of text[from, from + length).
int Number(const std::string& text, size_t from, size_t length) {
    int value = 0;
    // Nine digits at most, so the value cannot overflow.
    for (size_t i = from; i < text.size() && i < from + length && i < from + 9; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::time_t ParseHttpDate(const std::string& input) {
    std::string text = input;
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t comma = text.find(',');
    if (comma != std::string::npos)
        text = text.substr(comma + 1);
    text = LeftTrim(text);

    std::tm fields{};
    fields.tm_mday = Number(text, 0, 2);
    static const char kMonths[] = "jan,feb,mar,apr,may,jun,jul,aug,sep,oct,nov,dec";
    const std::string month = text.size() >= 6 ? text.substr(3, 3) : std::string();
    const char* found = month.size() == 3 ? std::strstr(kMonths, month.c_str()) : nullptr;
    fields.tm_mon = found ? static_cast<int>(found - kMonths) / 4 : 0;

    std::string rest = text.size() > 6 ? LeftTrim(text.substr(6)) : std::string();
    const size_t blank = rest.find_first_of(" \t");
    int year = 2000;
    if (blank != std::string::npos) {
        year = Number(rest, 0, blank);
        rest = rest.substr(blank + 1);
    }
    fields.tm_year = year - 1900;
    fields.tm_hour = Number(rest, 0, 2);
    fields.tm_min = Number(rest, 3, 2);
    fields.tm_sec = Number(rest, 6, 2);
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

}  // namespace vt::net
