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

    vt::net::UrlParts parts;
    vt::net::ParseUrl(text, parts);
    vt::net::ParseHttpDate(text);

    vt::net::RequestTarget target;
    target.url = "http://example.com:8080/x/y/a.zip";
    vt::net::ParseUrl(target.url, target.parts);
    const vt::net::ResponseHeader header = vt::net::ParseResponseHeader(text, target, 0);
    if (header.verdict == vt::net::kResponseRedirect) {
        vt::net::UrlParts again;
        if (!vt::net::ParseUrl(target.url, again))
            __builtin_trap();
    }
    return 0;
}
