// POSIX sockets: non-blocking descriptors with poll() for every wait; errno
// values are stored as their WinSock numbers.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace vt::platform {

namespace {

int WinSockNumber(int error) {
    switch (error) {
        case 0:
            return kSocketOk;
        case EINTR:
            return kSocketInterrupted;
        case EINVAL:
            return kSocketInvalidArgument;
        case EAGAIN:
            return kSocketWouldBlock;
        case EINPROGRESS:
            return kSocketWouldBlock;
        case ENOTSOCK:
            return kSocketNotSocket;
        case EBADF:
            return kSocketNotSocket;
        case EADDRINUSE:
            return kSocketAddressInUse;
        case ENETDOWN:
            return kSocketNetworkDown;
        case ENETUNREACH:
            return kSocketNetworkUnreachable;
        case ECONNABORTED:
            return kSocketConnectionAborted;
        case ECONNRESET:
            return kSocketConnectionReset;
        case EPIPE:
            return kSocketConnectionReset;
        case ENOBUFS:
            return kSocketNoBuffers;
        case ENOMEM:
            return kSocketNoBuffers;
        case ENOTCONN:
            return kSocketNotConnected;
        case ESHUTDOWN:
            return kSocketShutDown;
        case ETIMEDOUT:
            return kSocketTimedOut;
        case ECONNREFUSED:
            return kSocketConnectionRefused;
        case EHOSTUNREACH:
            return kSocketHostUnreachable;
        default:
            return kSocketOtherError;
    }
}

void StoreErrno() {
    SetLastSocketError(WinSockNumber(errno));
}

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until deadline: 1 ready, 0 timed out, -1 failed.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int n = poll(&entry, 1, RemainingMs(deadline));
        if (n > 0)
            return 1;
        if (n == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

Clock::time_point DeadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
}

int Fd(const Socket& socket) {
    return static_cast<int>(socket.Handle());
}

}  // namespace

void Socket::Close() {
    if (handle_ != -1) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

Socket CreateTcpSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        StoreErrno();
        return Socket();
    }
    Socket socket(fd);
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        StoreErrno();
        return Socket();
    }
    return socket;
}

uint32_t ParseDottedQuad(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1)
        return kNoAddress;
    return address.s_addr;
}

uint32_t LookupHostIPv4(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) {
        SetLastSocketError(kSocketHostNotFound);
        return kNoAddress;
    }
    const uint32_t address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address;
}

int TimedConnect(Socket& socket, uint32_t address, uint16_t port, int timeoutMs) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (::connect(Fd(socket), reinterpret_cast<sockaddr*>(&target), sizeof target) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR) {
        StoreErrno();
        return -1;
    }
    const int ready = WaitFor(Fd(socket), POLLOUT, DeadlineAfter(timeoutMs));
    if (ready <= 0) {
        if (ready == 0)
            SetLastSocketError(kSocketTimedOut);
        else
            StoreErrno();
        return -1;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(Fd(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        StoreErrno();
        return -1;
    }
    if (error != 0) {
        SetLastSocketError(WinSockNumber(error));
        return -1;
    }
    return 0;
}

int TimedSend(Socket& socket, const void* data, size_t length, int timeoutMs) {
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        const ssize_t sent = ::send(Fd(socket), data, length, MSG_NOSIGNAL);
        if (sent >= 0)
            return static_cast<int>(sent);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            StoreErrno();
            return -1;
        }
        const int ready = WaitFor(Fd(socket), POLLOUT, deadline);
        if (ready == 0) {
            SetLastSocketError(kSocketTimedOut);
            return -1;
        }
        if (ready < 0) {
            StoreErrno();
            return -1;
        }
    }
}

int TimedRecv(Socket& socket, void* buffer, size_t capacity, int timeoutMs) {
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        // Try first: a full socket buffer needs no wait at all.
        const ssize_t got = ::recv(Fd(socket), buffer, capacity, 0);
        if (got >= 0)
            return static_cast<int>(got);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            StoreErrno();
            return -1;
        }
        const int ready = WaitFor(Fd(socket), POLLIN, deadline);
        if (ready == 0) {
            SetLastSocketError(kSocketTimedOut);
            return -1;
        }
        if (ready < 0) {
            StoreErrno();
            return -1;
        }
    }
}

Socket ListenLoopback(uint16_t port, uint16_t& boundPort) {
    Socket socket = CreateTcpSocket();
    if (!socket.IsValid())
        return socket;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof local;
    if (::bind(Fd(socket), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(Fd(socket), kMaxListenBacklog) != 0 ||
        getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        StoreErrno();
        return Socket();
    }
    boundPort = ntohs(local.sin_port);
    return socket;
}

Socket AcceptConnection(Socket& listener, int timeoutMs) {
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        const int fd = ::accept4(Fd(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            return Socket(fd);
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            StoreErrno();
            return Socket();
        }
        const int ready = WaitFor(Fd(listener), POLLIN, deadline);
        if (ready <= 0) {
            SetLastSocketError(ready == 0 ? kSocketTimedOut : WinSockNumber(errno));
            return Socket();
        }
    }
}

}  // namespace vt::platform
