// The socket calls that are the same on every system, over the system's
// own interface (socket_system.h); the waits live in socket_posix.cpp and
// socket_win32.cpp.
#include "platform/socket.h"

#include <atomic>

#include "platform/socket_native.h"

namespace vt::platform {

namespace {
std::atomic<int> lastError{0};
}  // namespace

int LastSocketError() {
    return lastError;
}
void SetLastSocketError(int error) {
    lastError = error;
}

Socket::~Socket() {
    Close();
}

Socket::Socket(Socket&& other) noexcept : handle_(other.handle_) {
    other.handle_ = -1;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = -1;
    }
    return *this;
}

uint32_t ParseDottedQuad(const std::string& text) {
    StartSockets();
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1)
        return kNoAddress;
    return address.s_addr;
}

uint32_t LookupHostIPv4(const std::string& name) {
    StartSockets();
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

Socket ListenLoopback(uint16_t port, uint16_t& boundPort) {
    Socket socket = CreateTcpSocket();
    if (!socket.IsValid())
        return socket;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    AddressLength size = sizeof local;
    if (bind(Native(socket), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(Native(socket), kMaxListenBacklog) != 0 ||
        getsockname(Native(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        StoreSocketError();
        return Socket();
    }
    boundPort = ntohs(local.sin_port);
    return socket;
}

size_t SendAll(Socket& socket, const void* data, size_t length, int timeoutMs) {
    const char* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < length) {
        const int n = TimedSend(socket, bytes + sent, length - sent, timeoutMs);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    return sent;
}

}  // namespace vt::platform
