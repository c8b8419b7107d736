// Timed IPv4 TCP sockets. Every wait has a limit in milliseconds; failures
// are reported by the result and by one process-wide last socket error that
// carries WinSock numbers on every platform (10060 timed out, 10035 would
// block, ...), so callers compare against the constants below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vt::platform {

// WinSock error numbers as stored in the last socket error.
enum SocketError : int {
    kSocketOk = 0,
    kSocketInterrupted = 10004,
    kSocketInvalidArgument = 10022,
    kSocketWouldBlock = 10035,
    kSocketNotSocket = 10038,
    kSocketAddressInUse = 10048,
    kSocketNetworkDown = 10050,
    kSocketNetworkUnreachable = 10051,
    kSocketConnectionAborted = 10053,
    kSocketConnectionReset = 10054,
    kSocketNoBuffers = 10055,
    kSocketNotConnected = 10057,
    kSocketShutDown = 10058,
    kSocketTimedOut = 10060,
    kSocketConnectionRefused = 10061,
    kSocketHostUnreachable = 10065,
    kSocketHostNotFound = 11001,
    kSocketOtherError = 10000,
};

int LastSocketError();
void SetLastSocketError(int error);

// The all-ones address that means "no address".
constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// An IPv4 stream socket; closes itself at once (no graceful shutdown).
// Move-only.
class Socket {
  public:
    Socket() = default;
    explicit Socket(intptr_t handle) : handle_(handle) {}
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool IsValid() const { return handle_ != -1; }
    intptr_t Handle() const { return handle_; }
    void Close();

  private:
    intptr_t handle_ = -1;
};

// A fresh IPv4 stream socket with address reuse on, ready for the timed
// calls below; invalid on failure (last socket error set).
Socket CreateTcpSocket();

// "a.b.c.d" to an address in network byte order, or kNoAddress.
uint32_t ParseDottedQuad(const std::string& text);
// First IPv4 address of a host name, in network byte order, or kNoAddress
// (last socket error set).
uint32_t LookupHostIPv4(const std::string& name);

// Connects to address:port (network order address, host order port) waiting
// at most timeoutMs. 0 connected, -1 failed.
int TimedConnect(Socket& socket, uint32_t address, uint16_t port, int timeoutMs);
// Sends once what the socket accepts, waiting at most timeoutMs for room.
// Bytes sent, or -1 (time-out: kSocketTimedOut).
int TimedSend(Socket& socket, const void* data, size_t length, int timeoutMs);
// Receives what has arrived, waiting at most timeoutMs for the first byte.
// Bytes received, 0 when the peer closed, -1 on failure or time-out.
int TimedRecv(Socket& socket, void* buffer, size_t capacity, int timeoutMs);
// Repeats TimedSend until everything is sent or one call fails; the total sent.
size_t SendAll(Socket& socket, const void* data, size_t length, int timeoutMs);

// The backlog that asks listen() for the longest queue of pending connections
// the system allows: Linux and the BSDs cut it to their limit (on Linux
// net.core.somaxconn), and for WinSock it is SOMAXCONN, "the most it can".
// A short queue makes a burst of connections wait for SYN retransmits.
constexpr int kMaxListenBacklog = 0x7fffffff;

// A listening socket on 127.0.0.1 with the longest backlog the system allows;
// port 0 picks a free one. For loopback servers in tests and tools. Invalid
// on failure.
Socket ListenLoopback(uint16_t port, uint16_t& boundPort);
// Waits at most timeoutMs for one connection; invalid on time-out or failure.
Socket AcceptConnection(Socket& listener, int timeoutMs);

}  // namespace vt::platform
