// The socket files' own view of a socket: the system's socket interface
// (socket_system.h of src/platform/posix or src/platform/win32, whichever
// the build picks) and the helpers every system provides. Included only by
// socket.cpp, socket_posix.cpp and socket_win32.cpp.
#pragma once

#include "platform/socket.h"
#include "socket_system.h"

namespace vt::platform {

inline NativeSocket Native(const Socket& socket) {
    return static_cast<NativeSocket>(socket.Handle());
}
// Makes the socket library ready: WinSock starts once; nothing on POSIX.
void StartSockets();
// Stores the error of the socket call that just failed as the last socket
// error, a WinSock number.
void StoreSocketError();

}  // namespace vt::platform
