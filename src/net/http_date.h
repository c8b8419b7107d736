// Dates of HTTP headers.
#pragma once

#include <ctime>
#include <string>

namespace vt::net {

// Reads the RFC 1123 form ("Tue, 15 Jun 2010 10:00:00 GMT") as a calendar
// time in local time (daylight saving decided by the system; the zone word is
// ignored). The stamps this client writes are read back the same way, so
// comparisons hold. An unknown month reads as January, a missing year as 2000;
// text without a "," is read from its start. -1 when the fields make no time.
std::time_t ParseHttpDate(const std::string& text);

}  // namespace vt::net
