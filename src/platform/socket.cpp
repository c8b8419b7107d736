#include "platform/socket.h"

namespace vt::platform {

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
