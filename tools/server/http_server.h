// A bounded HTTP/1.1 server: one event loop reads requests and writes answers
// for every connection without blocking, and a small pool of workers runs
// the handler on complete requests. A slow or hostile client holds at most
// one connection slot and the bytes HttpLimits allow, never a worker: each
// request's head must arrive within one deadline, its body within another,
// and an answer must keep moving. Native (POSIX) only.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "http_message.h"

namespace vt::server {

struct HttpServerOptions {
    HttpLimits limits;
    int headerTimeoutMs = 10000;  // the whole head, from when the connection waits for it
    int bodyTimeoutMs = 20000;    // the whole body, from the end of the head
    int sendStallMs = 30000;      // longest wait for a client to take more of an answer
    int lingerMs = 2000;          // reading what a refused client still sends, before closing
    size_t maxConnections = 1024;
    int workers = 4;
    size_t maxQueuedRequests = 256;  // requests in hand at once; more get 503
};

// Fills the answer for one complete request. Runs on a worker thread; may be
// called from several at once. An exception becomes a 500 answer.
using HttpHandler = std::function<void(const HttpRequest&, HttpResponse&)>;
// Called once for every answer, also for requests the reader refused (whose
// method and path may be empty).
using HttpLogger = std::function<void(const HttpRequest&, const HttpResponse&)>;

class HttpServer {
  public:
    HttpServer(HttpServerOptions options, HttpHandler handler, HttpLogger logger = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on address:port (port 0 picks a free one); the port, or -1.
    int Bind(const std::string& address, int port);
    // Serves until Stop; false when not bound or the loop could not start.
    bool Run();
    // Ends Run from any thread; open connections are closed.
    void Stop();
    bool IsRunning() const;

  private:
    class Loop;
    std::unique_ptr<Loop> loop_;
};

}  // namespace vt::server
