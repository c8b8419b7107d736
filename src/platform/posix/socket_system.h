// The POSIX socket interface, for socket_native.h.
#pragma once

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace vt::platform {
using NativeSocket = int;
using AddressLength = socklen_t;
}  // namespace vt::platform
