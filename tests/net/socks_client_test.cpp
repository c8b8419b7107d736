#include "net/socks_client.h"

#include <gtest/gtest.h>

#include "net/loopback_server.h"
#include "net/resolve_host.h"

namespace vt::net {
namespace {

using test::LoopbackServer;
using test::ServerConnection;

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

TEST(SocksMessages, HaveTheExactLayouts) {
    const uint32_t address = ResolveHost("10.1.2.3");
    EXPECT_EQ(Socks4ConnectMessage(1, 8080, address, "id"),
              Bytes({4, 1, 0x1F, 0x90, 10, 1, 2, 3, 'i', 'd', 0}));
    EXPECT_EQ(Socks4aConnectMessage(1, 80, "ex.org", ""),
              Bytes({4, 1, 0, 80, 0, 0, 0, 1, 0, 'e', 'x', '.', 'o', 'r', 'g', 0}));
    EXPECT_EQ(Socks5GreetingMessage(std::string("\0\2", 2)), Bytes({5, 2, 0, 2}));
    EXPECT_EQ(Socks5UserPasswordMessage("u", "pw"), Bytes({1, 1, 'u', 2, 'p', 'w'}));
    EXPECT_EQ(Socks5RequestMessage(1, 3, "ab", 443), Bytes({5, 1, 0, 3, 2, 'a', 'b', 1, 0xBB}));
    EXPECT_EQ(Socks5RequestMessage(1, 1, std::string(4, '\x7f'), 1).size(), 10u);
    EXPECT_EQ(Socks5RequestMessage(1, 4, std::string(16, '\0'), 1).size(), 22u);
    // Lengths that do not fit their byte build nothing.
    EXPECT_EQ(Socks5UserPasswordMessage(std::string(256, 'u'), ""), "");
    EXPECT_EQ(Socks5RequestMessage(1, 3, std::string(256, 'h'), 80), "");
}

// Connects to a scripted proxy, runs the handshake and returns its result.
SocksResult RunHandshake(LoopbackServer& proxy, const SocksRequest& request, int version,
                         bool allowName = false) {
    platform::Socket socket = platform::CreateTcpSocket();
    EXPECT_TRUE(ConnectToHost(socket, "127.0.0.1", proxy.port(), 2000));
    RecvRing ring(socket, kRecvRingSize);
    return version == 5 ? Socks5Handshake(socket, ring, request)
                        : Socks4Handshake(socket, ring, request, allowName);
}

SocksRequest Request(const std::string& host) {
    SocksRequest request;
    request.host = host;
    request.port = 80;
    request.receiveTimeoutMs = 1000;
    request.sendTimeoutMs = 1000;
    return request;
}

TEST(SocksHandshake, Socks5UserPasswordAndNamedTarget) {
    std::string sent;
    LoopbackServer proxy([&](int, ServerConnection& c) {
        sent = c.ReadExactly(4);
        c.Send(Bytes({5, 2}));
        sent += c.ReadExactly(1 + 1 + 4 + 1 + 6);
        c.Send(Bytes({1, 0}));
        sent += c.ReadExactly(4 + 1 + 20 + 2);
        // The bound address comes back as a name: its bytes must be consumed.
        c.Send(Bytes({5, 0, 0, 3, 3, 'a', 'b', 'c', 0, 80}) + "HTTP");
    });
    SocksRequest request = Request("no-such-host.invalid");
    request.authEnabled = true;
    request.user = "user";
    request.password = "secret";
    EXPECT_EQ(RunHandshake(proxy, request, 5), kSocksConnected);
    EXPECT_EQ(sent, Bytes({5, 2, 0, 2}) + Bytes({1, 4}) + "user" + Bytes({6}) + "secret" +
                        Bytes({5, 1, 0, 3, 20}) + "no-such-host.invalid" + Bytes({0, 80}));
}

TEST(SocksHandshake, Socks5RefusalsAreTold) {
    struct Case {
        std::string answer;
        bool auth;
        SocksResult result;
    } cases[] = {
        {Bytes({5, 255}), false, kSocksFailed},            // no acceptable method
        {Bytes({5, 2}), false, kSocksUnusable},            // asks for a password never offered
        {Bytes({5, 1}), true, kSocksUnusable},             // GSSAPI
        {Bytes({5, 2, 1, 1}), true, kSocksFailed},         // wrong password
        {Bytes({5, 0, 5, 1, 0, 9}), false, kSocksFailed},  // connection refused
        {Bytes({5, 0, 5, 0, 0, 7}), false, kSocksFailed},  // unknown address type
        {Bytes({5}), false, kSocksFailed},                 // the proxy hangs up
    };
    for (const Case& c : cases) {
        LoopbackServer proxy([&](int, ServerConnection& connection) {
            connection.ReadExactly(3);
            connection.Send(c.answer);
            connection.ReadExactly(64, 300);
        });
        SocksRequest request = Request("127.0.0.1");
        request.authEnabled = c.auth;
        EXPECT_EQ(RunHandshake(proxy, request, 5), c.result) << c.answer.size();
    }
}

TEST(SocksHandshake, Socks4aSendsUnresolvableHostsByName) {
    std::string sent;
    LoopbackServer proxy([&](int, ServerConnection& c) {
        sent = c.ReadExactly(8 + 3 + 1 + 20 + 1);
        c.Send(Bytes({0, 90, 0, 0, 0, 0, 0, 0}));
    });
    SocksRequest request = Request("no-such-host.invalid");
    request.user = "bob";
    EXPECT_EQ(RunHandshake(proxy, request, 4, true), kSocksConnected);
    EXPECT_EQ(sent, Bytes({4, 1, 0, 80, 0, 0, 0, 1}) + "bob" + Bytes({0}) + "no-such-host.invalid" +
                        Bytes({0}));
    // Plain SOCKS4 cannot name a host.
    EXPECT_EQ(RunHandshake(proxy, request, 4, false), kSocksFailed);

    LoopbackServer refusing([&](int, ServerConnection& c) {
        c.ReadExactly(9);
        c.Send(Bytes({0, 91, 0, 0, 0, 0, 0, 0}));
    });
    EXPECT_EQ(RunHandshake(refusing, Request("127.0.0.1"), 4), kSocksFailed);
}

}  // namespace
}  // namespace vt::net
