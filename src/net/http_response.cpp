#include "net/http_response.h"

#include <cctype>
#include <limits>

#include "net/http_date.h"

namespace vt::net {

namespace {

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The decimal value of the leading digits (after an optional sign); 0 when
// there are none. Saturates instead of overflowing.
int64_t DecimalValue(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > (std::numeric_limits<int64_t>::max() - 9) / 10) {
            value = std::numeric_limits<int64_t>::max();
            break;
        }
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// The trimmed value after `name` up to the next CR LF; false when the name or
// the line end is missing.
bool HeaderValue(const std::string& header, const std::string& lower, const std::string& name,
                 std::string& value) {
    const size_t at = lower.find(name);
    if (at == std::string::npos)
        return false;
    const size_t begin = at + name.size();
    const size_t end = lower.find("\r\n", begin);
    if (end == std::string::npos)
        return false;
    value = TrimText(header.substr(begin, end - begin));
    return true;
}

std::string OriginOf(const UrlParts& parts) {
    std::string origin = "http://" + parts.host;
    if (parts.port != 80)
        origin += ":" + std::to_string(parts.port);
    return origin;
}

ResponseVerdict FollowLocation(std::string location, RequestTarget& target) {
    if (Lower(location).find("http://") != std::string::npos) {
        target.url = location;
        return ParseUrl(target.url, target.parts) ? kResponseRedirect : kResponseUnusable;
    }
    for (char& c : location) {
        if (c == '\\')
            c = '/';
    }
    if (!location.empty() && location[0] == '/') {
        // The URL follows the path, so a proxy request and a later relative
        // redirect see the new location too.
        target.parts.objectPath = location;
        target.url = OriginOf(target.parts) + location;
        return kResponseRedirect;
    }
    int levels = 0;
    for (size_t up = location.find("../"); up != std::string::npos; up = location.find("../")) {
        location.erase(0, up + 3);
        ++levels;
    }
    for (int i = 0; i <= levels; ++i) {
        const size_t slash = target.url.rfind('/');
        if (slash != std::string::npos)
            target.url.erase(slash);
    }
    target.url += "/" + location;
    return ParseUrl(target.url, target.parts) ? kResponseRedirect : kResponseUnusable;
}

}  // namespace

ResponseHeader ParseResponseHeader(const std::string& header, RequestTarget& target,
                                   std::time_t now) {
    ResponseHeader result;
    result.lastModified = now;
    const std::string lower = Lower(header);

    const size_t lineEnd = lower.find("\r\n");
    if (lineEnd == std::string::npos)
        return result;
    const std::string statusLine = TrimText(header.substr(0, lineEnd));
    const size_t first = statusLine.find(' ');
    if (first == std::string::npos)
        return result;
    const size_t second = statusLine.find(' ', first + 1);
    if (second == std::string::npos)
        return result;
    const int64_t status = DecimalValue(statusLine.substr(first + 1, second - first - 1));
    result.status =
        static_cast<int>(std::max<int64_t>(std::min<int64_t>(status, 1000000), -1000000));

    std::string value;
    if (result.status >= 0 && result.status <= 299) {
        if (!HeaderValue(header, lower, "content-length:", value))
            return result;
        result.contentLength = DecimalValue(value);
        if (HeaderValue(header, lower, "last-modified:", value)) {
            const std::time_t stamp = ParseHttpDate(value);
            if (stamp != static_cast<std::time_t>(-1))
                result.lastModified = stamp;
        }
        result.verdict = kResponseAccepted;
    } else if (result.status >= 300 && result.status <= 399) {
        if (!HeaderValue(header, lower, "location:", value))
            return result;
        result.verdict = FollowLocation(value, target);
    } else if (result.status >= 400 && result.status <= 499) {
        result.verdict = kResponseUnusable;
    } else {
        result.verdict = kResponseServerError;
    }
    return result;
}

}  // namespace vt::net
