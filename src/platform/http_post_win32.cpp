#include "platform/http_post.h"

#include <windows.h>
#include <wininet.h>

#include <memory>

namespace vt::platform {

namespace {

struct InternetDeleter {
    void operator()(void* handle) const { InternetCloseHandle(static_cast<HINTERNET>(handle)); }
};
using InternetHandle = std::unique_ptr<void, InternetDeleter>;

void SetTimeouts(HINTERNET handle, int timeoutMs) {
    DWORD value = static_cast<DWORD>(timeoutMs);
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT})
        InternetSetOptionA(handle, option, &value, sizeof value);
}

}  // namespace

bool HttpPostForm(const HttpPostRequest& request, int& status, std::string& firstLine) {
    status = 0;
    firstLine.clear();

    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    char path[INTERNET_MAX_PATH_LENGTH + 1] = {};
    char extra[INTERNET_MAX_PATH_LENGTH + 1] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof extra;
    if (request.url.size() > INTERNET_MAX_URL_LENGTH ||
        !InternetCrackUrlA(request.url.c_str(), static_cast<DWORD>(request.url.size()), 0,
                           &parts) ||
        parts.nScheme != INTERNET_SCHEME_HTTP || host[0] == '\0')
        return false;
    const std::string object = std::string(path[0] ? path : "/") + extra;

    // The system's proxy settings and no agent text of our own.
    InternetHandle session(
        InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return false;
    SetTimeouts(static_cast<HINTERNET>(session.get()), request.timeoutMs);
    InternetHandle connection(InternetConnectA(static_cast<HINTERNET>(session.get()), host,
                                               parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                               0, 0));
    if (!connection)
        return false;
    const char* accept[] = {"*/*", nullptr};
    InternetHandle post(HttpOpenRequestA(
        static_cast<HINTERNET>(connection.get()), "POST", object.c_str(), nullptr, nullptr, accept,
        INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
            INTERNET_FLAG_NO_COOKIES,
        0));
    if (!post)
        return false;
    HINTERNET handle = static_cast<HINTERNET>(post.get());
    const char kHeaders[] = "Content-Type: application/x-www-form-urlencoded\r\nAccept: */*\r\n";
    HttpAddRequestHeadersA(handle, kHeaders, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    if (!HttpSendRequestA(handle, nullptr, 0, const_cast<char*>(request.body.data()),
                          static_cast<DWORD>(request.body.size())))
        return false;

    DWORD code = 0, codeSize = sizeof code;
    if (!HttpQueryInfoA(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &codeSize,
                        nullptr))
        return false;
    status = static_cast<int>(code);
    if ((status < 200 || status > 299) && !request.joinAllLines)
        return true;

    // Reads until the (first) line break, the length limit or the end of the body.
    std::string line;
    char chunk[4096];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(handle, chunk, sizeof chunk, &got))
            return false;
        if (got == 0)
            break;
        bool ended = false;
        for (DWORD i = 0; i < got && !ended; ++i) {
            if (chunk[i] == '\n' && request.joinAllLines) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
            } else if (chunk[i] == '\n' || line.size() >= request.maxLineLength) {
                ended = true;
            } else {
                line += chunk[i];
            }
        }
        if (ended)
            break;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    firstLine = std::move(line);
    return true;
}

}  // namespace vt::platform
