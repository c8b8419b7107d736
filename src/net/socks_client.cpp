#include "net/socks_client.h"

#include <cstring>

#include "net/resolve_host.h"

namespace vt::net {

namespace {

void AppendPort(std::string& out, uint16_t port) {
    out += static_cast<char>(port >> 8);
    out += static_cast<char>(port & 0xFF);
}

void AppendAddress(std::string& out, uint32_t address) {
    char bytes[4];
    std::memcpy(bytes, &address, 4);  // already in network order
    out.append(bytes, 4);
}

// Appends `count` bytes read from the ring; false when it ended first.
bool ReadInto(RecvRing& ring, std::string& out, int count, int timeoutMs) {
    for (int i = 0; i < count; ++i) {
        const int byte = ReadByte(ring, timeoutMs);
        if (byte == kEndOfData)
            return false;
        out += static_cast<char>(byte);
    }
    return true;
}

uint8_t Byte(const std::string& text, size_t i) {
    return static_cast<uint8_t>(text[i]);
}

// Sends message, reads the reply of kind and checks it.
bool Exchange(platform::Socket& socket, RecvRing& ring, const SocksRequest& request,
              const std::string& message, ProxyReplyKind kind, ProxyReply& reply) {
    return !message.empty() && SendSocksMessage(socket, message, request.sendTimeoutMs) &&
           ReadProxyReply(ring, reply, kind, request.receiveTimeoutMs) &&
           CheckProxyReply(reply, kind);
}

}  // namespace

std::string Socks4ConnectMessage(uint8_t command, uint16_t port, uint32_t address,
                                 const std::string& userId) {
    std::string out{'\x04', static_cast<char>(command)};
    AppendPort(out, port);
    AppendAddress(out, address);
    out += userId;
    out += '\0';
    return out;
}

std::string Socks4aConnectMessage(uint8_t command, uint16_t port, const std::string& host,
                                  const std::string& userId) {
    std::string out{'\x04', static_cast<char>(command)};
    AppendPort(out, port);
    out.append("\0\0\0\x01", 4);
    out += userId;
    out += '\0';
    out += host;
    out += '\0';
    return out;
}

std::string Socks5GreetingMessage(const std::string& methods) {
    if (methods.empty() || methods.size() > 255)
        return {};
    std::string out{'\x05', static_cast<char>(methods.size())};
    return out + methods;
}

std::string Socks5UserPasswordMessage(const std::string& user, const std::string& password) {
    if (user.size() > 255 || password.size() > 255)
        return {};
    std::string out{'\x01', static_cast<char>(user.size())};
    out += user;
    out += static_cast<char>(password.size());
    out += password;
    return out;
}

std::string Socks5RequestMessage(uint8_t command, uint8_t addressType, const std::string& address,
                                 uint16_t port) {
    std::string out{'\x05', static_cast<char>(command), '\0', static_cast<char>(addressType)};
    switch (addressType) {
        case kSocks5AddressIPv4:
            if (address.size() != 4)
                return {};
            out += address;
            break;
        case kSocks5AddressName:
            if (address.empty() || address.size() > 255)
                return {};
            out += static_cast<char>(address.size());
            out += address;
            break;
        case kSocks5AddressIPv6:
            if (address.size() != 16)
                return {};
            out += address;
            break;
        default:
            return {};
    }
    AppendPort(out, port);
    return out;
}

bool SendSocksMessage(platform::Socket& socket, const std::string& message, int timeoutMs) {
    return platform::SendAll(socket, message.data(), message.size(), timeoutMs) == message.size();
}

bool ReadProxyReply(RecvRing& ring, ProxyReply& reply, ProxyReplyKind kind, int timeoutMs) {
    reply = ProxyReply();
    std::string head;
    switch (kind) {
        case ProxyReplyKind::kSocks4:
            if (!ReadInto(ring, head, 8, timeoutMs))
                return false;
            reply.port = static_cast<uint16_t>(Byte(head, 2) << 8 | Byte(head, 3));
            reply.address = head.substr(4, 4);
            break;
        case ProxyReplyKind::kSocks5Method:
        case ProxyReplyKind::kSocks5Status:
            if (!ReadInto(ring, head, 2, timeoutMs))
                return false;
            break;
        case ProxyReplyKind::kSocks5Reply: {
            if (!ReadInto(ring, head, 4, timeoutMs))
                return false;
            reply.addressType = Byte(head, 3);
            if (Byte(head, 1) != 0)
                break;  // a refusal carries nothing we need
            int length = 0;
            if (reply.addressType == kSocks5AddressIPv4) {
                length = 4;
            } else if (reply.addressType == kSocks5AddressIPv6) {
                length = 16;
            } else if (reply.addressType == kSocks5AddressName) {
                const int byte = ReadByte(ring, timeoutMs);
                if (byte == kEndOfData)
                    return false;
                length = byte;
            } else {
                return false;  // unknown length: the stream cannot be followed
            }
            std::string port;
            if (!ReadInto(ring, reply.address, length, timeoutMs) ||
                !ReadInto(ring, port, 2, timeoutMs)) {
                return false;
            }
            reply.port = static_cast<uint16_t>(Byte(port, 0) << 8 | Byte(port, 1));
            break;
        }
    }
    reply.version = Byte(head, 0);
    reply.code = Byte(head, 1);
    return true;
}

bool CheckProxyReply(const ProxyReply& reply, ProxyReplyKind kind) {
    switch (kind) {
        case ProxyReplyKind::kSocks4:
            return reply.code == 90;
        case ProxyReplyKind::kSocks5Method:
            return reply.code <= 3;
        case ProxyReplyKind::kSocks5Status:
            return reply.code == 0;
        case ProxyReplyKind::kSocks5Reply:
            return reply.code == 0;
    }
    return false;
}

SocksResult Socks4Handshake(platform::Socket& socket, RecvRing& ring, const SocksRequest& request,
                            bool allowName) {
    enum class State { kResolve, kConnect, kDone, kFailed };
    State state = State::kResolve;
    std::string message;
    ProxyReply reply;
    for (;;) {
        switch (state) {
            case State::kResolve: {
                // SOCKS4a sends a name the client cannot resolve as it is.
                const uint32_t address = ResolveHost(request.host);
                if (address != platform::kNoAddress) {
                    message =
                        Socks4ConnectMessage(kSocksConnect, request.port, address, request.user);
                } else if (allowName) {
                    message = Socks4aConnectMessage(kSocksConnect, request.port, request.host,
                                                    request.user);
                }
                state = message.empty() ? State::kFailed : State::kConnect;
                break;
            }
            case State::kConnect:
                state = Exchange(socket, ring, request, message, ProxyReplyKind::kSocks4, reply)
                            ? State::kDone
                            : State::kFailed;
                break;
            case State::kDone:
                return kSocksConnected;
            case State::kFailed:
                return kSocksFailed;
        }
    }
}

SocksResult Socks5Handshake(platform::Socket& socket, RecvRing& ring, const SocksRequest& request) {
    enum class State {
        kGreeting,
        kChooseMethod,
        kUserPassword,
        kConnect,
        kDone,
        kFailed,
        kUnusable
    };
    State state = State::kGreeting;
    ProxyReply reply;
    for (;;) {
        switch (state) {
            case State::kGreeting: {
                const std::string methods =
                    request.authEnabled ? std::string("\0\2", 2) : std::string(1, '\0');
                state = Exchange(socket, ring, request, Socks5GreetingMessage(methods),
                                 ProxyReplyKind::kSocks5Method, reply)
                            ? State::kChooseMethod
                            : State::kFailed;
                break;
            }
            case State::kChooseMethod:
                state = reply.code == 0                          ? State::kConnect
                        : reply.code == 2 && request.authEnabled ? State::kUserPassword
                                                                 : State::kUnusable;
                break;
            case State::kUserPassword:
                state = Exchange(socket, ring, request,
                                 Socks5UserPasswordMessage(request.user, request.password),
                                 ProxyReplyKind::kSocks5Status, reply)
                            ? State::kConnect
                            : State::kFailed;
                break;
            case State::kConnect: {
                const uint32_t address = ResolveHost(request.host);
                std::string message;
                if (address != platform::kNoAddress) {
                    std::string bytes(4, '\0');
                    std::memcpy(bytes.data(), &address, 4);
                    message = Socks5RequestMessage(kSocksConnect, kSocks5AddressIPv4, bytes,
                                                   request.port);
                } else {
                    message = Socks5RequestMessage(kSocksConnect, kSocks5AddressName, request.host,
                                                   request.port);
                }
                state =
                    Exchange(socket, ring, request, message, ProxyReplyKind::kSocks5Reply, reply)
                        ? State::kDone
                        : State::kFailed;
                break;
            }
            case State::kDone:
                return kSocksConnected;
            case State::kFailed:
                return kSocksFailed;
            case State::kUnusable:
                return kSocksUnusable;
        }
    }
}

}  // namespace vt::net
