#include "platform/socket.h"

#include <atomic>

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
