// Requests from a hostile client, as tessel-server's request reader gets
// them: in pieces of any size (the first byte picks the piece size), against
// small bounds. The reader must stay inside its input and its bounds, and a
// Range header must resolve to bytes of the file or to no range.
#include <cstddef>
#include <cstdint>
#include <string>

#include "http_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t step = data[0] % 17 + 1;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    vt::server::HttpLimits limits;
    limits.maxLineBytes = 200;
    limits.maxHeaderLines = 8;
    limits.maxHeaderBytes = 600;
    limits.maxBodyBytes = 300;
    vt::server::RequestParser parser(limits);
    using State = vt::server::RequestParser::State;
    size_t at = 0;
    while (at < text.size() && parser.state() != State::kComplete &&
           parser.state() != State::kFailed) {
        const size_t piece = std::min(step, text.size() - at);
        const size_t used = parser.Feed(text.data() + at, piece);
        if (used > piece)
            __builtin_trap();
        at += used;
    }
    const vt::server::HttpRequest& request = parser.request();
    if (request.body.size() > limits.maxBodyBytes || request.headers.size() > limits.maxHeaderLines)
        __builtin_trap();
    if (parser.state() == State::kFailed && parser.errorStatus() < 400)
        __builtin_trap();

    for (int64_t fileSize : {int64_t{0}, int64_t{1}, int64_t{1000}}) {
        vt::server::ByteRange range;
        const auto verdict = vt::server::ResolveRange(text, fileSize, range);
        if (verdict == vt::server::RangeVerdict::kPartial &&
            (range.start < 0 || range.length <= 0 || range.start + range.length > fileSize))
            __builtin_trap();
    }
    return 0;
}
