// WinSock 2 sockets in overlapped mode; every wait is an event wait with a
// limit (WSAEventSelect + WSAWaitForMultipleEvents).
#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

namespace vt::platform {

namespace {

void StoreWsaError() {
    const int error = WSAGetLastError();
    SetLastSocketError(error != 0 ? error : kSocketOtherError);
}

void StartWinSock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

SOCKET Raw(const Socket& socket) {
    return static_cast<SOCKET>(socket.Handle());
}

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
        StoreWsaError();
        return false;
    }
    if (WSAEnumNetworkEvents(socket, handle, &events) != 0) {
        StoreWsaError();
        return false;
    }
    return true;
}

}  // namespace

void Socket::Close() {
    if (handle_ != -1) {
        closesocket(static_cast<SOCKET>(handle_));
        handle_ = -1;
    }
}

Socket CreateTcpSocket() {
    StartWinSock();
    const SOCKET raw =
        WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (raw == INVALID_SOCKET) {
        StoreWsaError();
        return Socket();
    }
    Socket socket(static_cast<intptr_t>(raw));
    // Non-blocking from the start, so every call can try before it waits.
    u_long nonBlocking = 1;
    if (ioctlsocket(raw, FIONBIO, &nonBlocking) != 0) {
        StoreWsaError();
        return Socket();
    }
    const BOOL on = TRUE;
    if (setsockopt(raw, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on) !=
        0) {
        StoreWsaError();
        return Socket();
    }
    return socket;
}

uint32_t ParseDottedQuad(const std::string& text) {
    StartWinSock();
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1)
        return kNoAddress;
    return address.s_addr;
}

uint32_t LookupHostIPv4(const std::string& name) {
    StartWinSock();
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
    Event event;
    if (!event.IsValid()) {
        StoreWsaError();
        return -1;
    }
    EventSelection selection(Raw(socket), event, FD_CONNECT);
    if (!selection.ok()) {
        StoreWsaError();
        return -1;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    if (WSAConnect(Raw(socket), reinterpret_cast<sockaddr*>(&target), sizeof target, nullptr,
                   nullptr, nullptr, nullptr) == 0) {
        return 0;
    }
    if (WSAGetLastError() != WSAEWOULDBLOCK) {
        StoreWsaError();
        return -1;
    }
    WSANETWORKEVENTS events{};
    if (!WaitEvents(Raw(socket), event, timeoutMs, events))
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
    Event event;
    if (!event.IsValid()) {
        StoreWsaError();
        return -1;
    }
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        WSABUF buffer{static_cast<ULONG>(length), static_cast<CHAR*>(const_cast<void*>(data))};
        DWORD sent = 0;
        if (WSASend(Raw(socket), &buffer, 1, &sent, 0, nullptr, nullptr) == 0) {
            return static_cast<int>(sent);
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            StoreWsaError();
            return -1;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            SetLastSocketError(kSocketTimedOut);
            return -1;
        }
        EventSelection selection(Raw(socket), event, FD_WRITE | FD_CLOSE);
        if (!selection.ok()) {
            StoreWsaError();
            return -1;
        }
        WSANETWORKEVENTS events{};
        if (!WaitEvents(Raw(socket), event, static_cast<int>(deadline - now), events))
            return -1;
        if ((events.lNetworkEvents & FD_CLOSE) && !(events.lNetworkEvents & FD_WRITE)) {
            SetLastSocketError(events.iErrorCode[FD_CLOSE_BIT] ? events.iErrorCode[FD_CLOSE_BIT]
                                                               : kSocketConnectionReset);
            return -1;
        }
        if ((events.lNetworkEvents & FD_WRITE) && events.iErrorCode[FD_WRITE_BIT] != 0) {
            SetLastSocketError(events.iErrorCode[FD_WRITE_BIT]);
            return -1;
        }
    }
}

int TimedRecv(Socket& socket, void* buffer, size_t capacity, int timeoutMs) {
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(timeoutMs > 0 ? timeoutMs : 0);
    Event event;
    if (!event.IsValid()) {
        StoreWsaError();
        return -1;
    }
    for (;;) {
        // Receive first: buffered data or an earlier close (whose FD_CLOSE
        // is signalled only once) answer without a wait.
        WSABUF wsaBuffer{static_cast<ULONG>(capacity), static_cast<CHAR*>(buffer)};
        DWORD received = 0;
        DWORD flags = 0;
        if (WSARecv(Raw(socket), &wsaBuffer, 1, &received, &flags, nullptr, nullptr) == 0) {
            return static_cast<int>(received);
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            StoreWsaError();
            return -1;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            SetLastSocketError(kSocketTimedOut);
            return -1;
        }
        // Data and a close reported together still lead to a receive.
        EventSelection selection(Raw(socket), event, FD_READ | FD_CLOSE);
        if (!selection.ok()) {
            StoreWsaError();
            return -1;
        }
        WSANETWORKEVENTS events{};
        if (!WaitEvents(Raw(socket), event, static_cast<int>(deadline - now), events))
            return -1;
        const long got = events.lNetworkEvents;
        if ((got & FD_READ) && events.iErrorCode[FD_READ_BIT] != 0) {
            SetLastSocketError(events.iErrorCode[FD_READ_BIT]);
            return -1;
        }
        if ((got & FD_CLOSE) && !(got & FD_READ) && events.iErrorCode[FD_CLOSE_BIT] != 0) {
            SetLastSocketError(events.iErrorCode[FD_CLOSE_BIT]);
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
    int size = sizeof local;
    if (bind(Raw(socket), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(Raw(socket), kMaxListenBacklog) != 0 ||
        getsockname(Raw(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        StoreWsaError();
        return Socket();
    }
    boundPort = ntohs(local.sin_port);
    return socket;
}

Socket AcceptConnection(Socket& listener, int timeoutMs) {
    Event event;
    if (!event.IsValid()) {
        StoreWsaError();
        return Socket();
    }
    {
        EventSelection selection(Raw(listener), event, FD_ACCEPT);
        if (!selection.ok()) {
            StoreWsaError();
            return Socket();
        }
        WSANETWORKEVENTS events{};
        if (!WaitEvents(Raw(listener), event, timeoutMs, events))
            return Socket();
    }
    const SOCKET raw = accept(Raw(listener), nullptr, nullptr);
    if (raw == INVALID_SOCKET) {
        StoreWsaError();
        return Socket();
    }
    Socket accepted(static_cast<intptr_t>(raw));
    u_long nonBlocking = 1;
    if (ioctlsocket(raw, FIONBIO, &nonBlocking) != 0) {
        StoreWsaError();
        return Socket();
    }
    return accepted;
}

}  // namespace vt::platform
