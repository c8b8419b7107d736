#include "net/resolve_host.h"

#include <mutex>

namespace vt::net {

namespace {

std::mutex resolverMutex;
HostResolver resolver;  // empty: the system's

}  // namespace

void SetHostResolver(HostResolver resolve) {
    std::lock_guard<std::mutex> lock(resolverMutex);
    resolver = std::move(resolve);
}

uint32_t ResolveHost(const std::string& name) {
    const uint32_t address = platform::ParseDottedQuad(name);
    if (address != platform::kNoAddress)
        return address;
    HostResolver resolve;
    {
        std::lock_guard<std::mutex> lock(resolverMutex);
        resolve = resolver;
    }
    const uint32_t found = resolve ? resolve(name) : platform::LookupHostIPv4(name);
    if (found == platform::kNoAddress)
        platform::SetLastSocketError(platform::kSocketHostNotFound);
    return found;
}

bool ConnectToHost(platform::Socket& socket, const std::string& host, uint16_t port,
                   int timeoutMs) {
    const uint32_t address = ResolveHost(host);
    return address != platform::kNoAddress &&
           platform::TimedConnect(socket, address, port, timeoutMs) == 0;
}

}  // namespace vt::net
