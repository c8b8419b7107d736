// Form posts through the system's HTTP stack: WinInet with the system's proxy
// settings on Windows, libcurl (which honours the usual proxy environment
// variables) elsewhere.
#pragma once

#include <cstddef>
#include <string>

namespace vt::platform {

struct HttpPostRequest {
    std::string url;              // absolute http URL, path and query included
    std::string body;             // sent as application/x-www-form-urlencoded
    size_t maxLineLength = 4096;  // the first body line is cut to this length
    int timeoutMs = 30000;        // limit for connecting and for each wait for data
    // Read every line of the body, whatever the status, and join them without
    // their line breaks; maxLineLength then bounds the joined text, and the
    // rest of the body is not read.
    bool joinAllLines = false;
};

// Posts the request and reads the answer's status code and, for a status from
// 200 to 299, the first line of its body (without "\r\n"; reading stops at the
// line break or at maxLineLength, the rest of the body is not read). With
// joinAllLines, firstLine holds all lines joined instead. False when the URL
// cannot be parsed or the HTTP stack fails before a status arrives (or, with
// joinAllLines, while the body is read).
bool HttpPostForm(const HttpPostRequest& request, int& status, std::string& firstLine);

}  // namespace vt::platform
