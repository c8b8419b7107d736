// IPv4 name resolution and connecting by host name.
#pragma once

#include <cstdint>
#include <string>

#include "platform/socket.h"

namespace vt {

// IPv4 address of name in network byte order (a dotted quad converts
// directly), or platform::kNoAddress. The lookup runs on the calling thread
// whatever `threaded` says: the platform's resolver is thread-safe, so a
// helper thread would only add a wait.
uint32_t ResolveHost(const std::string& name, bool threaded = true);

// Resolves host and connects with TimedConnect. 0 connected, -1 failed (last
// socket error set).
int ConnectToHost(platform::Socket& socket, const std::string& host, uint16_t port, int timeoutMs);

}  // namespace vt
