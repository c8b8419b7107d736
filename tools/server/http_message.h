// HTTP/1.1 messages of the server side: the request as read from a client,
// the bounded request reader, byte ranges and the answer's head. Every size
// that comes from the client is checked against HttpLimits as it is read, so
// no request can make the server hold more than those bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace vt::server {

// Bounds of one request.
struct HttpLimits {
    size_t maxLineBytes = 8 * 1024;     // request line, one header line, chunk-size line
    size_t maxHeaderLines = 100;        // header and trailer lines together
    size_t maxHeaderBytes = 32 * 1024;  // request line, headers and trailers together
    size_t maxBodyBytes = 256 * 1024;   // decoded body, whatever the framing
};

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

// The value of the first header called name (any case); empty when absent.
const std::string& FindHeader(const HttpHeaders& headers, std::string_view name);

struct HttpRequest {
    std::string method;
    std::string target;  // as sent
    std::string path;    // the target's path, percent-decoded
    std::string query;   // after "?", as sent
    int minorVersion = 1;
    HttpHeaders headers;
    std::string body;
    std::string remoteAddress;
    bool keepAlive = true;        // the client allows another request on the connection
    bool expectContinue = false;  // "Expect: 100-continue"

    const std::string& Header(std::string_view name) const { return FindHeader(headers, name); }
};

// Reads one request from bytes as they arrive, in named states. Feed may be
// given any split of the stream; it stops at the end of the request, so
// pipelined bytes after it stay with the caller.
class RequestParser {
  public:
    enum class State {
        kRequestLine,
        kHeaders,
        kBody,          // Content-Length bytes
        kChunkSize,     // a chunk-size line
        kChunkData,     // bytes of one chunk
        kChunkDataEnd,  // the line end after a chunk
        kTrailers,      // after the last chunk, up to the empty line
        kComplete,
        kFailed,
    };

    explicit RequestParser(const HttpLimits& limits) : limits_(limits) {}
    // Forgets the request read so far and waits for the next one.
    void Reset();
    // Reads from data; the number of bytes used. Less than size only when the
    // request is complete or has failed.
    size_t Feed(const char* data, size_t size);

    State state() const { return state_; }
    // True once the request line and headers are read.
    bool HeadComplete() const { return state_ != State::kRequestLine && state_ != State::kHeaders; }
    // True before the first byte of a request.
    bool Idle() const {
        return state_ == State::kRequestLine && line_.empty() && headerBytes_ == 0;
    }
    // The status to answer a failed request with (400, 413, 414, 431, 501, 505).
    int errorStatus() const { return errorStatus_; }
    HttpRequest& request() { return request_; }

  private:
    bool TakeLine(const char* data, size_t size, size_t& used, bool& complete);
    void Fail(int status);
    void OnRequestLine();
    void OnHeaderLine();
    void OnHeadEnd();
    void OnChunkSizeLine();
    void OnTrailerLine();

    HttpLimits limits_;
    State state_ = State::kRequestLine;
    int errorStatus_ = 0;
    std::string line_;
    size_t headerBytes_ = 0;
    size_t headerLines_ = 0;
    uint64_t remaining_ = 0;  // body or chunk bytes still to come
    HttpRequest request_;
};

// A file opened to be sent as an answer; the server reads it in blocks.
struct ServedFile {
    platform::File file;
    int64_t size = 0;
    int64_t modified = 0;  // Unix time
};

struct HttpResponse {
    int status = 200;
    HttpHeaders headers;
    std::string body;
    // When set, the body is bytes [fileOffset, fileOffset + fileLength) of it.
    std::unique_ptr<ServedFile> file;
    int64_t fileOffset = 0;
    int64_t fileLength = 0;

    void SetHeader(std::string name, std::string value);
    void SetContent(std::string content, std::string type);
    int64_t BodyLength() const { return file ? fileLength : static_cast<int64_t>(body.size()); }
};

// The reason phrase of a status ("Not Found"); "Unknown" for others.
const char* ReasonPhrase(int status);
// The status line and headers of response, with Content-Length (not for
// 1xx, 204 and 304) and Connection, ending with the empty line.
std::string SerializeHead(const HttpResponse& response, bool keepAlive);

// RFC 9110 date text, "Sun, 06 Nov 1994 08:49:37 GMT".
std::string HttpDate(int64_t unixTime);

// How a Range header applies to a representation of size bytes.
enum class RangeVerdict { kWhole, kPartial, kUnsatisfiable };
struct ByteRange {
    int64_t start = 0;
    int64_t length = 0;
};
// Ranges that overlap or touch are joined; when one range remains it is the
// answer, several disjoint ranges (or more than kMaxRanges, or a header that
// does not parse) get the whole representation, as HTTP allows. A server
// never builds a multi-part answer from it.
constexpr size_t kMaxRanges = 64;
RangeVerdict ResolveRange(std::string_view header, int64_t size, ByteRange& range);

// Answers request with the file at path (local code page): 404 when it is
// not a readable regular file, else 200 or 206 by Range (and If-Range), 416
// for ranges beyond the end, with Last-Modified and Accept-Ranges.
void ServeFile(const HttpRequest& request, HttpResponse& response, const std::string& path);

}  // namespace vt::server
