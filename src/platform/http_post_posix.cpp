#include "platform/http_post.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace vt::platform {

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct LineReader {
    std::string line;
    size_t limit = 0;
    bool joinAll = false;
    bool done = false;
};

// Collects the first body line (or, with joinAll, every line without its
// break); returning less than offered makes libcurl stop the transfer, so the
// rest of a long body is never read.
size_t CollectLine(char* data, size_t size, size_t count, void* context) {
    auto* reader = static_cast<LineReader*>(context);
    const size_t length = size * count;
    if (reader->done)
        return 0;
    for (size_t i = 0; i < length; ++i) {
        if (data[i] == '\n' && reader->joinAll) {
            if (!reader->line.empty() && reader->line.back() == '\r')
                reader->line.pop_back();
            continue;
        }
        if (data[i] == '\n' || reader->line.size() >= reader->limit) {
            reader->done = true;
            return 0;
        }
        reader->line += data[i];
    }
    return length;
}

bool IsHttpUrl(const std::string& url) {
    CURLU* parsed = curl_url();
    if (!parsed)
        return false;
    char* scheme = nullptr;
    char* host = nullptr;
    const bool ok = curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
                    curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
                    curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
                    std::string(scheme) == "http";
    curl_free(scheme);
    curl_free(host);
    curl_url_cleanup(parsed);
    return ok;
}

}  // namespace

bool HttpPostForm(const HttpPostRequest& request, int& status, std::string& firstLine) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    status = 0;
    firstLine.clear();
    if (!IsHttpUrl(request.url))
        return false;

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return false;
    std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
    headers.reset(curl_slist_append(headers.release(), "Accept: */*"));
    headers.reset(curl_slist_append(headers.release(), "Expect:"));  // no 100-continue round trip

    LineReader reader;
    reader.limit = request.maxLineLength;
    reader.joinAll = request.joinAllLines;
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, CollectLine);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &reader);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.timeoutMs));
    // A stalled answer is given up after timeoutMs without progress.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>((request.timeoutMs + 999) / 1000));

    const CURLcode result = curl_easy_perform(h);
    long code = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
    if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && reader.done)) {
        // A failure after the status arrived still reports that status.
        status = static_cast<int>(code);
        return false;
    }
    status = static_cast<int>(code);
    if ((status < 200 || status > 299) && !request.joinAllLines)
        return true;
    if (!reader.line.empty() && reader.line.back() == '\r')
        reader.line.pop_back();
    firstLine = std::move(reader.line);
    return true;
}

}  // namespace vt::platform
