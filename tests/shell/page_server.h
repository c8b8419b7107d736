// The loopback catalogue server that with_page_server.sh starts beside the
// Windows test program. Windows only.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace vt::test {

// The server's address ("http://127.0.0.1:PORT"), or empty without one.
inline std::string PageServer() {
    const char* address = std::getenv("TESSEL_PAGE_SERVER");
    return address != nullptr ? address : "";
}

// The server's request log so far: one "client METHOD PATH STATUS BYTES"
// line per request.
inline std::string ServerRequests() {
    const char* path = std::getenv("TESSEL_PAGE_SERVER_LOG");
    if (path == nullptr)
        return {};
    std::ifstream log(path, std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    return text.str();
}

}  // namespace vt::test
