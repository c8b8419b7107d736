#include "http_message.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <mutex>

#include "cipher/hex_text.h"
#include "platform/ascii_text.h"

namespace vt::server {

namespace {

// RFC 9110 token characters (method and header names).
bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::strchr("!#$%&'*+-.^_`|~", c) != nullptr && c != '\0';
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

// Percent-decodes a path; false for a broken escape or a decoded NUL.
bool DecodePath(std::string_view text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = cipher::HexDigitValue(text[i + 1]),
                  low = cipher::HexDigitValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// A header's comma-separated list holds token (any case).
bool ListHas(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (platform::EqualsIgnoreCase(platform::TrimBlanks(list.substr(0, comma)), token))
            return true;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

// Digits only, at most 18 of them, so the value fits without overflow.
bool ParseDecimal(std::string_view text, int64_t& value) {
    if (text.empty() || text.size() > 18)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

const std::string& FindHeader(const HttpHeaders& headers, std::string_view name) {
    static const std::string kEmpty;
    for (const auto& [key, value] : headers) {
        if (platform::EqualsIgnoreCase(key, name))
            return value;
    }
    return kEmpty;
}

void RequestParser::Reset() {
    state_ = State::kRequestLine;
    errorStatus_ = 0;
    line_.clear();
    headerBytes_ = 0;
    headerLines_ = 0;
    remaining_ = 0;
    request_ = HttpRequest();
}

void RequestParser::Fail(int status) {
    state_ = State::kFailed;
    errorStatus_ = status;
    line_.clear();
}

// Gathers one line (without CR LF) into line_, bounded by the line limit and
// the header budget; complete when its LF arrived.
bool RequestParser::TakeLine(const char* data, size_t size, size_t& used, bool& complete) {
    const char* end = static_cast<const char*>(std::memchr(data, '\n', size));
    const size_t take = end ? static_cast<size_t>(end - data) + 1 : size;
    const bool inHead = state_ != State::kChunkSize && state_ != State::kChunkDataEnd;
    if (line_.size() + take > limits_.maxLineBytes + 2) {
        Fail(state_ == State::kRequestLine ? 414 : inHead ? 431 : 400);
        return false;
    }
    if (inHead && headerBytes_ + take > limits_.maxHeaderBytes) {
        Fail(431);
        return false;
    }
    if (inHead)
        headerBytes_ += take;
    line_.append(data, take);
    used = take;
    complete = end != nullptr;
    if (complete) {
        line_.pop_back();
        if (!line_.empty() && line_.back() == '\r')
            line_.pop_back();
        // A CR anywhere else is no line end this reader accepts.
        if (line_.find('\r') != std::string::npos) {
            Fail(400);
            return false;
        }
    }
    return true;
}

size_t RequestParser::Feed(const char* data, size_t size) {
    size_t offset = 0;
    while (offset < size && state_ != State::kComplete && state_ != State::kFailed) {
        if (state_ == State::kBody || state_ == State::kChunkData) {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(remaining_, size - offset));
            request_.body.append(data + offset, take);
            offset += take;
            remaining_ -= take;
            if (remaining_ == 0)
                state_ = state_ == State::kBody ? State::kComplete : State::kChunkDataEnd;
            continue;
        }
        size_t used = 0;
        bool complete = false;
        if (!TakeLine(data + offset, size - offset, used, complete))
            break;
        offset += used;
        if (!complete)
            continue;
        switch (state_) {
            case State::kRequestLine:
                OnRequestLine();
                break;
            case State::kHeaders:
                OnHeaderLine();
                break;
            case State::kChunkSize:
                OnChunkSizeLine();
                break;
            case State::kChunkDataEnd:
                if (!line_.empty())
                    Fail(400);
                else
                    state_ = State::kChunkSize;
                break;
            case State::kTrailers:
                OnTrailerLine();
                break;
            default:
                break;
        }
        line_.clear();
    }
    return offset;
}

void RequestParser::OnRequestLine() {
    // Empty lines before a request are allowed (RFC 9112 2.2).
    if (line_.empty())
        return;
    const size_t first = line_.find(' ');
    const size_t second = first == std::string::npos ? first : line_.find(' ', first + 1);
    if (second == std::string::npos || line_.find(' ', second + 1) != std::string::npos)
        return Fail(400);
    const std::string_view line(line_);
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, second - first - 1);
    const std::string_view version = line.substr(second + 1);
    if (!IsToken(method) || method.size() > 20)
        return Fail(400);
    if (target.empty() || target[0] != '/')
        return Fail(400);
    for (char c : target) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return Fail(400);
    }
    if (version.size() != 8 || version.compare(0, 5, "HTTP/") != 0 || version[6] != '.' ||
        version[5] < '0' || version[5] > '9' || version[7] < '0' || version[7] > '9')
        return Fail(400);
    if (version[5] != '1')
        return Fail(505);
    request_.method = method;
    request_.target = target;
    request_.minorVersion = version[7] - '0';
    const size_t question = target.find('?');
    if (!DecodePath(target.substr(0, question), request_.path))
        return Fail(400);
    if (question != std::string_view::npos)
        request_.query = target.substr(question + 1);
    state_ = State::kHeaders;
}

void RequestParser::OnHeaderLine() {
    if (line_.empty())
        return OnHeadEnd();
    if (++headerLines_ > limits_.maxHeaderLines)
        return Fail(431);
    // Folded lines and a space before the colon are refused (RFC 9112 5).
    const size_t colon = line_.find(':');
    if (colon == std::string::npos || !IsToken(std::string_view(line_).substr(0, colon)))
        return Fail(400);
    const std::string_view value = platform::TrimBlanks(std::string_view(line_).substr(colon + 1));
    for (char c : value) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            return Fail(400);
    }
    request_.headers.emplace_back(line_.substr(0, colon), std::string(value));
}

void RequestParser::OnHeadEnd() {
    HttpRequest& r = request_;
    const std::string& connection = r.Header("Connection");
    r.keepAlive =
        r.minorVersion >= 1 ? !ListHas(connection, "close") : ListHas(connection, "keep-alive");
    r.expectContinue = platform::EqualsIgnoreCase(r.Header("Expect"), "100-continue");

    // One framing only: both, or disagreeing lengths, are how requests are
    // smuggled past a proxy in front of this server.
    const std::string* length = nullptr;
    int encodings = 0;
    for (const auto& [name, value] : r.headers) {
        if (platform::EqualsIgnoreCase(name, "Content-Length")) {
            if (length && *length != value)
                return Fail(400);
            length = &value;
        } else if (platform::EqualsIgnoreCase(name, "Transfer-Encoding")) {
            ++encodings;
        }
    }
    if (encodings > 0) {
        if (length || encodings > 1)
            return Fail(400);
        if (!platform::EqualsIgnoreCase(platform::TrimBlanks(r.Header("Transfer-Encoding")),
                                        "chunked"))
            return Fail(501);
        state_ = State::kChunkSize;
        return;
    }
    int64_t bodyLength = 0;
    if (length && !ParseDecimal(*length, bodyLength))
        return Fail(400);
    if (static_cast<uint64_t>(bodyLength) > limits_.maxBodyBytes)
        return Fail(413);
    remaining_ = static_cast<uint64_t>(bodyLength);
    state_ = remaining_ > 0 ? State::kBody : State::kComplete;
}

void RequestParser::OnChunkSizeLine() {
    std::string_view size = std::string_view(line_).substr(0, line_.find(';'));
    size = platform::TrimBlanks(size);
    if (size.empty())
        return Fail(400);
    while (size.size() > 1 && size.front() == '0')
        size.remove_prefix(1);
    if (!std::all_of(size.begin(), size.end(),
                     [](char c) { return cipher::HexDigitValue(c) >= 0; }))
        return Fail(400);
    if (size.size() > 15)
        return Fail(413);
    uint64_t value = 0;
    for (char c : size)
        value = value * 16 + static_cast<uint64_t>(cipher::HexDigitValue(c));
    if (value > limits_.maxBodyBytes - request_.body.size())
        return Fail(413);
    remaining_ = value;
    state_ = value == 0 ? State::kTrailers : State::kChunkData;
}

void RequestParser::OnTrailerLine() {
    if (line_.empty()) {
        state_ = State::kComplete;
        return;
    }
    // Trailers are read against the header budget (TakeLine counts their
    // bytes) and dropped.
    if (++headerLines_ > limits_.maxHeaderLines)
        return Fail(431);
}

void HttpResponse::SetHeader(std::string name, std::string value) {
    for (auto& [key, old] : headers) {
        if (platform::EqualsIgnoreCase(key, name)) {
            old = std::move(value);
            return;
        }
    }
    headers.emplace_back(std::move(name), std::move(value));
}

void HttpResponse::SetContent(std::string content, std::string type) {
    body = std::move(content);
    file.reset();
    SetHeader("Content-Type", std::move(type));
}

const char* ReasonPhrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 413:
            return "Content Too Large";
        case 414:
            return "URI Too Long";
        case 416:
            return "Range Not Satisfiable";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        case 505:
            return "HTTP Version Not Supported";
        default:
            return "Unknown";
    }
}

std::string SerializeHead(const HttpResponse& response, bool keepAlive) {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       ReasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    const int status = response.status;
    if (status >= 200 && status != 204 && status != 304)
        head += "Content-Length: " + std::to_string(response.BodyLength()) + "\r\n";
    head += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return head;
}

std::string HttpDate(int64_t unixTime) {
    static std::mutex mutex;  // gmtime's result is shared
    std::lock_guard<std::mutex> lock(mutex);
    char text[64] = {};
    const std::time_t time = static_cast<std::time_t>(unixTime);
    if (const std::tm* utc = std::gmtime(&time))
        std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", utc);
    return text;
}

RangeVerdict ResolveRange(std::string_view header, int64_t size, ByteRange& range) {
    header = platform::TrimBlanks(header);
    if (header.size() < 6 || !platform::EqualsIgnoreCase(header.substr(0, 6), "bytes="))
        return RangeVerdict::kWhole;
    header.remove_prefix(6);
    std::vector<ByteRange> ranges;
    size_t items = 0;
    while (!header.empty()) {
        const size_t comma = header.find(',');
        const std::string_view item = platform::TrimBlanks(header.substr(0, comma));
        header = comma == std::string_view::npos ? std::string_view() : header.substr(comma + 1);
        if (item.empty())
            continue;  // empty list elements are allowed
        if (++items > kMaxRanges)
            return RangeVerdict::kWhole;
        const size_t dash = item.find('-');
        if (dash == std::string_view::npos)
            return RangeVerdict::kWhole;
        int64_t first = 0, last = 0;
        const std::string_view from = item.substr(0, dash), to = item.substr(dash + 1);
        if (from.empty()) {
            // "-N": the last N bytes.
            if (!ParseDecimal(to, last))
                return RangeVerdict::kWhole;
            if (last > 0 && size > 0)
                ranges.push_back({std::max<int64_t>(0, size - last), std::min(last, size)});
            continue;
        }
        if (!ParseDecimal(from, first) || (!to.empty() && !ParseDecimal(to, last)))
            return RangeVerdict::kWhole;
        if (!to.empty() && last < first)
            return RangeVerdict::kWhole;
        if (first >= size)
            continue;  // unsatisfiable alone
        const int64_t end = to.empty() ? size - 1 : std::min(last, size - 1);
        ranges.push_back({first, end - first + 1});
    }
    if (items == 0)
        return RangeVerdict::kWhole;
    if (ranges.empty())
        return RangeVerdict::kUnsatisfiable;
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.start < b.start; });
    ByteRange joined = ranges.front();
    for (size_t i = 1; i < ranges.size(); ++i) {
        const ByteRange& next = ranges[i];
        if (next.start > joined.start + joined.length)
            return RangeVerdict::kWhole;  // disjoint ranges: no multi-part answer
        joined.length =
            std::max(joined.start + joined.length, next.start + next.length) - joined.start;
    }
    range = joined;
    return RangeVerdict::kPartial;
}

void ServeFile(const HttpRequest& request, HttpResponse& response, const std::string& path) {
    auto served = std::make_unique<ServedFile>();
    if (platform::IsDirectory(path) || !served->file.Open(path, platform::File::Mode::kRead) ||
        (served->size = served->file.Size()) < 0) {
        response.status = 404;
        response.SetContent("no such file\n", "text/plain; charset=utf-8");
        return;
    }
    served->modified = platform::FileTimeToUnixTime(platform::GetModifiedTime(path));
    const std::string modified = HttpDate(served->modified);
    response.SetHeader("Content-Type", "application/octet-stream");
    response.SetHeader("Last-Modified", modified);
    response.SetHeader("Accept-Ranges", "bytes");

    ByteRange range{0, served->size};
    const std::string& ifRange = request.Header("If-Range");
    const RangeVerdict verdict = ifRange.empty() || ifRange == modified
                                     ? ResolveRange(request.Header("Range"), served->size, range)
                                     : RangeVerdict::kWhole;
    if (verdict == RangeVerdict::kUnsatisfiable) {
        response.status = 416;
        response.SetHeader("Content-Range", "bytes */" + std::to_string(served->size));
        response.SetContent("", "text/plain; charset=utf-8");
        return;
    }
    if (verdict == RangeVerdict::kPartial) {
        response.status = 206;
        response.SetHeader("Content-Range", "bytes " + std::to_string(range.start) + "-" +
                                                std::to_string(range.start + range.length - 1) +
                                                "/" + std::to_string(served->size));
    } else {
        range = {0, served->size};
    }
    response.body.clear();
    response.fileOffset = range.start;
    response.fileLength = range.length;
    response.file = std::move(served);
}

}  // namespace vt::server
