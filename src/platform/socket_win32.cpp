// WinSock 2 sockets in overlapped mode; every wait is an event wait with a
// limit (WSAEventSelect + WSAWaitForMultipleEvents).
#include "platform/socket.h"

#include <mutex>

#include "platform/socket_native.h"

namespace vt::platform {

namespace {

// An auto-reset WSA event that closes itself.
class Event {
  public:
    Event() : handle_(WSACreateEvent()) {}
    ~Event() {
        if (handle_ != WSA_INVALID_EVENT)
            WSACloseEvent(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    bool IsValid() const { return handle_ != WSA_INVALID_EVENT; }
    WSAEVENT Handle() const { return handle_; }

  private:
    WSAEVENT handle_;
};

// Associates the event with the socket for the given events and removes the
// association (empty mask) when it goes out of scope.
class EventSelection {
  public:
    EventSelection(SOCKET socket, const Event& event, long events)
        : socket_(socket), event_(event.Handle()) {
        ok_ = WSAEventSelect(socket, event_, events) == 0;
    }
    ~EventSelection() { WSAEventSelect(socket_, event_, 0); }
    EventSelection(const EventSelection&) = delete;
    EventSelection& operator=(const EventSelection&) = delete;
    bool ok() const { return ok_; }

  private:
    SOCKET socket_;
    WSAEVENT event_;
    bool ok_ = false;
};

// Waits for the event and reads the network events: true when something was
// signalled in time (events filled), false on time-out (10060) or failure.
bool WaitEvents(SOCKET socket, const Event& event, int timeoutMs, WSANETWORKEVENTS& events) {
    WSAEVENT handle = event.Handle();
    const DWORD wait = WSAWaitForMultipleEvents(
        1, &handle, FALSE, static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 0), TRUE);
    if (wait == WSA_WAIT_TIMEOUT) {
        SetLastSocketError(kSocketTimedOut);
        return false;
    }
    if (wait != WSA_WAIT_EVENT_0) {
        StoreSocketError();
        return false;
    }
    if (WSAEnumNetworkEvents(socket, handle, &events) != 0) {
        StoreSocketError();
        return false;
    }
    return true;
}

// Makes the non-blocking call (a result >= 0, or -1 with the WinSock error
// set) until it stops failing with WSAEWOULDBLOCK, waiting up to timeoutMs
// in all for the network events of mask between tries. refused(events) says
// whether the events that came end the wait in failure, with the last
// socket error set. The call's result, or -1 with the last socket error set
// (10060 on time-out).
template <typename Call, typename Refused>
auto WhenReady(SOCKET socket, long mask, int timeoutMs, Call call, Refused refused)
    -> decltype(call()) {
    Event event;
    if (!event.IsValid()) {
        StoreSocketError();
        return -1;
    }
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        const auto result = call();
        if (result >= 0)
            return result;
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            StoreSocketError();
            return -1;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            SetLastSocketError(kSocketTimedOut);
            return -1;
        }
        EventSelection selection(socket, event, mask);
        if (!selection.ok()) {
            StoreSocketError();
            return -1;
        }
        WSANETWORKEVENTS events{};
        if (!WaitEvents(socket, event, static_cast<int>(deadline - now), events) || refused(events))
            return -1;
    }
}

// The error a network event carries, as the last socket error; false when
// it carries none.
bool EventError(const WSANETWORKEVENTS& events, int bit) {
    if (events.iErrorCode[bit] == 0)
        return false;
    SetLastSocketError(events.iErrorCode[bit]);
    return true;
}

}  // namespace

void StartSockets() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

void StoreSocketError() {
    const int error = WSAGetLastError();
    SetLastSocketError(error != 0 ? error : kSocketOtherError);
}

void Socket::Close() {
    if (handle_ != -1) {
        closesocket(static_cast<SOCKET>(handle_));
        handle_ = -1;
    }
}

Socket CreateTcpSocket() {
    StartSockets();
    const SOCKET raw =
        WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (raw == INVALID_SOCKET) {
        StoreSocketError();
        return Socket();
    }
    Socket socket(static_cast<intptr_t>(raw));
    // Non-blocking from the start, so every call can try before it waits.
    u_long nonBlocking = 1;
    if (ioctlsocket(raw, FIONBIO, &nonBlocking) != 0) {
        StoreSocketError();
        return Socket();
    }
    const BOOL on = TRUE;
    if (setsockopt(raw, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on) !=
        0) {
        StoreSocketError();
        return Socket();
    }
    return socket;
}

int TimedConnect(Socket& socket, uint32_t address, uint16_t port, int timeoutMs) {
    Event event;
    if (!event.IsValid()) {
        StoreSocketError();
        return -1;
    }
    EventSelection selection(Native(socket), event, FD_CONNECT);
    if (!selection.ok()) {
        StoreSocketError();
        return -1;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (WSAConnect(Native(socket), reinterpret_cast<sockaddr*>(&target), sizeof target, nullptr,
                   nullptr, nullptr, nullptr) == 0) {
        return 0;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        StoreSocketError();
        return -1;
    }
    WSANETWORKEVENTS events{};
    if (!WaitEvents(Native(socket), event, timeoutMs, events))
        return -1;
    if (!(events.lNetworkEvents & FD_CONNECT)) {
        SetLastSocketError(kSocketOtherError);
        return -1;
    }
    const int error = events.iErrorCode[FD_CONNECT_BIT];
    if (error != 0) {
        SetLastSocketError(error);
        return -1;
    }
    return 0;
}

int TimedSend(Socket& socket, const void* data, size_t length, int timeoutMs) {
    const auto send = [&] {
        WSABUF buffer{static_cast<ULONG>(length), static_cast<CHAR*>(const_cast<void*>(data))};
        DWORD sent = 0;
        return WSASend(Native(socket), &buffer, 1, &sent, 0, nullptr, nullptr) == 0
                   ? static_cast<int>(sent)
                   : -1;
    };
    const auto refused = [](const WSANETWORKEVENTS& events) {
        const long got = events.lNetworkEvents;
        if ((got & FD_CLOSE) && !(got & FD_WRITE)) {
            if (!EventError(events, FD_CLOSE_BIT))
                SetLastSocketError(kSocketConnectionReset);
            return true;
        }
        return (got & FD_WRITE) && EventError(events, FD_WRITE_BIT);
    };
    return WhenReady(Native(socket), FD_WRITE | FD_CLOSE, timeoutMs, send, refused);
}

int TimedRecv(Socket& socket, void* buffer, size_t capacity, int timeoutMs) {
    // Receives first: buffered data or an earlier close (whose FD_CLOSE is
    // signalled only once) answer without a wait.
    const auto receive = [&] {
        WSABUF wsaBuffer{static_cast<ULONG>(capacity), static_cast<CHAR*>(buffer)};
        DWORD received = 0;
        DWORD flags = 0;
        return WSARecv(Native(socket), &wsaBuffer, 1, &received, &flags, nullptr, nullptr) == 0
                   ? static_cast<int>(received)
                   : -1;
    };
    // Data and a close reported together still lead to a receive.
    const auto refused = [](const WSANETWORKEVENTS& events) {
        const long got = events.lNetworkEvents;
        return ((got & FD_READ) && EventError(events, FD_READ_BIT)) ||
               ((got & FD_CLOSE) && !(got & FD_READ) && EventError(events, FD_CLOSE_BIT));
    };
    return WhenReady(Native(socket), FD_READ | FD_CLOSE, timeoutMs, receive, refused);
}

Socket AcceptConnection(Socket& listener, int timeoutMs) {
    const auto accept = [&]() -> intptr_t {
        const SOCKET raw = ::accept(Native(listener), nullptr, nullptr);
        return raw == INVALID_SOCKET ? -1 : static_cast<intptr_t>(raw);
    };
    const auto refused = [](const WSANETWORKEVENTS& events) {
        return (events.lNetworkEvents & FD_ACCEPT) && EventError(events, FD_ACCEPT_BIT);
    };
    const intptr_t raw = WhenReady(Native(listener), FD_ACCEPT, timeoutMs, accept, refused);
    if (raw < 0)
        return Socket();
    Socket accepted(raw);
    u_long nonBlocking = 1;
    if (ioctlsocket(Native(accepted), FIONBIO, &nonBlocking) != 0) {
        StoreSocketError();
        return Socket();
    }
    return accepted;
}

}  // namespace vt::platform
