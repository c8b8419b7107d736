#include "net/resolve_host.h"

namespace vt {

uint32_t ResolveHost(const std::string& name, bool /*threaded*/) {
    const uint32_t address = platform::ParseDottedQuad(name);
    if (address != platform::kNoAddress)
        return address;
    return platform::LookupHostIPv4(name);
}

int ConnectToHost(platform::Socket& socket, const std::string& host, uint16_t port, int timeoutMs) {
    const uint32_t address = ResolveHost(host);
    if (address == platform::kNoAddress) {
        if (platform::LastSocketError() == 0)
            platform::SetLastSocketError(platform::kSocketHostNotFound);
        return -1;
    }
    return platform::TimedConnect(socket, address, port, timeoutMs);
}

}  // namespace vt
