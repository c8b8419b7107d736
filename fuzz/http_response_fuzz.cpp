// Response headers and URLs from a hostile server: the parsers must neither
// crash nor read outside their input, and a redirect must leave a target that
// parses again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/http_date.h"
#include "net/http_response.h"
#include "net/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    vt::UrlParts parts;
    vt::ParseUrl(text, parts);
    vt::ParseHttpDate(text);

    vt::RequestTarget target;
    target.url = "http://example.com:8080/x/y/a.zip";
    vt::ParseUrl(target.url, target.parts);
    const vt::ResponseHeader header = vt::ParseResponseHeader(text, target, 0);
    if (header.verdict == vt::kResponseRedirect) {
        vt::UrlParts again;
        if (!vt::ParseUrl(target.url, again))
            __builtin_trap();
    }
    return 0;
}
