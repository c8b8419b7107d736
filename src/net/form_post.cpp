#include "net/form_post.h"

#include "platform/http_post.h"

namespace vt::net {

bool PostForm(const std::string& url, const std::string& body, std::string& firstLine, int* status,
              int timeoutMs, bool* timedOut) {
    firstLine.clear();
    platform::HttpPostRequest request;
    request.url = url;
    request.body = body;
    request.maxLineLength = kMaxAnswerLineLength;
    request.timeoutMs = timeoutMs;
    int code = 0;
    std::string line;
    const bool answered = platform::HttpPostForm(request, code, line, timedOut);
    if (status)
        *status = code;
    if (!answered || code < 200 || code > 299)
        return false;
    firstLine = std::move(line);
    return true;
}

}  // namespace vt::net
