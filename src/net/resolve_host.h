// IPv4 name resolution and connecting by host name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/socket.h"

namespace vt::net {

// IPv4 address of name in network byte order (a dotted quad converts
// directly), or platform::kNoAddress with the last socket error
// kSocketHostNotFound. Names go to the host resolver: the system's
// (platform::LookupHostIPv4) unless a test has set its own.
uint32_t ResolveHost(const std::string& name);

// The seam for tests: resolve answers for every name that is no dotted quad,
// in place of the system resolver, so no test depends on (or waits for) the
// machine's name service. An empty function brings the system's back.
using HostResolver = std::function<uint32_t(const std::string& name)>;
void SetHostResolver(HostResolver resolve);

// Resolves host and connects with TimedConnect; false (last socket error
// set) when either fails.
bool ConnectToHost(platform::Socket& socket, const std::string& host, uint16_t port, int timeoutMs);

}  // namespace vt::net
