// The one scripted server on 127.0.0.1 for the tests of everything that
// talks HTTP or SOCKS: each accepted connection is handed to a script (on its
// own thread) that reads what the client sent and answers byte by byte, so
// tests can misbehave in ways real servers will not, and every request head
// read is kept for the test to check. Runs on its own thread; stops and
// joins when destroyed.
#pragma once

#include <atomic>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "platform/system.h"

namespace vt::test {

// The value of header name in a request or answer head, the name matched
// without regard to case, leading spaces dropped; empty when absent.
inline std::string HeaderValue(const std::string& head, const std::string& name) {
    const auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return text;
    };
    const std::string key = lower("\r\n" + name + ":");
    const size_t at = lower(head).find(key);
    if (at == std::string::npos)
        return std::string();
    size_t from = at + key.size();
    while (from < head.size() && head[from] == ' ')
        ++from;
    return head.substr(from, head.find("\r\n", from) - from);
}

// An HTTP answer head with the given status line and header lines.
inline std::string AnswerHead(const std::string& statusLine, const std::string& headers) {
    return "HTTP/1.1 " + statusLine + "\r\n" + headers + "\r\n";
}

// A whole answer with its length that closes the connection.
inline std::string Answer(int status, const std::string& body) {
    return AnswerHead(
               std::to_string(status) + " Canned",
               "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n") +
           body;
}

// One accepted connection as the script sees it.
class ServerConnection {
  public:
    // heads, when given, receives every request head read.
    explicit ServerConnection(platform::Socket socket,
                              std::function<void(const std::string&)> heads = nullptr)
        : socket_(std::move(socket)), heads_(std::move(heads)) {}

    // Reads until the blank line of an HTTP request head (bounded); the head
    // with its final CR LF CR LF, or what arrived before the peer stopped.
    std::string ReadHead(int timeoutMs = 5000) {
        while (buffered_.find("\r\n\r\n") == std::string::npos && buffered_.size() < 65536) {
            if (!Receive(timeoutMs))
                break;
        }
        const size_t end = buffered_.find("\r\n\r\n");
        const size_t cut = end == std::string::npos ? buffered_.size() : end + 4;
        std::string head = buffered_.substr(0, cut);
        buffered_.erase(0, cut);
        if (heads_)
            heads_(head);
        return head;
    }
    // Reads a request head and the body its Content-Length announces; the
    // head.
    std::string ReadRequest(std::string& body, int timeoutMs = 5000) {
        const std::string head = ReadHead(timeoutMs);
        body = ReadExactly(static_cast<size_t>(std::strtoul(
                               HeaderValue(head, "Content-Length").c_str(), nullptr, 10)),
                           timeoutMs);
        return head;
    }
    // Reads exactly n bytes (fewer when the peer stops).
    std::string ReadExactly(size_t n, int timeoutMs = 5000) {
        while (buffered_.size() < n) {
            if (!Receive(timeoutMs))
                break;
        }
        std::string out = buffered_.substr(0, n);
        buffered_.erase(0, out.size());
        return out;
    }
    bool Send(const std::string& bytes) {
        return platform::SendAll(socket_, bytes.data(), bytes.size(), 5000) == bytes.size();
    }
    void Close() { socket_.Close(); }

  private:
    bool Receive(int timeoutMs) {
        char chunk[4096];
        const int got = platform::TimedRecv(socket_, chunk, sizeof chunk, timeoutMs);
        if (got <= 0)
            return false;
        buffered_.append(chunk, static_cast<size_t>(got));
        return true;
    }

    platform::Socket socket_;
    std::function<void(const std::string&)> heads_;
    std::string buffered_;
};

class LoopbackServer {
  public:
    // script(index, connection) runs once per accepted connection, index
    // counting from 0; the connection closes when it returns.
    using Script = std::function<void(int index, ServerConnection& connection)>;

    explicit LoopbackServer(Script script) : script_(std::move(script)) {
        listener_ = platform::ListenLoopback(0, port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        stop_ = true;
        thread_.join();
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t port() const { return port_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int connections() const { return connections_; }
    // Every request head the scripts read, in order.
    std::vector<std::string> heads() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return heads_;
    }

  private:
    // Each connection gets its own thread, so a script that stalls does not
    // hold up the client's next connection.
    void Serve() {
        std::vector<std::thread> workers;
        while (!stop_ && listener_.IsValid()) {
            platform::Socket client = platform::AcceptConnection(listener_, 20);
            if (!client.IsValid())
                continue;
            const int index = connections_++;
            workers.emplace_back([this, index, socket = std::move(client)]() mutable {
                ServerConnection connection(std::move(socket), [this](const std::string& head) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    heads_.push_back(head);
                });
                script_(index, connection);
            });
        }
        for (std::thread& worker : workers)
            worker.join();
    }

    Script script_;
    platform::Socket listener_;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    std::thread thread_;
};

// Test file contents: byte i is (i * 7 + i / 251) % 256, the same pattern the
// peer fixture writes for nginx.
inline std::string PatternBytes(size_t size, size_t from = 0) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        const size_t k = from + i;
        out[i] = static_cast<char>((k * 7 + k / 251) % 256);
    }
    return out;
}

}  // namespace vt::test
