// Reading an HTTP response header: status, announced length, modification
// time and redirects.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "net/url.h"

namespace vt::net {

// What the client should do with a response.
enum ResponseVerdict {
    kResponseAccepted = 0,     // 0 to 299 with a Content-Length
    kResponseServerError = 1,  // 500 and above, or below 0
    kResponseRedirect = 2,     // 300 to 399; the target was rewritten
    kResponseUnusable = 3,     // anything the client cannot use
};

// The current request target; redirects rewrite it.
struct RequestTarget {
    std::string url;
    UrlParts parts;
};

struct ResponseHeader {
    ResponseVerdict verdict = kResponseUnusable;
    int status = 0;
    int64_t contentLength = 0;
    std::time_t lastModified = 0;  // Last-Modified, else `now`
};

// Reads headerText (lines joined by CR LF, each line ended by one). A
// redirect rewrites target: an absolute location replaces the URL; a
// root-relative one replaces the path (and the URL with it); other locations
// are resolved against the URL's directory, each "../" going up one level.
ResponseHeader ParseResponseHeader(const std::string& headerText, RequestTarget& target,
                                   std::time_t now);

}  // namespace vt::net
