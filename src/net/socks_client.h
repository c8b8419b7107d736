// Client side of the SOCKS4, SOCKS4a and SOCKS5 handshakes (SOCKS5 with the
// user/password method of RFC 1929), run over a connected socket and its
// receive ring.
#pragma once

#include <cstdint>
#include <string>

#include "net/recv_ring.h"
#include "platform/socket.h"

namespace vt::net {

constexpr uint8_t kSocksConnect = 1;
constexpr uint8_t kSocks5AddressIPv4 = 1;
constexpr uint8_t kSocks5AddressName = 3;
constexpr uint8_t kSocks5AddressIPv6 = 4;

// Request messages, byte for byte. Ports are in host order, IPv4 addresses in
// network order. The SOCKS5 builders fail (empty) when a length does not fit
// its byte.
std::string Socks4ConnectMessage(uint8_t command, uint16_t port, uint32_t address,
                                 const std::string& userId);
std::string Socks4aConnectMessage(uint8_t command, uint16_t port, const std::string& host,
                                  const std::string& userId);
std::string Socks5GreetingMessage(const std::string& methods);
std::string Socks5UserPasswordMessage(const std::string& user, const std::string& password);
// address: 4 bytes (type 1), the name (type 3; its length byte is added) or
// 16 bytes (type 4).
std::string Socks5RequestMessage(uint8_t command, uint8_t addressType, const std::string& address,
                                 uint16_t port);

// Sends a whole message; false unless every byte went out.
bool SendSocksMessage(platform::Socket& socket, const std::string& message, int timeoutMs);

enum class ProxyReplyKind { kSocks4, kSocks5Method, kSocks5Status, kSocks5Reply };

// A reply as read; only code is examined by the handshakes.
struct ProxyReply {
    uint8_t version = 0;
    uint8_t code = 0;  // reply code, chosen method or status, by kind
    uint8_t addressType = 0;
    std::string address;  // bound address bytes
    uint16_t port = 0;    // host order
};

// Reads one reply of the kind byte by byte; false when the stream ended
// first (or a SOCKS5 reply names an unknown address type).
bool ReadProxyReply(RecvRing& ring, ProxyReply& reply, ProxyReplyKind kind, int timeoutMs);
bool CheckProxyReply(const ProxyReply& reply, ProxyReplyKind kind);

// What a handshake needs to know.
struct SocksRequest {
    std::string host;  // target host name or dotted quad
    uint16_t port = 80;
    std::string user;  // SOCKS4 user id; SOCKS5 user
    std::string password;
    bool authEnabled = false;  // SOCKS5: offer user/password
    int sendTimeoutMs = 10000;
    int receiveTimeoutMs = 10000;
};

// Handshake results: connected, failed (retryable), or the proxy chose a
// method this client cannot use.
enum SocksResult { kSocksConnected, kSocksFailed, kSocksUnusable };

// SOCKS4 (allowName false: the host must resolve) or SOCKS4a (allowName: an
// unresolvable host is sent by name).
SocksResult Socks4Handshake(platform::Socket& socket, RecvRing& ring, const SocksRequest& request,
                            bool allowName);
SocksResult Socks5Handshake(platform::Socket& socket, RecvRing& ring, const SocksRequest& request);

}  // namespace vt::net
