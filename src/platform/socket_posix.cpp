// POSIX sockets: non-blocking descriptors with poll() for every wait; errno
// values are stored as their WinSock numbers.
#include "platform/socket.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/socket_native.h"

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

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

Clock::time_point DeadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
}

// Waits for events on fd until deadline; false with the last socket error
// set (10060 on time-out).
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int n = poll(&entry, 1, RemainingMs(deadline));
        if (n > 0)
            return true;
        if (n == 0) {
            SetLastSocketError(kSocketTimedOut);
            return false;
        }
        if (errno != EINTR) {
            StoreSocketError();
            return false;
        }
    }
}

// Makes the non-blocking call until it stops saying that it would block,
// waiting up to timeoutMs in all for events on fd between tries. Its
// result (>= 0), or -1 with the last socket error set (10060 on time-out).
template <typename Call>
auto WhenReady(int fd, short events, int timeoutMs, Call call) -> decltype(call()) {
    const auto deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        const auto result = call();
        if (result >= 0)
            return result;
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            StoreSocketError();
            return -1;
        }
        if (!WaitFor(fd, events, deadline))
            return -1;
    }
}

}  // namespace

void StartSockets() {}

void StoreSocketError() {
    SetLastSocketError(WinSockNumber(errno));
}

void Socket::Close() {
    if (handle_ != -1) {
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

Socket CreateTcpSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        StoreSocketError();
        return Socket();
    }
    Socket socket(fd);
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        StoreSocketError();
        return Socket();
    }
    return socket;
}

int TimedConnect(Socket& socket, uint32_t address, uint16_t port, int timeoutMs) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (::connect(Native(socket), reinterpret_cast<sockaddr*>(&target), sizeof target) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR) {
        StoreSocketError();
        return -1;
    }
    if (!WaitFor(Native(socket), POLLOUT, DeadlineAfter(timeoutMs)))
        return -1;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(Native(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        StoreSocketError();
        return -1;
    }
    if (error != 0) {
        SetLastSocketError(WinSockNumber(error));
        return -1;
    }
    return 0;
}

int TimedSend(Socket& socket, const void* data, size_t length, int timeoutMs) {
    const ssize_t sent = WhenReady(Native(socket), POLLOUT, timeoutMs, [&] {
        return ::send(Native(socket), data, length, MSG_NOSIGNAL);
    });
    return static_cast<int>(sent);
}

int TimedRecv(Socket& socket, void* buffer, size_t capacity, int timeoutMs) {
    // Tries first: a full socket buffer needs no wait at all.
    const ssize_t got = WhenReady(Native(socket), POLLIN, timeoutMs,
                                  [&] { return ::recv(Native(socket), buffer, capacity, 0); });
    return static_cast<int>(got);
}

Socket AcceptConnection(Socket& listener, int timeoutMs) {
    const int fd = WhenReady(Native(listener), POLLIN, timeoutMs, [&] {
        return ::accept4(Native(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    });
    return fd >= 0 ? Socket(fd) : Socket();
}

}  // namespace vt::platform
