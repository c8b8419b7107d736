// The WinSock interface, for socket_native.h.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

namespace vt::platform {
using NativeSocket = SOCKET;
using AddressLength = int;
}  // namespace vt::platform
