// A one-thread HTTP server on 127.0.0.1 for the form-post tests: it reads each
// request (headers and Content-Length body), records it, and sends what the
// handler returns. Built on the platform socket layer so it runs on both
// systems.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace vt::test {

struct CannedAnswer {
    std::string rawHead;  // when set, sent as the whole status line and headers
    int status = 200;
    std::string body;
};

class FormTestServer {
  public:
    using Handler =
        std::function<CannedAnswer(const std::string& requestHead, const std::string& requestBody)>;

    explicit FormTestServer(Handler handler) : handler_(std::move(handler)) {
        listener_ = platform::ListenLoopback(0, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FormTestServer() {
        stop_ = true;
        thread_.join();
    }

    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    bool IsListening() const { return listener_.IsValid(); }
    std::vector<std::string> Heads() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return heads_;
    }

  private:
    static constexpr int kWaitMs = 5000;

    void Serve() {
        while (!stop_ && listener_.IsValid()) {
            platform::Socket client = platform::AcceptConnection(listener_, 50);
            if (client.IsValid())
                Answer(client);
        }
    }

    void Answer(platform::Socket& client) {
        std::string request;
        char buffer[8192];
        size_t headEnd = std::string::npos;
        size_t wanted = 0;
        while (headEnd == std::string::npos || request.size() < headEnd + 4 + wanted) {
            const int got = platform::TimedRecv(client, buffer, sizeof buffer, kWaitMs);
            if (got <= 0)
                return;
            request.append(buffer, static_cast<size_t>(got));
            if (headEnd == std::string::npos &&
                (headEnd = request.find("\r\n\r\n")) != std::string::npos)
                wanted = ContentLength(request.substr(0, headEnd));
        }
        const std::string head = request.substr(0, headEnd);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            heads_.push_back(head);
        }
        const CannedAnswer answer = handler_(head, request.substr(headEnd + 4, wanted));
        std::string reply = answer.rawHead;
        if (reply.empty())
            reply = "HTTP/1.1 " + std::to_string(answer.status) +
                    " Canned\r\nContent-Length: " + std::to_string(answer.body.size()) +
                    "\r\nConnection: close\r\n\r\n";
        reply += answer.body;
        // The client may hang up early on a long body; that ends the send.
        platform::SendAll(client, reply.data(), reply.size(), kWaitMs);
    }

    static size_t ContentLength(const std::string& head) {
        std::string lower;
        for (char c : head)
            lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        const size_t at = lower.find("\r\ncontent-length:");
        return at == std::string::npos ? 0 : std::stoul(head.substr(at + 17));
    }

    Handler handler_;
    platform::Socket listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
};

}  // namespace vt::test
