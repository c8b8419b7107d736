// A raw HTTP client for tests that play hostile clients: it sends exactly the
// bytes it is given, as slowly or as much as the test wants, and reads
// whatever comes back without trusting it. Native (POSIX) only, like the
// server.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vt::test {

class RawClient {
  public:
    // Connects to 127.0.0.1:port, from the loopback address from when given
    // (another address of 127.0.0.0/8 is another client to the server).
    explicit RawClient(int port, const char* from = nullptr) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        // A small send buffer keeps "bytes sent" close to "bytes the server took".
        const int buffer = 64 * 1024;
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
        if (from) {
            sockaddr_in source{};
            source.sin_family = AF_INET;
            ::inet_pton(AF_INET, from, &source.sin_addr);
            ::bind(fd_, reinterpret_cast<sockaddr*>(&source), sizeof source);
        }
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(static_cast<uint16_t>(port));
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ =
            fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    }
    ~RawClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    bool closed() const { return closed_; }
    const std::string& received() const { return received_; }
    int64_t sent() const { return sent_; }

    // Sends data, waiting at most waitMs each time the server takes nothing;
    // false when it stopped taking bytes or the connection is gone.
    bool Send(std::string_view data, int waitMs = 5000) {
        while (!data.empty()) {
            pollfd p{fd_, POLLOUT, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                return false;
            const ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return false;
            sent_ += n;
            data.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }

    // Waits at most waitMs for bytes and keeps them (at most keep bytes in
    // all; more are counted and dropped). False once the server closed.
    bool Receive(int waitMs, size_t keep = 1 << 20) {
        if (closed_)
            return false;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0)
            return true;
        char buffer[64 * 1024];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return true;
        if (n <= 0) {
            closed_ = true;
            return false;
        }
        dropped_ += n;
        const size_t room = keep > received_.size() ? keep - received_.size() : 0;
        const size_t kept = std::min(room, static_cast<size_t>(n));
        received_.append(buffer, kept);
        dropped_ -= static_cast<int64_t>(kept);
        return true;
    }

    // Reads until a whole answer head is there; its status, or 0 when none
    // came within waitMs.
    int ReadStatus(int waitMs = 10000) {
        for (int waited = 0; received_.find("\r\n\r\n") == std::string::npos; waited += 50) {
            if (waited >= waitMs || !Receive(50))
                break;
        }
        if (received_.find("\r\n\r\n") == std::string::npos ||
            received_.compare(0, 9, "HTTP/1.1 ") != 0)
            return 0;
        return std::atoi(received_.substr(9, 3).c_str());
    }

    // A header of the answer head read by ReadStatus (name as sent), or "".
    std::string Header(const std::string& name) const {
        const size_t end = received_.find("\r\n\r\n");
        const size_t at = received_.find("\r\n" + name + ": ");
        if (at == std::string::npos || at > end)
            return "";
        const size_t start = at + name.size() + 4;
        return received_.substr(start, received_.find("\r\n", start) - start);
    }

    // Body bytes after the head that arrived within waitMs, reading until
    // want bytes arrived or the server closed or went quiet.
    int64_t ReadBody(int64_t want, int waitMs = 10000) {
        const size_t end = received_.find("\r\n\r\n");
        if (end == std::string::npos)
            return 0;
        const auto body = [&] {
            return static_cast<int64_t>(received_.size() - end - 4) + dropped_;
        };
        for (int quiet = 0; body() < want && quiet < waitMs && !closed_; quiet += 50) {
            const int64_t before = body();
            if (!Receive(50, end + 4 + 4096))
                break;
            if (body() != before)
                quiet = 0;
        }
        return body();
    }

    // Sends the pieces next() gives until the server answers, stops taking
    // bytes, or limit bytes were sent; true when an answer began.
    bool StreamUntilAnswered(const std::function<std::string()>& next, int64_t limit) {
        while (sent_ < limit) {
            if (!Send(next(), 2000))
                break;
            Receive(0);
            if (!received_.empty() || closed_)
                break;
        }
        Receive(2000);
        return !received_.empty();
    }

  private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
    int64_t dropped_ = 0;
    int64_t sent_ = 0;
};

}  // namespace vt::test
